// quillbray-reg: reads and changes the preference hives in the shape of
// Windows' reg.exe, and moves keys in and out as .reg files.
//
// The hives are the ones the program uses (QUILLBRAY_USER_HIVE,
// QUILLBRAY_MACHINE_HIVE or their defaults). Exit status: 0 done, 1 failed
// or refused, 2 wrong arguments.
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FileSizeLimit.h"
#include "tools/RegLocation.h"
#include "tools/RegVerbs.h"
#include "tools/StoreVerbs.h"

namespace {

constexpr const char* kUsage =
    "usage: quillbray-reg VERB ...\n"
    "  query KEY [/v NAME | /ve] [/s]\n"
    "      Shows the values of KEY (or the one named) and its sub-keys; /s walks\n"
    "      every key below it. /ve shows \"(value not set)\" for a key without one.\n"
    "  add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "      Creates KEY, or sets a value (/t or /d alone: the default value).\n"
    "      TYPE: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ (items separated by\n"
    "      \\0, or by the one character of /s), REG_DWORD (= REG_DWORD_LITTLE_ENDIAN),\n"
    "      REG_DWORD_BIG_ENDIAN, REG_QWORD (decimal or 0x hex), REG_BINARY (hex\n"
    "      digits), REG_NONE (text). /f overwrites without asking.\n"
    "  delete KEY [/v NAME | /ve | /va] [/f]\n"
    "      Deletes KEY and everything below it, one value, or all its values.\n"
    "      /f deletes without asking.\n"
    "  export KEY FILE [/y]\n"
    "      Writes KEY and everything below it to FILE as a .reg file (UTF-16LE).\n"
    "      /y overwrites an existing FILE.\n"
    "  export KEY [-]\n"
    "      Prints KEY as .reg text (UTF-8) on standard output. KEY may be a bare\n"
    "      HKCU or HKLM (the whole hive); a path without a root is below HKCU.\n"
    "  import FILE [/cp CODEPAGE]\n"
    "      Applies a .reg file (version 5 or REGEDIT4), all or nothing: a faulty\n"
    "      file, or a hive it touches that cannot be written, changes nothing.\n"
    "      A REGEDIT4 file is read as UTF-8, else windows-1252, or in CODEPAGE.\n"
    "  export-config FILE [/y]\n"
    "      Writes the product's values as a program-configuration file.\n"
    "      /y overwrites an existing FILE.\n"
    "--location registry|flat|file|usb (before or after the verb; default registry)\n"
    "      registry and flat both work on the hives. file and usb work on the\n"
    "      settings file Quillbray.ini through the program's own store (query,\n"
    "      add, delete, export, import): KEY is HKCU\\Software\\Corvellan\\Quillbray 4\n"
    "      or a key below it, each key a section; HKCU is the per-user file (with\n"
    "      /nonroam the non-roaming one), HKLM the machine's; usb is the file beside\n"
    "      the program. Values are REG_SZ, REG_DWORD or REG_BINARY, kept as text;\n"
    "      export KEY (or KEY -) prints, export KEY FILE writes FILE.\n"
    "KEY begins with a root: HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE).\n"
    "Every switch may be written with \"-\" as well (-v, -d, -f), as reg.exe takes it.\n"
    "Every verb takes /reg:32 or /reg:64: on Windows the 32-bit or the 64-bit registry\n"
    "view (without them the 32-bit one, which the product uses); Linux's hives have one.\n"
    "add and delete ask (Yes/No) on standard output and read the answer from\n"
    "standard input; when it ends unanswered they change nothing, unless /f is\n"
    "given. Exit status: 0 done, 1 failed or refused, 2 wrong arguments.\n";

int usage(const std::string& why) {
  if (!why.empty()) std::cerr << "quillbray-reg: " << why << '\n';
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  platform::reportFileSizeLimitAsError();
  std::vector<std::string> all(argv + 1, argv + argc);
  quillbray::TPrefLocation location = quillbray::plRegistry;
  try {
    location = quillbray::takeLocationOption(all);
  } catch (const quillbray::UsageError& e) {
    return usage(e.what());
  }
  if (all.empty()) return usage("");
  const std::string verb = all[0];
  if (verb == "--help" || verb == "-h" || verb == "/?") {
    std::cout << kUsage;
    return 0;
  }
  const std::vector<std::string> args(all.begin() + 1, all.end());
  try {
    if (quillbray::inSettingsFile(location)) return quillbray::settingsFileVerb(location, verb, args);
    if (verb == "query") return quillbray::queryVerb(args);
    if (verb == "add") return quillbray::addVerb(args);
    if (verb == "delete") return quillbray::deleteVerb(args);
    if (verb == "export") return quillbray::exportVerb(args);
    if (verb == "import") return quillbray::importVerb(args);
    if (verb == "export-config") return quillbray::exportConfigVerb(args);
  } catch (const quillbray::UsageError& e) {
    return usage(e.what());
  } catch (const std::exception& e) {
    std::cout.flush();  // the text printed so far comes before the message
    std::cerr << "quillbray-reg: " << e.what() << '\n';
    return 1;
  }
  return usage("unknown verb '" + verb + "'");
}
