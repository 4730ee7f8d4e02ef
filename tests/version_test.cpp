// The version resource: queries on a block, the search in ELF and PE files,
// TVersionInfo, and the program's own resource.
#include <fstream>

#include "TestSupport.h"
#include "app/Main.h"
#include "app/Options.h"
#include "VersionBlockBuilder.h"
#include "common/VersionInfo.h"
#include "platform/ProgramFile.h"
#include "platform/VersionResource.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using platform::verQueryValue;

const std::vector<std::pair<std::string, std::string>> kStrings = {
    {"CompanyName", "Corvellan"}, {"FileVersion", "9.8.7.6"}, {"ProductName", "Quillbray"}};

Bytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// The image a program file of this system would carry the block in: an ELF
// section on Linux, a PE resource on Windows, where the system reads it.
Bytes programImage(const Bytes& block) { return kOnWindows ? peWith(block) : elfWith(block); }

// Loads the block, carried in a program file, into a fresh TVersionInfo.
struct Loaded {
  explicit Loaded(const Bytes& block) {
    writeBytes(dir.file("prog"), programImage(block));
    info.SetFileName(dir.file("prog"));
  }
  TempDir dir;
  TVersionInfo info;
};

std::vector<std::string> numbers(const TVersionInfo& info) {
  return {info.MajorVersion, info.MinorVersion, info.Release, info.Build};
}

std::string text(const Bytes& block, const std::string& path) {
  const auto value = verQueryValue(block, path);
  return value ? value->text : "<none>";
}

// --- Queries on a block ----------------------------------------------------

TEST(VersionQuery, PathsSplitAtBackslashAndMatchWholeKeysInAnyCase) {
  const Bytes block = build(versionInfo(fixedPart(4, 1, 0, 1, 0), {{"040904b0", kStrings}}, {{{0x0409, 1200}}}));
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"\\StringFileInfo\\040904b0\\CompanyName", "Corvellan"},
      {"StringFileInfo\\040904B0\\companyname", "Corvellan"},            // no leading "\", any case
      {"\\\\StringFileInfo\\\\040904b0\\\\ProductName\\", "Quillbray"},  // empty parts skipped
      {"\\StringFileInfo\\040904b0\\Company", "<none>"},                 // a part must be a whole key
      {"\\StringFileInfo\\040904b0\\CompanyNameX", "<none>"},
      {"\\StringFileInfo\\040904e4\\CompanyName", "<none>"},
      {"\\VarFileInfo\\CompanyName", "<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(text(block, c.path), c.expected) << c.path;

  for (const char* root : {"\\", "", "\\\\"}) {
    const auto fixed = verQueryValue(block, root);
    ASSERT_TRUE(fixed) << root;
    EXPECT_FALSE(fixed->isText);
    EXPECT_EQ(fixed->length, 52u);
    EXPECT_EQ(Bytes(fixed->bytes.begin(), fixed->bytes.end()), fixedPart(4, 1, 0, 1, 0));
  }
  const auto translation = verQueryValue(block, "\\VarFileInfo\\Translation");
  ASSERT_TRUE(translation);
  EXPECT_EQ(Bytes(translation->bytes.begin(), translation->bytes.end()), (Bytes{0x09, 0x04, 0xB0, 0x04}));
}

TEST(VersionQuery, Utf16TextBecomesUtf8) {
  VNode root = versionInfo(std::nullopt, {{"040904b0", {}}}, {{{0x0409, 1200}}});
  VNode value{"Name", {}, 5, true, {}};
  for (std::uint16_t u : {0x00A9, 0x20AC, 0xD83D, 0xDE00, 0}) putWord(value.value, u);  // © € 😀
  root.children[0].children[0].children.push_back(value);
  VNode lone{"Lone", {}, 3, true, {}};
  for (std::uint16_t u : {0x41, 0xD800, 0}) putWord(lone.value, u);
  root.children[0].children[0].children.push_back(lone);
  const Bytes block = build(root);
  EXPECT_EQ(text(block, "\\StringFileInfo\\040904b0\\Name"), "\u00A9\u20AC\U0001F600");
  EXPECT_EQ(text(block, "\\StringFileInfo\\040904b0\\Lone"), "A\uFFFD");
}

