// Exporting the hives to a configuration file, and importing it back.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>

#include "StoreFixture.h"
#include "import/ConfigLimits.h"
#include "import/Decoding.h"
#include "import/Encoding.h"
#include "import/ExportConfig.h"
#include "import/ImpExpRegXML.h"
#include "platform/Text.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using platform::RegistryValue;

const std::string kProduct = ProductKey;
const std::string kUserProduct = "HKEY_CURRENT_USER\\" + kProduct;
const std::string kMachineProduct = "HKEY_LOCAL_MACHINE\\" + kProduct;

RegistryValue typed(std::uint32_t type, const std::string& bytes) {
  return {type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}
std::vector<std::uint8_t> pattern(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return bytes;
}

std::string readFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every value of both hives below the product key, by hive, key path and
// name (key and value names folded: the hives match them without regard to
// letter case).
using Snapshot = std::map<std::tuple<bool, std::string, std::string>, RegistryValue>;

void collect(platform::RegistryKey& key, bool machine, const std::string& path, Snapshot& out) {
  for (const std::string& name : key.valueNames())
    out[{machine, platform::upperCase(path), platform::upperCase(name)}] = *key.queryValue(name);
  for (const std::string& name : key.subKeyNames())
    if (auto child = key.openChild(name)) collect(*child, machine, path + "\\" + name, out);
}

Snapshot snapshot() {
  Snapshot out;
  for (const bool machine : {false, true}) {
    auto key = platform::registry().openKey(machine ? HKLM : HKCU, kProduct, platform::KeyAccess::Read, false);
    if (key) collect(*key, machine, kProduct, out);
  }
  return out;
}

class ExportConfigTest : public StoreTest {
 protected:
  std::string file() const { return folder.file("export.xml"); }
  // Imports the file into hives of its own, through the store as the program
  // does; answers what they then hold.
  Snapshot reimport() {
    ScopedHives fresh;  // the hives before are back afterwards
    TConfigBase freshStore;
    ImportStats stats;
    EXPECT_TRUE(ImportConfigFile(freshStore, file(), stats));
    EXPECT_EQ(stats.outcome, ioImported);
    EXPECT_EQ(stats.failed, 0u);
    return snapshot();
  }
  TempDir folder;
};

struct Seeded {
  platform::RegistryRoot root;
  std::string key;  // below the product key; "" for the product key itself
  std::string name;
  RegistryValue value;
  std::string skipped;  // the message when the file cannot carry it; "" when it is written
};

std::string keyOf(const Seeded& s) { return s.key.empty() ? kProduct : kProduct + "\\" + s.key; }

TEST_F(ExportConfigTest, ReimportGivesBackEveryValueTheFileCarries) {
  const std::string logs = kUserProduct + "\\Logs";
  const std::vector<Seeded> seeded = {
      {HKCU, "", "Uses", dword(12), ""},
      {HKCU, "", "Last Text", sz("a & b"), ""},
      {HKCU, "", "Empty Loose", sz(""), kUserProduct + ": \"Empty Loose\": an empty value directly in the product key would be read back as an empty group"},
      {HKCU, "Logs", "Größe €", sz("Maß: 5 €, ünïcödé ✓"), ""},
      {HKCU, "Logs", "Negative", dword(static_cast<std::uint32_t>(-42)), ""},
      {HKCU, "Logs", "Lowest", dword(0x80000000u), ""},
      {HKCU, "Logs", "Highest", dword(0x7FFFFFFFu), ""},
      {HKCU, "Logs", "All Ones", dword(0xFFFFFFFFu), ""},
      {HKCU, "Logs", "Empty String", sz(""), ""},
      {HKCU, "Logs", "Empty Binary", binary({}), ""},
      {HKCU, "Logs", "Signs", sz("& $ \" ' < > [1] &amp; a  b "), ""},
      {HKCU, "Logs", "Lines", sz("one\r\ntwo\tthree\n"), ""},
      {HKCU, "Logs", "Spaces", sz("   "), ""},
      {HKCU, "Logs", "Name [1] $x", dword(1), ""},
      {HKCU, "Logs", "Largest Binary", binary(pattern(32768)), ""},
      {HKCU, "Logs", "Too Large", binary(pattern(32769)),
       logs + ": \"Too Large\": binary data of 32769 bytes (the import takes at most 32768)"},
      {HKCU, "Logs", "Under_Score", dword(1), logs + ": \"Under_Score\": the name holds \"_\", which reads back as a blank"},
      {HKCU, "Logs", "Path", typed(platform::REG_EXPAND_SZ, std::string("%TEMP%\0", 7)),
       logs + ": \"Path\": a REG_EXPAND_SZ value cannot be written (the file holds integers, strings and binary data)"},
      {HKCU, "cust commands", "Command 1", sz("run [x]"), ""},  // a catalogue group in another letter case
      {HKCU, "$Unknown\\My Group", "Data", binary({0x00, 0xFF, 0x10}), ""},
      {HKCU, "$Unknown\\Ünïcode Grüppe", "Wert", sz("ja"), ""},
      {HKCU, "Windows\\Quillbray_MainWin", "Left", dword(10),
       kUserProduct + "\\Windows\\Quillbray_MainWin: key left out with its 1 value: a key this deep below the "
                      "product key cannot be written (a file holds one level of groups)"},
      {HKCU, "$Temp\\Search History", "1", sz("word"),
       kUserProduct + "\\$Temp\\Search History: key left out with its 1 value: a key this deep below the product "
                      "key cannot be written (a file holds one level of groups)"},
      {HKLM, "", "Machine Loose", binary({1, 2}), ""},
      {HKLM, "Logs", "Log Unusual Events", dword(1), ""},
      {HKLM, "Logs", "Größe €", sz("machine"), ""},
      {HKLM, "$Unknown\\Other", "x", sz("y"), ""},
      {HKLM, "Updates", "Big", typed(11, std::string(8, '\x01')),
       kMachineProduct + "\\Updates: \"Big\": a REG_QWORD value cannot be written (the file holds integers, "
                         "strings and binary data)"},
  };
  for (const Seeded& s : seeded) seed(s.root, keyOf(s), s.name, s.value);
  const Snapshot before = snapshot();
  ASSERT_EQ(before.size(), seeded.size());

  const ExportConfigResult result = ExportConfigFile(file());
  Snapshot carried;
  std::vector<std::string> skipped;
  for (const Seeded& s : seeded) {
    if (!s.skipped.empty()) {
      skipped.push_back(s.skipped);
      continue;
    }
    const bool machine = s.root == HKLM;
    const auto at = std::make_tuple(machine, platform::upperCase(keyOf(s)), platform::upperCase(s.name));
    carried[at] = before.at(at);
  }
  std::sort(skipped.begin(), skipped.end());
  std::vector<std::string> reported = result.skipped;
  std::sort(reported.begin(), reported.end());
  EXPECT_EQ(reported, skipped);
  EXPECT_EQ(result.values, carried.size());

  const Snapshot after = reimport();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(after.size(), carried.size());
  for (const auto& [at, value] : carried) {
    const auto found = after.find(at);
    ASSERT_NE(found, after.end()) << std::get<1>(at) << " " << std::get<2>(at);
    EXPECT_EQ(found->second, value) << std::get<1>(at) << " " << std::get<2>(at);
  }
  // The export read the hives and changed nothing in them.
  EXPECT_EQ(snapshot(), before);
}

TEST_F(ExportConfigTest, WhatTheFormatCannotCarryIsLeftOutAndNamed) {
  const std::string logs = kUserProduct + "\\Logs";
  const auto value = [&](const std::string& name, const std::string& why) { return logs + ": \"" + name + "\": " + why; };
  const std::string notName = "the name cannot be written as an XML element name";
  const std::string notType = " value cannot be written (the file holds integers, strings and binary data)";
  const auto key = [&](bool machine, const std::string& path, const std::string& why) {
    return (machine ? kMachineProduct : kUserProduct) + "\\" + path + ": key left out with its 1 value: " + why;
  };
  const std::string tooDeep = "a key this deep below the product key cannot be written (a file holds one level of groups)";
  const std::string changed = "the text would not read back the same (it holds a sequence such as \"&#36;\")";
  const auto passedOver = [](const std::string& group) { return "the import passes over a group named \"" + group + "\""; };
  const auto lands = [](const std::string& group, const std::string& where) {
    return "the group \"" + group + "\" would be imported into " + kUserProduct + where;
  };
  const std::vector<Seeded> cases = {
      {HKCU, "Logs", "A_B", dword(1), value("A_B", "the name holds \"_\", which reads back as a blank")},
      {HKCU, "Logs", "", dword(1), value("", "a value without a name cannot be written (an element needs a name)")},
      {HKCU, "Logs", "2nd", dword(1), value("2nd", notName)},
      {HKCU, "Logs", "a:b", dword(1), value("a:b", notName)},
      {HKCU, "Logs", "a\\b", dword(1), value("a\\b", notName)},
      {HKCU, "Logs", "x\x01", dword(1), value("x\x01", notName)},
      {HKCU, "Logs", "E", typed(platform::REG_EXPAND_SZ, std::string("x\0", 2)), value("E", "a REG_EXPAND_SZ" + notType)},
      {HKCU, "Logs", "M", typed(7, std::string("a\0b\0\0", 5)), value("M", "a REG_MULTI_SZ" + notType)},
      {HKCU, "Logs", "Q", typed(11, std::string(8, '\0')), value("Q", "a REG_QWORD" + notType)},
      {HKCU, "Logs", "N", typed(platform::REG_NONE, "ab"), value("N", "a REG_NONE" + notType)},
      {HKCU, "Logs", "T", typed(42, "ab"), value("T", "a type 42" + notType)},
      {HKCU, "Logs", "D3", typed(platform::REG_DWORD, "abc"), value("D3", "a REG_DWORD value of 3 bytes (not 4) cannot be written")},
      {HKCU, "Logs", "D8", typed(platform::REG_DWORD, "abcdefgh"), value("D8", "a REG_DWORD value of 8 bytes (not 4) cannot be written")},
      {HKCU, "Logs", "B", binary(pattern(32769)), value("B", "binary data of 32769 bytes (the import takes at most 32768)")},
      {HKCU, "Logs", "Z", typed(platform::REG_SZ, std::string("a\0b\0", 4)), value("Z", "a REG_SZ value holding a zero byte before its end")},
      {HKCU, "Logs", "U", typed(platform::REG_SZ, "abc"), value("U", "a REG_SZ value without its terminating zero byte")},
      {HKCU, "Logs", "S", sz("a_b"), value("S", "the text holds \"_\", which reads back as a blank")},
      {HKCU, "Logs", "C", sz("ab\x01"), value("C", "the text holds a character XML cannot carry (U+0001 at offset 2)")},
      {HKCU, "Logs", "F", sz("\xEF\xBF\xBE"), value("F", "the text holds a character XML cannot carry (U+FFFE at offset 0)")},
      {HKCU, "Logs", "V", sz("a\xFF"), value("V", "the text holds a character XML cannot carry (byte 0xFF at offset 1)")},
      {HKCU, "Logs", "W", sz("\r\n\t"), value("W", "the text holds only tabs and line breaks, which the import drops")},
      {HKCU, "Logs", "R", sz("cost &#36;5"), value("R", changed)},
      {HKCU, "Logs", "P", sz("&#36;&#36;"), value("P", changed)},
      {HKCU, "", "Loose", binary({}), kUserProduct + ": \"Loose\": an empty value directly in the product key would be read back as an empty group"},
      {HKCU, "Foo", "x", dword(1), key(false, "Foo", lands("Foo", "\\$Unknown\\Foo"))},
      {HKCU, "cfgAll", "x", dword(1), key(false, "cfgAll", lands("cfgAll", ""))},
      {HKCU, "$Unknown\\LOGS", "x", dword(1), key(false, "$Unknown\\LOGS", lands("LOGS", "\\Logs"))},
      {HKCU, "$Unknown\\cfgAll", "x", dword(1), key(false, "$Unknown\\cfgAll", lands("cfgAll", ""))},
      {HKCU, "$Unknown\\Schedules", "x", dword(1), key(false, "$Unknown\\Schedules", passedOver("Schedules"))},
      {HKCU, "$Unknown\\my $temp", "x", dword(1), key(false, "$Unknown\\my $temp", passedOver("my $temp"))},
      {HKCU, "$Temp", "x", dword(1), key(false, "$Temp", passedOver("$Temp"))},
      {HKCU, "$Unknown", "x", dword(1), key(false, "$Unknown", passedOver("$Unknown"))},
      {HKCU, "$Unknown\\2nd", "x", dword(1),
       key(false, "$Unknown\\2nd", "the group's name cannot be written as an XML element name")},
      {HKCU, "$Unknown\\a_b", "x", dword(1),
       key(false, "$Unknown\\a_b", "the group's name holds \"_\", which reads back as a blank")},
      {HKLM, "Logs\\Deeper", "x", dword(1), key(true, "Logs\\Deeper", tooDeep)},
      {HKLM, "$Unknown\\A\\B", "x", dword(1), key(true, "$Unknown\\A\\B", tooDeep)},
  };
  for (const Seeded& c : cases) {
    SCOPED_TRACE(c.skipped);
    // Windows keeps text as UTF-16: a value that is not UTF-8 cannot be made.
    if (kOnWindows && c.name == "V") continue;
    ScopedHives hives;
    seed(c.root, keyOf(c), c.name, c.value);
    const ExportConfigResult result = ExportConfigFile(file());
    EXPECT_EQ(result.values, 0u);
    EXPECT_EQ(result.skipped, std::vector<std::string>{c.skipped});
    EXPECT_TRUE(reimport().empty());
  }
}

// Texts drawn from the characters the encodings touch: every text the file
// carries comes back byte for byte, and only texts that cannot are left out.
TEST_F(ExportConfigTest, GeneratedTextsComeBackOrAreNamed) {
  // Pieces of the encodings' own sequences as well as single characters.
  const std::vector<std::string> pieces = {"&", "$", "\"", "'", "<", ">", "[", "]", " ", "#", ";", "36", "34",
                                           "pos", "amp", "lt", "gt", "_", "0x5B", "&#", "x", "\t", "\n", "\r", "&#36;",
                                           "&#34;", "&pos;", "&amp;", "$lt;", "$gt;",
                                           "\xC3\xA9"};
  std::uint32_t state = 12345;
  const auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7FFF; };
  std::map<std::string, std::string> texts;
  auto logs = platform::registry().openKey(HKCU, kLogsKey, platform::KeyAccess::ReadWrite, true);
  for (int i = 0; i < 400; ++i) {
    std::string text;
    const std::size_t length = next() % 10;
    for (std::size_t k = 0; k < length; ++k) text += pieces[next() % pieces.size()];
    texts["S" + std::to_string(i)] = text;
    logs->setValue("S" + std::to_string(i), sz(text));
  }
  logs->close();
  const ExportConfigResult result = ExportConfigFile(file());
  const Snapshot after = reimport();
  std::size_t written = 0;
  for (const auto& [name, text] : texts) {
    const bool skipped = std::any_of(result.skipped.begin(), result.skipped.end(), [&](const std::string& line) {
      return line.find("\"" + name + "\":") != std::string::npos;
    });
    const auto found = after.find({false, platform::upperCase(kLogsKey), platform::upperCase(name)});
    if (skipped) {
      EXPECT_EQ(found, after.end()) << name;
      continue;
    }
    ++written;
    ASSERT_NE(found, after.end()) << name;
    EXPECT_EQ(found->second, sz(text)) << name << ": " << text;
  }
  EXPECT_EQ(result.values, written);
  EXPECT_EQ(written + result.skipped.size(), texts.size());
  EXPECT_GT(written, 50u) << "the draw should not be all left out";
  EXPECT_GT(result.skipped.size(), 50u) << "the draw should hold \"_\" and \"&#36;\"";
}

