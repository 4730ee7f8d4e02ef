// The program's version resource, written at build time by qb-mkversion,
// placed in its own ELF section where the version reader looks for it. The
// section is allocated so that stripping the program keeps it.
#ifndef QB_VERSION_BLOCK
#error "QB_VERSION_BLOCK names the generated version block"
#endif

asm(".pushsection .qbversion,\"a\",@progbits\n"
    ".p2align 2\n"
    ".incbin \"" QB_VERSION_BLOCK "\"\n"
    ".popsection\n");