// --- TVersionInfo ------------------------------------------------------------

TEST(VersionInfo, FixedPartGivesTheNumbersWhateverFileVersionSays) {
  Loaded l(build(versionInfo(fixedPart(4, 1, 0, 1, 0), {{"040904b0", kStrings}}, {{{0x0409, 1200}}})));
  EXPECT_EQ(numbers(l.info), (std::vector<std::string>{"4", "1", "0", "1"}));
  EXPECT_EQ(l.info.FileVersion, "9.8.7.6");
  EXPECT_EQ(l.info.CompanyName, "Corvellan");
  EXPECT_EQ(l.info.ProductName, "Quillbray");
  EXPECT_EQ(l.info.Comments, "");
  EXPECT_EQ(l.info.FileFlagsText, "");

  // The largest numbers stay unsigned.
  Loaded big(build(versionInfo(fixedPart(65535, 65534, 40000, 65533, 0), {{"040904b0", {}}}, {{{0x0409, 1200}}})));
  EXPECT_EQ(numbers(big.info), (std::vector<std::string>{"65535", "65534", "40000", "65533"}));
}

TEST(VersionInfo, WithoutFixedPartTheNumbersComeFromFileVersion) {
  const struct {
    const char* fileVersion;
    std::vector<std::string> expected;
  } cases[] = {
      {"4.1.0.1", {"4", "1", "0", "1"}},
      {"4.1.0", {"4", "1", "", "0"}},
      {"4.1.0.1 beta", {"4", "1", "0", "1 beta"}},
      {"", {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    Loaded l(build(versionInfo(std::nullopt, {{"040904b0", {{"FileVersion", c.fileVersion}}}}, {{{0x0409, 1200}}})));
    EXPECT_EQ(numbers(l.info), c.expected) << c.fileVersion;
    EXPECT_EQ(l.info.FileFlagsText, "") << c.fileVersion;
  }
}

TEST(VersionInfo, TheFirstTranslationThatHasTheStringGivesIt) {
  Loaded l(build(versionInfo(fixedPart(1, 0, 0, 0, 0),
                             {{"040904b0", {{"CompanyName", "First"}, {"ProductName", "Quillbray"}}},
                              {"040704e4", {{"CompanyName", "Second"}, {"Comments", "Only in the second"}}}},
                             {{{0x0409, 1200}, {0x0407, 1252}}})));
  EXPECT_EQ(l.info.CompanyName, "First");  // later entries are not tried
  EXPECT_EQ(l.info.Comments, "Only in the second");
  EXPECT_EQ(l.info.ProductName, "Quillbray");
  EXPECT_EQ(l.info.LegalTradeMarks, "");
  EXPECT_EQ(l.info.GetVersionString("Comments"), "Only in the second");

  // One entry: the other table is not looked at.
  Loaded one(build(versionInfo(fixedPart(1, 0, 0, 0, 0),
                               {{"040904b0", {{"CompanyName", "First"}}}, {"040704e4", {{"Comments", "Second"}}}},
                               {{{0x0409, 1200}}})));
  EXPECT_EQ(one.info.Comments, "");
}

TEST(VersionInfo, WithoutTranslationTableUsEnglishAnsiIsAsked) {
  Loaded l(build(versionInfo(fixedPart(1, 0, 0, 0, 0),
                             {{"040904b0", {{"CompanyName", "Unicode"}}}, {"040904E4", {{"CompanyName", "Ansi"}}}},
                             std::nullopt)));
  EXPECT_EQ(l.info.CompanyName, "Ansi");
  EXPECT_EQ(l.info.GetVersionString("ProductName"), "");

  Loaded other(build(versionInfo(fixedPart(1, 0, 0, 0, 0), {{"040904b0", {{"CompanyName", "Unicode"}}}}, std::nullopt)));
  EXPECT_EQ(other.info.CompanyName, "");
}

TEST(VersionInfo, FileFlagsText) {
  const struct {
    std::uint32_t flags;
    const char* expected;
  } named[] = {{0, ""},
               {0x01, "Test version"},
               {0x03, "Test, Pre-release version"},
               {0x28, "Private, Special version"},
               {0x3F, "Test, Pre-release, Patched, Private, InfoInferred, Special version"},
               {0x40, ""},  // other bits add nothing
               {0xFFFFFFC4u, "Patched version"}};
  for (const auto& c : named) {
    Loaded l(build(versionInfo(fixedPart(1, 0, 0, 0, c.flags), {}, {{{0x0409, 1200}}})));
    EXPECT_EQ(l.info.FileFlagsText, c.expected) << c.flags;
  }

  // Every combination of the six flags: the words in bit order.
  static const char* const kWords[] = {"Test", "Pre-release", "Patched", "Private", "InfoInferred", "Special"};
  for (std::uint32_t flags = 0; flags < 64; ++flags) {
    std::string expected;
    for (int bit = 0; bit < 6; ++bit)
      if (flags & (1u << bit)) expected += (expected.empty() ? "" : ", ") + std::string(kWords[bit]);
    if (!expected.empty()) expected += " version";
    Loaded l(build(versionInfo(fixedPart(1, 0, 0, 0, flags), {}, {{{0x0409, 1200}}})));
    EXPECT_EQ(l.info.GetFileFlagsText(), expected) << flags;
  }

  // No fixed part, or one shorter than 2 bytes.
  VNode tiny = versionInfo(Bytes{0x01}, {}, std::nullopt);
  Loaded t(build(tiny));
  EXPECT_EQ(t.info.FileFlagsText, "");
}

TEST(VersionInfo, ParseFileVersion) {
  const struct {
    const char* text;
    std::vector<std::string> expected;
  } cases[] = {
      {"4.1.0.1", {"4", "1", "0", "1"}},
      {"4.1.0", {"4", "1", "", "0"}},
      {"4.1.0.1 beta", {"4", "1", "0", "1 beta"}},
      {"", {"", "", "", ""}},
      {"4", {"", "", "", "4"}},
      {"4.1", {"4", "", "", "1"}},
      {" 4 . 1 .\t0 . 1 \n", {"4", "1", "0", "1"}},
      {"1.2.3.4.5", {"1", "2", "3", "4.5"}},
      {"...", {"", "", "", ""}},
  };
  for (const auto& c : cases) {
    const auto p = TVersionInfo::ParseFileVersion(c.text);
    EXPECT_EQ((std::vector<std::string>{p.Major, p.Minor, p.Release, p.Build}), c.expected) << '"' << c.text << '"';
  }
}

TEST(VersionInfo, SettingTheSameNameTwiceLoadsNothing) {
  TempDir dir;
  const std::string a = dir.file("a"), b = dir.file("b");
  const auto company = [](const char* name) {
    return programImage(build(versionInfo(fixedPart(1, 0, 0, 0, 0), {{"040904b0", {{"CompanyName", name}}}}, {{{0x0409, 1200}}})));
  };
  writeBytes(a, company("Old"));
  writeBytes(b, company("Other"));
  TVersionInfo info;
  info.SetFileName(a);
  EXPECT_EQ(info.CompanyName, "Old");
  writeBytes(a, company("New"));
  info.SetFileName(a);
  EXPECT_EQ(info.CompanyName, "Old");
  info.SetFileName(b);
  EXPECT_EQ(info.CompanyName, "Other");
  info.SetFileName(a);
  EXPECT_EQ(info.CompanyName, "New");
  EXPECT_EQ(info.FileName(), a);
}

TEST(VersionInfo, FileWithoutResourceLeavesTheFieldsAndHoldsNoBuffer) {
  TempDir dir;
  writeBytes(dir.file("a"), programImage(build(versionInfo(fixedPart(2, 3, 4, 5, 1), {{"040904b0", kStrings}}, {{{0x0409, 1200}}}))));
  writeBytes(dir.file("plain"), elfWith(Bytes{1, 2, 3}, ".data"));
  TVersionInfo info;
  info.SetFileName(dir.file("a"));
  EXPECT_NE(info.VersionBufferSize(), 0u);
  for (const std::string& name : {dir.file("plain"), dir.file("missing"), dir.path().string(), std::string()}) {
    info.SetFileName(name);
    EXPECT_EQ(info.VersionBufferSize(), 0u) << name;
    EXPECT_EQ(info.CompanyName, "Corvellan") << name;
    EXPECT_EQ(numbers(info), (std::vector<std::string>{"2", "3", "4", "5"})) << name;
    EXPECT_EQ(info.GetVersionString("CompanyName"), "") << name;
    EXPECT_EQ(info.GetFileFlagsText(), "") << name;
  }
  info.SetFileName(dir.file("a"));
  info.FreeVersionBuffer();
  EXPECT_EQ(info.VersionBufferSize(), 0u);
  EXPECT_EQ(info.GetVersionString("CompanyName"), "");
}

// --- Real files --------------------------------------------------------------

TEST(VersionFile, TheProgramAnswersTheFieldsItWasBuiltWith) {
  TVersionInfo info;
  info.SetFileName(QB_IMPORT_TOOL);
  EXPECT_EQ(info.CompanyName, "Corvellan");
  EXPECT_EQ(info.ProductName, "Quillbray");
  EXPECT_EQ(info.FileVersion, QB_FILE_VERSION);
  EXPECT_EQ(info.ProductVersion, QB_PRODUCT_VERSION);
  EXPECT_EQ(info.InternalName, "quillbray-import");
  EXPECT_EQ(info.OriginalFilename, "quillbray-import");
  EXPECT_EQ(info.FileDescription, "Quillbray configuration import");
  EXPECT_EQ(info.LegalCopyright, "Copyright (C) 2026 Corvellan");
  EXPECT_EQ(info.Comments, "Imports a Quillbray program-configuration file into the preference store");
  EXPECT_EQ(info.LegalTradeMarks, "");
  EXPECT_EQ(info.FileFlagsText, "");
  const auto parts = TVersionInfo::ParseFileVersion(QB_FILE_VERSION);
  EXPECT_EQ(numbers(info), (std::vector<std::string>{parts.Major, parts.Minor, parts.Release, parts.Build}));
  const auto translation = verQueryValue(Bytes(), "\\");
  EXPECT_FALSE(translation);
}

TEST(VersionFile, TheMainFormHoldsTheVersionOfTheProgramsOwnFile) {
  ScopedHives hives;
  // This test program has no version section, so nothing is held.
  TMainWin mainWin(CommandLine{{"prog"}});
  EXPECT_EQ(mainWin.VersionInfo.FileName(), platform::programFilePath());
  EXPECT_EQ(mainWin.VersionInfo.VersionBufferSize(), 0u);
  EXPECT_EQ(mainWin.VersionInfo.CompanyName, "");
  TVersionInfo own;
  EXPECT_EQ(own.FileName(), platform::programFilePath());
}

TEST(VersionFile, VersionOptionPrintsTheProgramsOwnVersionAndImportsNothing) {
  ScopedHives hives;
  TempDir out;
  std::ofstream(out.file("prefs.xml")) << "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                          "<Quillbray_Preferences><Quillbray><PerUserRoam>"
                                          "<Uses type=\"integer\">1</Uses></PerUserRoam></Quillbray>"
                                          "</Quillbray_Preferences>\n";
  const std::vector<std::string> cases[] = {
      {"--version"}, {"--version", "/IC", "prefs.xml"}, {"/IC", "prefs.xml", "--version"},
      {"--strict", "--version", "/IC", "none.xml"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    // On Windows an option after /IC is part of the switch's value.
    if (kOnWindows && args.size() > 1 && args.back() == "--version") continue;
    std::vector<std::string> argv = {QB_IMPORT_TOOL};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProcessRun run = runProcess(argv, out.path().string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "quillbray-import (Quillbray) " QB_PRODUCT_VERSION "\nFile version " QB_FILE_VERSION
              "\nCopyright (C) 2026 Corvellan\n");
    EXPECT_FALSE(std::filesystem::exists(hives.user()));
    EXPECT_FALSE(std::filesystem::exists(hives.machine()));
  }
  EXPECT_NE(UsageText().find("--version"), std::string::npos);
}

TEST(VersionFile, AWindowsPeFileAnswersTheFieldsOfItsResource) {
  const std::string pe = QB_FIXTURES "/version-resource.exe";
  ASSERT_NE(platform::getFileVersionInfoSize(pe), 0u);
  TVersionInfo info;
  info.SetFileName(pe);
  EXPECT_EQ(info.CompanyName, "Corvellan");
  EXPECT_EQ(info.FileDescription, "Quillbray version fixture");
  EXPECT_EQ(info.FileVersion, "4.2.7.13");
  EXPECT_EQ(info.InternalName, "qbfixture");
  EXPECT_EQ(info.LegalCopyright, "\u00A9 2026 Corvellan");
  EXPECT_EQ(info.OriginalFilename, "version-resource.exe");
  EXPECT_EQ(info.ProductName, "Quillbray");
  EXPECT_EQ(info.ProductVersion, "4.2");
  EXPECT_EQ(info.Comments, "A PE file with nothing but a version resource");
  EXPECT_EQ(info.LegalTradeMarks, "");
  EXPECT_EQ(info.FileFlagsText, "Private, Special version");
  EXPECT_EQ(numbers(info), (std::vector<std::string>{"4", "2", "7", "13"}));
}

// --- Malformed input ---------------------------------------------------------

std::vector<unsigned char> found(const Bytes& image) {
  return platform::findVersionResource(platform::MemorySource(image));
}

TEST(VersionMalformed, TruncatedImagesHaveNoResource) {
  const Bytes pe = readBytes(QB_FIXTURES "/version-resource.exe");
  const Bytes peBlock = found(pe);
  ASSERT_FALSE(peBlock.empty());
  // A cut file gives the whole block or nothing; cut anywhere before the
  // block's end it gives nothing.
  const std::size_t peBlockEnd = 0x200 + 88 + peBlock.size();
  for (std::size_t cut = 0; cut < pe.size(); ++cut) {
    const Bytes result = found(Bytes(pe.begin(), pe.begin() + cut));
    if (cut < peBlockEnd) EXPECT_TRUE(result.empty()) << cut;
    else EXPECT_TRUE(result.empty() || result == peBlock) << cut;
  }

  TempDir dir;
  writeBytes(dir.file("cut"), Bytes(pe.begin(), pe.begin() + 0x200 + 100));
  EXPECT_EQ(platform::getFileVersionInfoSize(dir.file("cut")), 0u);
}

// Overwrites 4 little-endian bytes.
Bytes patched(Bytes image, std::size_t at, std::uint32_t value, std::size_t width = 4) {
  for (std::size_t i = 0; i < width; ++i) image[at + i] = static_cast<unsigned char>(value >> (8 * i));
  return image;
}

TEST(VersionMalformed, OffsetsOutsideTheFileAreRefused) {
  const Bytes pe = readBytes(QB_FIXTURES "/version-resource.exe");
  const std::size_t rsrc = 0x200;
  const std::size_t optional = 0x40 + 4 + 20;
  const std::size_t sectionHeader = optional + 224;
  struct Patch {
    std::size_t at;
    std::uint32_t value;
    std::size_t width;
  };
  const struct {
    const char* what;
    std::vector<Patch> patches;
  } pePatches[] = {
      {"e_lfanew past the end", {{0x3C, 0x7FFFFFF0, 4}}},
      {"e_lfanew at the last bytes", {{0x3C, static_cast<std::uint32_t>(pe.size() - 2), 4}}},
      {"no resource directory entry", {{optional + 92, 2, 4}}},
      {"resource RVA outside every section", {{optional + 96 + 16, 0x9000, 4}}},
      {"section raw data past the end", {{sectionHeader + 20, 0xFFFFFF00, 4}}},
      {"section count huge, no section holds the RVA", {{0x40 + 4 + 2, 0xFFFF, 2}, {optional + 96 + 16, 0x9000, 4}}},
      {"type entry points outside", {{rsrc + 16 + 4, 0x80000000 | 0x7FFFFFF0, 4}}},
      {"type entry not a directory", {{rsrc + 16 + 4, 24, 4}}},
      {"no RT_VERSION entry", {{rsrc + 16, 17, 4}}},
      {"entry count runs past the section", {{rsrc + 14, 0xFFFF, 2}, {rsrc + 16, 17, 4}}},
      {"name entry back at the root", {{rsrc + 24 + 16 + 4, 0x80000000, 4}}},
      {"no name 1", {{rsrc + 24 + 16, 2, 4}}},
      {"language entry is a directory", {{rsrc + 48 + 16 + 4, 0x80000000 | 48, 4}}},
      {"data entry RVA outside", {{rsrc + 72, 0xFFFFFFF0, 4}}},
      {"data size past the section", {{rsrc + 76, 0x10000, 4}}},
      {"block longer than its data entry", {{rsrc + 88, 0xFFFF, 2}}},
      {"block wLength 0", {{rsrc + 88, 0, 2}}},
  };
  for (const auto& p : pePatches) {
    Bytes image = pe;
    for (const Patch& patch : p.patches) image = patched(image, patch.at, patch.value, patch.width);
    EXPECT_TRUE(found(image).empty()) << p.what;
  }
}

TEST(VersionMalformed, BrokenBlocksAnswerNothingAndEndTheirWalk) {
  const Bytes good = build(versionInfo(fixedPart(1, 2, 3, 4, 0), {{"040904b0", kStrings}}, {{{0x0409, 1200}}}));
  const std::string company = "\\StringFileInfo\\040904b0\\CompanyName";
  ASSERT_EQ(text(good, company), "Corvellan");
  // The StringFileInfo node follows the root's header, key and fixed part.
  const std::size_t sfi = 6 + 32 + 52 + 2;  // "VS_VERSION_INFO" and its zero, padded
  ASSERT_EQ(good[sfi + 6], 'S');
  const std::size_t table = sfi + 6 + 30;  // "StringFileInfo" and its zero
  ASSERT_EQ(good[table + 6], '0');
  const std::size_t first = table + 6 + 18;  // "040904b0" and its zero
  ASSERT_EQ(good[first + 6], 'C');

  const struct {
    const char* what;
    std::size_t at;
    std::uint16_t value;
  } patches[] = {
      {"root wLength 0", 0, 0},
      {"root wLength 5", 0, 5},
      {"root longer than the block", 0, 0xFFFF},
      {"child wLength 0", sfi, 0},
      {"child wLength 2", sfi, 2},
      {"child longer than its parent", sfi, 0x7FFF},
      {"table wLength 0", table, 0},
      {"string runs past its table", table, static_cast<std::uint16_t>(first - table + 10)},
      {"string wLength 0", first, 0},
      {"string value longer than its node", first + 2, 0x4000},
  };
  for (const auto& p : patches) {
    Bytes block = patched(good, p.at, p.value, 2);
    EXPECT_EQ(text(block, company), "<none>") << p.what;
    (void)verQueryValue(block, "\\VarFileInfo\\Translation");
    (void)verQueryValue(block, "\\");
  }

  // A key without its zero, to the block's end.
  Bytes noZero = good;
  for (std::size_t i = first + 6; i < noZero.size(); ++i) noZero[i] = 'A';
  EXPECT_EQ(text(noZero, company), "<none>");

  // Every prefix of the block, read as a block whose root claims more.
  for (std::size_t cut = 0; cut < good.size(); ++cut) {
    const Bytes prefix(good.begin(), good.begin() + cut);
    EXPECT_FALSE(verQueryValue(prefix, company)) << cut;
  }
}

}  // namespace