// Per-user groups go back to the scope the catalogue keeps them in: "File
// Paths" (in any letter case) under PerUserNonRoam, so that an import into the
// settings file writes it to the non-roaming file, where the product reads it.
TEST_F(ExportConfigTest, UserValuesGoUnderPerUserRoamAndMachineValuesUnderPerMachine) {
  seed(HKCU, kProduct, "Uses", dword(3));
  seed(HKCU, kProduct + "\\file paths", "Logs Path", sz("/var/log/q"));
  seed(HKLM, kProduct + "\\File Paths", "Images Path", sz("/srv/img"));
  seed(HKCU, kLogsKey, "Level", dword(static_cast<std::uint32_t>(-1)));
  seed(HKCU, kProduct + "\\$Unknown\\My Group", "Text", sz("a <b> & 'c' $d [e]"));
  // Made in name order, which Wine lists them in too.
  seed(HKLM, kLogsKey, "Key [1]", binary({0x0A, 0x1B, 0xFF}));
  seed(HKLM, kLogsKey, "Level", dword(7));
  const ExportConfigResult result = ExportConfigFile(file());
  EXPECT_EQ(result.values, 7u);
  EXPECT_TRUE(result.skipped.empty());
  EXPECT_EQ(readFile(file()),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE Quillbray_Preferences>\n"
            "<Quillbray_Preferences>\n"
            "  <Quillbray>\n"
            "    <PerUserRoam>\n"
            "      <Uses type=\"integer\">3</Uses>\n"
            "      <My_Group>\n"
            "        <Text type=\"string\">a_$lt;b$gt;_&amp;amp;_&amp;pos;c&amp;pos;_&amp;#36;d__0x5B_e_0x5D_</Text>\n"
            "      </My_Group>\n"
            "      <Logs>\n"
            "        <Level type=\"integer\">-1</Level>\n"
            "      </Logs>\n"
            "    </PerUserRoam>\n"
            "    <PerUserNonRoam>\n"
            "      <file_paths>\n"
            "        <Logs_Path type=\"string\">/var/log/q</Logs_Path>\n"
            "      </file_paths>\n"
            "    </PerUserNonRoam>\n"
            "    <PerMachine>\n"
            "      <File_Paths>\n"
            "        <Images_Path type=\"string\">/srv/img</Images_Path>\n"
            "      </File_Paths>\n"
            "      <Logs>\n"
            "        <Key__0x5B_1_0x5D_ type=\"binary\">0A1BFF</Key__0x5B_1_0x5D_>\n"
            "        <Level type=\"integer\">7</Level>\n"
            "      </Logs>\n"
            "    </PerMachine>\n"
            "  </Quillbray>\n"
            "</Quillbray_Preferences>\n");
  const Snapshot after = reimport();
  EXPECT_EQ(after.size(), 7u);
  EXPECT_EQ(after.at({false, platform::upperCase(kProduct + "\\File Paths"), "LOGS PATH"}), sz("/var/log/q"));
  EXPECT_EQ(after.at({false, platform::upperCase(kLogsKey), "LEVEL"}), dword(0xFFFFFFFFu));
  EXPECT_EQ(after.at({true, platform::upperCase(kLogsKey), "LEVEL"}), dword(7));
  EXPECT_EQ(after.at({true, platform::upperCase(kLogsKey), "KEY [1]"}), binary({0x0A, 0x1B, 0xFF}));
}

TEST_F(ExportConfigTest, MissingHivesGiveAnEmptyFileThatImportsNothing) {
  const ExportConfigResult result = ExportConfigFile(file());
  EXPECT_EQ(result.values, 0u);
  EXPECT_TRUE(result.skipped.empty());
  EXPECT_FALSE(std::filesystem::exists(hives.user()));  // reading creates no hive
  EXPECT_FALSE(std::filesystem::exists(hives.machine()));
  EXPECT_NE(readFile(file()).find("<PerUserRoam/>\n    <PerMachine/>"), std::string::npos);
  EXPECT_TRUE(reimport().empty());
}

TEST_F(ExportConfigTest, TheFileIsReplacedWholeOrNotAtAll) {
  std::ofstream(file()) << "old";
  seed(HKCU, kLogsKey, "A", dword(1));
  ExportConfigFile(file());
  EXPECT_NE(readFile(file()).find("<A type=\"integer\">1</A>"), std::string::npos);
  // Nothing beside the file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 1);

  // A folder in the file's place cannot be replaced: a message naming the
  // file, and no temporary file left.
  const std::string inFolder = folder.file("sub");
  std::filesystem::create_directory(inFolder);
  std::ofstream(folder.file("sub/x")) << "keep";
  try {
    ExportConfigFile(inFolder);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot write the configuration file '" + inFolder + "'"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(readFile(folder.file("sub/x")), "keep");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()), 2);

  // A folder that does not exist.
  EXPECT_THROW(ExportConfigFile(folder.file("none/export.xml")), std::runtime_error);
}

// A file the import would refuse as a whole is not written: too large, or
// with too many different names. One just within both is written and imports.
TEST_F(ExportConfigTest, MoreThanTheImportReadsIsRefused) {
  EXPECT_EQ(ExportLimits{}.maxBytes, 64u * 1024 * 1024);
  EXPECT_EQ(ExportLimits{}.maxNames, ConfigLimits{}.maxNames);
  seed(HKCU, kLogsKey, "A", sz(std::string(1'000, 'x')));
  seed(HKCU, kLogsKey, "B", sz("y"));
  // Quillbray_Preferences, Quillbray, PerUserRoam, PerMachine, type, Logs, A,
  // B and the parser's own xml, xmlns and XML namespace.
  const std::size_t names = 11;
  const std::size_t bytes = ExportConfigFile(file()).values == 2 ? readFile(file()).size() : 0;
  ASSERT_GT(bytes, 1'000u);
  ImportStats stats;
  EXPECT_TRUE(ImportConfigFile(store, file(), stats));
  EXPECT_EQ(stats.values, 2u);
  EXPECT_EQ(ExportConfigFile(file(), {bytes, names}).values, 2u);
  ConfigLimits readLimits;
  readLimits.maxNames = names;
  EXPECT_NO_THROW(ConfigDocument(file(), readLimits));
  readLimits.maxNames = names - 1;
  EXPECT_THROW(ConfigDocument(file(), readLimits), ImportError);

  const struct {
    ExportLimits limits;
    std::string message;
  } cases[] = {
      {{bytes - 1, names},
       "it would hold " + GroupedNumber(bytes) + " bytes, and the import reads files of at most " +
           GroupedNumber(bytes - 1)},
      {{bytes, names - 1},
       "it would use " + GroupedNumber(names) + " different names, and the import reads files of at most " +
           GroupedNumber(names - 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::ofstream(file()) << "old";
    try {
      ExportConfigFile(file(), c.limits);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot write the configuration file '" + file() + "': " + c.message);
    }
    EXPECT_EQ(readFile(file()), "old");
  }
}

TEST(ExportEncodingTest, EncodedNamesAndTextsDecodeToWhatWasEncoded) {
  const char* const names[] = {"Plain", "Größe €", "[a] $b c", "Key  [1]", "x]y[z$"};
  for (const char* name : names) EXPECT_EQ(DecodeName(EncodeName(name)), name) << name;
  EXPECT_EQ(EncodeName("Größe €"), "Größe_€");
  EXPECT_EQ(EncodeName("$Temp [1]"), "_0x24_Temp__0x5B_1_0x5D_");
  // Sequences of the encoding itself survive, except "&#36;" (read after "&amp;").
  const char* const texts[] = {"", "a & b", "&pos; $lt; $gt; &#34; &amp;", "$5 \"q\" 'p'", "<tag>", "[x] [y]", "&amp; &lt;", "\xE2\x82\xAC 1"};
  for (const char* text : texts) EXPECT_EQ(DecodeText(EncodeText(text)), text) << text;
  EXPECT_NE(DecodeText(EncodeText("&#36;")), "&#36;");
  EXPECT_EQ(EncodeText("& $ \" ' < > [ ] "), "&amp;_&#36;_&#34;_&pos;_$lt;_$gt;__0x5B___0x5D__");
  EXPECT_EQ(EscapeXmlText("a&b<c>d\te\nf\rg"), "a&amp;b&lt;c&gt;d&#9;e&#10;f&#13;g");
}

TEST(ExportEncodingTest, ElementNamesAreXmlNamesWithoutColons) {
  const struct {
    const char* name;
    bool ok;
  } cases[] = {
      {"Logs", true}, {"_0x24_Temp", true}, {"Größe_€", true}, {"a-b.c9", true}, {"\xC2\xB7x", false},
      {"x\xC2\xB7", true}, {"", false}, {"2nd", false}, {"-a", false}, {".a", false}, {"a:b", false},
      {"a b", false}, {"a\\b", false}, {"a\xFF", false}, {"a&b", false}, {"\xE2\x80\x8B", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsXmlElementName(c.name), c.ok) << c.name;
}

}  // namespace
