// What --strict, --dry-run and --location tell and do, run as a user runs
// the program, over the hive files the program and the test share (on
// Windows a program the test starts sees the real registry, not the test's
// private roots; tests/app_win32_test.cpp runs the options there).
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ProgramRun.h"
#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// A folder of its own for every place the store may use: hives, home and
// the XDG folders, so a run touches nothing outside it.
class ImportOptionsTest : public ::testing::Test {
 protected:
  ImportOptionsTest() {
    env_.set("HOME", path("home"));
    env_.set("XDG_CONFIG_HOME", path("config"));
    env_.set("XDG_DATA_HOME", path("data"));
    env_.set("XDG_CONFIG_DIRS", path("etc"));
    env_.set("QUILLBRAY_DIALOGS", "console");
    std::filesystem::create_directories(path("home"));
  }
  std::string path(const std::string& sub) const { return hives.dir().file(sub); }
  std::string dir() const { return hives.dir().path().string(); }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
    return path(name);
  }
  ProgramRun import(const std::vector<std::string>& args) const { return runImport(args, dir()); }

  ScopedHives hives;
  ScopedEnv env_;
};

// Every rule of the format that stores something other than what the file
// says, or nothing, without a word: one line each under --strict, in the
// order of the file.
TEST_F(ImportOptionsTest, StrictNamesEveryValueNotStoredAsWritten) {
  const std::string file = write("rules.xml",
                                 "<?xml version=\"1.0\"?>\n"                                            // 1
                                 "<!DOCTYPE Quillbray_Preferences>\n"                                   // 2
                                 "<Quillbray_Preferences>\n"                                            // 3
                                 "  <Other><X type=\"integer\">1</X></Other>\n"                         // 4
                                 "  <Quillbray>\n"                                                      // 5
                                 "    <PerMachnie>\n"                                                   // 6
                                 "      <Logs>\n"                                                       // 7
                                 "        <Flag type=\"boolean\">true</Flag>\n"                        // 8
                                 "        <Width type=\"integer\">30 </Width>\n"                       // 9
                                 "        <Big type=\"integer\">4294967296</Big>\n"                    // 10
                                 "        <Note type=\"string\">my_file name</Note>\n"                 // 11
                                 "        <Count type=\"int\">3</Count>\n"                              // 12
                                 "        <Key type=\"binary\">0G</Key>\n"                              // 13
                                 "        <Odd type=\"binary\">0A1B2</Odd>\n"                           // 14
                                 "        <Untyped>5</Untyped>\n"                                       // 15
                                 "        <Wrapped type=\"integer\"><![CDATA[5]]></Wrapped>\n"          // 16
                                 "        <Blank type=\"integer\"></Blank>\n"                           // 17
                                 "        <Good type=\"integer\">7</Good>\n"                            // 18
                                 "        <Spaced type=\"string\">a_b</Spaced>\n"                       // 19
                                 "      </Logs>\n"                                                      // 20
                                 "      <Logz><A type=\"string\">x</A></Logz>\n"                        // 21
                                 "      <Schedules><S type=\"int\">x</S></Schedules>\n"                 // 22
                                 "      <_0x24_Temp><T type=\"string\">x</T></_0x24_Temp>\n"            // 23
                                 "      <Uses type=\"word\">12</Uses>\n"                                // 24
                                 "      <Empty type=\"string\"/>\n"                                     // 25
                                 "    </PerMachnie>\n"                                                  // 26
                                 "    <Stray>text</Stray>\n"                                            // 27
                                 "  </Quillbray>\n"                                                     // 28
                                 "</Quillbray_Preferences>\n");
  const std::string at = file + ":";
  const struct {
    const char* rule;
    std::string line;
  } expected[] = {
      {"another element below the root", "4: element \"Other\": ignored: only the product element \"Quillbray\" is "
                                         "read below the root"},
      {"a misspelt scope", "6: scope \"PerMachnie\": its values go to PerUserRoam: no scope has this name "
                           "(PerUserRoam, PerUserNonRoam or PerMachine, letter case included)"},
      {"a word for a boolean", "8: group \"Logs\", value \"Flag\": stored as false: \"true\" is not a number "
                               "(1 is true, 0 false)"},
      {"a trailing blank", "9: group \"Logs\", value \"Width\": stored as 0: \"30 \" ends in a blank"},
      {"beyond 32 bits", "10: group \"Logs\", value \"Big\": stored as 0: \"4294967296\" is outside the 32-bit "
                         "range"},
      {"\"_\" beside blanks", "11: group \"Logs\", value \"Note\": stored with a blank for each \"_\": the text "
                              "holds blanks as well, so it was not written in the file's encoding, where \"_\" "
                              "stands for a blank"},
      {"an unknown type", "12: group \"Logs\", value \"Count\": not stored: its type \"int\" is none of integer, "
                          "string, boolean and binary (letter case included)"},
      {"the count test", "13: group \"Logs\", value \"Key\": not stored: the text \"0G\" has 1 hexadecimal digit, "
                         "and its length asks for 2 (two digits a byte, blanks aside)"},
      {"an odd digit", "14: group \"Logs\", value \"Odd\": stored as 2 bytes: the last hexadecimal digit of "
                       "\"0A1B2\" is passed over"},
      {"no type", "15: group \"Logs\", value \"Untyped\": not stored: it has no \"type\" attribute"},
      {"not one text", "16: group \"Logs\", value \"Wrapped\": stored as 0: its content is not one text (a CDATA "
                       "section, a comment or an element is in it), so it is read as empty"},
      {"no text", "17: group \"Logs\", value \"Blank\": stored as 0: it has no text"},
      {"an unknown group", "21: group \"Logz\": stored in the key \"$Unknown\\Logz\": the product has no group of "
                           "this name"},
      {"Schedules", "22: group \"Schedules\": not imported: the group Schedules is never imported"},
      {"$TEMP", "23: group \"$Temp\": not imported: a group whose name holds \"$TEMP\" is never imported"},
      {"a loose value of an unknown type", "24: loose value \"Uses\": not stored: its type \"word\" is none of "
                                           "integer, string, boolean and binary (letter case included)"},
      {"an empty loose value", "25: element \"Empty\": not stored: an empty element directly in a scope is an "
                               "empty group, not a value"},
      {"text where a scope would be", "27: element \"Stray\": ignored: a text element is no scope"},
  };

  const ProgramRun quiet = import({"/IC", file});
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.stderrText, "");
  EXPECT_EQ(quiet.stdoutText, "");

  const ProgramRun strict = import({"--strict", "/IC", file});
  EXPECT_EQ(strict.exitCode, 2);
  EXPECT_EQ(strict.stdoutText, "");
  const std::vector<std::string> told = lines(strict.stderrText);
  ASSERT_EQ(told.size(), std::size(expected)) << strict.stderrText;
  for (std::size_t i = 0; i < told.size(); ++i) {
    SCOPED_TRACE(expected[i].rule);
    EXPECT_EQ(told[i], "quillbray-import: " + at + expected[i].line);
  }
  // The lines say what the store got.
  const std::string logs = std::string(ProductKey) + "\\Logs";
  EXPECT_EQ(stored(HKCU, logs, "Flag"), dword(0));
  EXPECT_EQ(stored(HKCU, logs, "Width"), dword(0));
  EXPECT_EQ(stored(HKCU, logs, "Note"), sz("my file name"));
  EXPECT_EQ(stored(HKCU, logs, "Count"), std::nullopt);
  EXPECT_EQ(stored(HKCU, logs, "Key"), std::nullopt);
  EXPECT_EQ(stored(HKCU, logs, "Good"), dword(7));
  EXPECT_EQ(stored(HKCU, logs, "Spaced"), sz("a b"));  // "_" alone is the file's blank: no line
  EXPECT_EQ(stored(HKCU, std::string(ProductKey) + "\\$Unknown\\Logz", "A"), sz("x"));

  const ProgramRun verbose = import({"--strict", "--verbose", "/IC", file});
  EXPECT_EQ(verbose.exitCode, 2);
  EXPECT_EQ(verbose.stdoutText, "Imported 10 values into 2 keys from " + file +
                                    " (10 per-user, 0 machine-wide); 0 failed; 18 not as written\n");
}

TEST_F(ImportOptionsTest, AFileWrittenToTheRulesPassesStrict) {
  const std::string file =
      write("good.xml",
            "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray>"
            "<PerUserRoam><Logs><Log_Format type=\"string\">yyyy_0x5B_mm_0x5D__dd</Log_Format>"
            "<N type=\"integer\">$1F</N><B type=\"boolean\">-1</B><Bin type=\"binary\">0A 1B</Bin>"
            "<E type=\"binary\"></E><S type=\"string\"></S></Logs><Uses type=\"integer\">3</Uses></PerUserRoam>"
            "<!-- a note --></Quillbray></Quillbray_Preferences>\n");
  const ProgramRun run = import({"--strict", "/IC", file});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText, "");
  EXPECT_EQ(stored(HKCU, std::string(ProductKey) + "\\Logs", "Log Format"), sz("yyyy[mm] dd"));
}

// A dry run on the example against empty hives, then after the import:
// every value "same", and nothing written either time.
TEST_F(ImportOptionsTest, DryRunShowsWhatTheImportWouldDoAndWritesNothing) {
  const std::string example = QB_EXAMPLE_CONFIG;
  const ProgramRun first = import({"--dry-run", "/IC", example});
  EXPECT_EQ(first.exitCode, 2);  // the example holds a $Temp group and one of its own
  EXPECT_FALSE(std::filesystem::exists(hives.user()));
  EXPECT_FALSE(std::filesystem::exists(hives.machine()));
  const std::vector<std::string> planned = lines(first.stdoutText);
  ASSERT_EQ(planned.size(), 25u) << first.stdoutText;
  EXPECT_EQ(planned[0], "new      HKCU\\Software\\Corvellan\\Quillbray 4  \"Uses\" = REG_DWORD 0x6ce (1742)");
  EXPECT_NE(first.stdoutText.find("new      HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"Log Format\" = "
                                  "REG_SZ \"yyyy-mm-dd hh:nn:ss\"\n"),
            std::string::npos);
  EXPECT_NE(first.stdoutText.find("new      HKLM\\Software\\Corvellan\\Quillbray 4\\Network  \"Minutes\" = "
                                  "REG_DWORD 0xf (15)\n"),
            std::string::npos);
  EXPECT_EQ(planned.back(), "Dry run of " + example +
                                ": 24 values into 9 keys (24 new, 0 changed, 0 same; 20 per-user, 4 machine-wide); "
                                "0 failed; 2 not as written; nothing was written");
  EXPECT_EQ(lines(first.stderrText).size(), 2u) << first.stderrText;

  ASSERT_EQ(import({"/IC", example}).exitCode, 0);
  const std::string user = readFile(hives.user()), machine = readFile(hives.machine());
  const ProgramRun again = import({"--dry-run", "/IC", example});
  EXPECT_EQ(again.exitCode, 2);
  for (const std::string& line : lines(again.stdoutText))
    EXPECT_TRUE(line.starts_with("same     ") || line.starts_with("Dry run")) << line;
  EXPECT_NE(again.stdoutText.find("(0 new, 0 changed, 24 same;"), std::string::npos) << again.stdoutText;

  // A value the user changed since, one of another type, one deleted.
  {
    auto key = platform::registry().openKey(HKCU, std::string(ProductKey) + "\\Logs", platform::KeyAccess::ReadWrite,
                                            false);
    key->setValue("Macro log Warning Size", dword(300));
    key->setValue("Log Unusual Events", sz("1"));
    key->deleteValue("Log Format");
    key->close();
  }
  const std::string changedUser = readFile(hives.user());
  const ProgramRun changed = import({"--dry-run", "/IC", example});
  for (const char* line :
       {"changed  HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"Macro log Warning Size\" = REG_DWORD 0x12c (300) "
        "-> 0x1f4 (500)\n",
        "changed  HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"Log Unusual Events\" = REG_SZ \"1\" -> "
        "REG_DWORD 0x1 (1)\n",
        "new      HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"Log Format\" = REG_SZ \"yyyy-mm-dd hh:nn:ss\"\n",
        "(1 new, 2 changed, 21 same;"})
    EXPECT_NE(changed.stdoutText.find(line), std::string::npos) << line << changed.stdoutText;
  EXPECT_EQ(readFile(hives.user()), changedUser);
  EXPECT_EQ(readFile(hives.machine()), machine);
}

// The layered form: a user value not set is read from the machine's, as
// the import would leave it.
TEST_F(ImportOptionsTest, DryRunComparesWithTheMachineValueTheUserDoesNotOverride) {
  const std::string file = write("one.xml",
                                 "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                 "<Quillbray_Preferences><Quillbray><PerUserRoam><Logs><A type=\"integer\">5</A>"
                                 "<B type=\"integer\">6</B></Logs></PerUserRoam></Quillbray></Quillbray_Preferences>");
  {
    auto key = platform::registry().openKey(HKLM, std::string(ProductKey) + "\\Logs", platform::KeyAccess::ReadWrite,
                                            true);
    key->setValue("A", dword(5));
    key->setValue("B", dword(1));
    key->close();
  }
  const ProgramRun run = import({"--dry-run", "/IC", file});
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(run.stdoutText,
            "same     HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"A\" = REG_DWORD 0x5 (5)\n"
            "changed  HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"B\" = REG_DWORD 0x1 (1) -> 0x6 (6)\n"
            "Dry run of " + file + ": 2 values into 1 key (0 new, 1 changed, 1 same; 2 per-user, 0 machine-wide); "
            "0 failed; 0 not as written; nothing was written\n");
  EXPECT_FALSE(std::filesystem::exists(hives.user()));
}

TEST_F(ImportOptionsTest, DryRunOfAFileThatCannotBeImported) {
  const std::string missing = path("none.xml");
  const std::string bad = write("bad.xml", "<not xml");
  const struct {
    const char* what;
    std::string file;
    std::string stderrPart;
  } cases[] = {
      {"missing", missing, "quillbray-import: " + missing + ": no such file\n"},
      {"not XML", bad, "Could not import the program configuration"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun run = import({"--dry-run", "/IC", c.file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.stdoutText, "");
    EXPECT_NE(run.stderrText.find(c.stderrPart), std::string::npos) << run.stderrText;
  }
}

// --lint: every --strict line and every value the product would not read
// as written, one line each in file order, in the compiler's form; nothing
// is written.
TEST_F(ImportOptionsTest, LintNamesWhatTheProductWouldNotReadAsWritten) {
  const std::string home = path("home");
  std::filesystem::create_directories(home + "/Documents");
  const std::string file = write(
      "lint.xml",
      "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray>\n"  // 1-3
      "<PerUserRoam>\n"                                                                                    // 4
      "<Uses type=\"string\">3</Uses>\n"                                                                   // 5
      "<Logs>\n"                                                                                            // 6
      "<LogFormat type=\"string\">yyyy</LogFormat>\n"                                                      // 7
      "<log_format type=\"string\">yyyy</log_format>\n"                                                    // 8
      "<Log_Unusual_Events type=\"integer\">1</Log_Unusual_Events>\n"                                     // 9
      "<Event_Notification_Color type=\"integer\">$12345678</Event_Notification_Color>\n"                 // 10
      "<Debug_Event_Notifications type=\"string\">1</Debug_Event_Notifications>\n"                         // 11
      "<Width type=\"integer\">30 </Width>\n"                                                              // 12
      "</Logs>\n"                                                                                           // 13
      "<General><Prefix type=\"string\">abc</Prefix><Prefix type=\"string\">\xC3\xA9\xC3\xA9</Prefix></General>\n"  // 14
      "<MRU><file_24 type=\"string\">x</file_24><file_25 type=\"string\">x</file_25></MRU>\n"             // 15
      "<Files><file_99 type=\"string\">x</file_99><Last type=\"string\">x</Last></Files>\n"              // 16
      "<File_Paths><Logs_Path type=\"string\">" + home + "/Documents/logs</Logs_Path></File_Paths>\n"     // 17
      "<Appearance><Theme_Retro_QB_Playback_Bar_Color type=\"integer\">$FF000010</Theme_Retro_QB_Playback_Bar_Color></Appearance>\n"  // 18
      "</PerUserRoam>\n<PerUserNonRoam>\n"                                                                 // 19-20
      "<file_paths><Images_Path type=\"string\">[My Docs]\\img</Images_Path>"
      "<Error_Path type=\"string\">[csidl_appdata]\\e</Error_Path></file_paths>\n"                       // 21
      "<Network><Minutes type=\"integer\">5</Minutes></Network>\n"                                         // 22
      "</PerUserNonRoam>\n<PerMachine><Network><Minutes type=\"integer\">5</Minutes></Network></PerMachine>\n"  // 23-24
      "</Quillbray></Quillbray_Preferences>\n");
  const std::string at = file + ":";
  const ProgramRun run = import({"--lint", "/IC", file});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(lines(run.stdoutText),
            (std::vector<std::string>{
                at + "5: warning: loose value \"Uses\": sent as string, where the product saves and reads an integer",
                at + "7: warning: group \"Logs\", value \"LogFormat\": the product has no value of this name in this "
                     "group; did you mean \"Log Format\"?",
                at + "10: warning: group \"Logs\", value \"Event Notification Color\": the colour 0x12345678 has a "
                     "top byte of neither 0x00 (an RGB colour) nor 0xFF (a system colour by its low byte)",
                at + "11: warning: group \"Logs\", value \"Debug Event Notifications\": sent as string, where the "
                     "product saves and reads a boolean",
                at + "12: warning: group \"Logs\", value \"Width\": stored as 0: \"30 \" ends in a blank",
                at + "12: warning: group \"Logs\", value \"Width\": the product has no value of this name in this "
                     "group",
                at + "14: warning: group \"General\", value \"Prefix\": 3 characters, where the product keeps at "
                     "most 2",
                at + "15: warning: group \"MRU\", value \"file 25\": slot 25 is outside the product's slots 0-24",
                at + "16: warning: group \"Files\", value \"Last\": the product has no value of this name in this "
                     "group: it reads \"file 0\", \"file 1\"...",
                at + "17: warning: group \"File Paths\": under PerUserRoam, where the product does not read it: it "
                     "keeps this group in PerUserNonRoam (the settings file keeps the two in different files)",
                at + "17: warning: group \"File Paths\", value \"Logs Path\": \"" + home +
                    "/Documents/logs\" names a folder of this machine; \"[My Documents]\\logs\" carries it to "
                    "every machine",
                at + "21: warning: group \"file paths\", value \"Images Path\": the path token \"[My Docs]\" is "
                     "not one the product knows",
                at + "22: warning: group \"Network\": under PerUserNonRoam, where the product does not read it: it "
                     "keeps this group in PerUserRoam (the settings file keeps the two in different files)",
            }));
  EXPECT_FALSE(std::filesystem::exists(hives.user()));
  // The example is clean but for what --strict tells of it.
  const ProgramRun example = import({"--lint", "/IC", QB_EXAMPLE_CONFIG});
  EXPECT_EQ(example.exitCode, 2);
  EXPECT_EQ(lines(example.stdoutText).size(), 2u) << example.stdoutText;
  EXPECT_EQ(import({"--lint", "/IC", path("none.xml")}).exitCode, 1);
  const std::string clean = write("clean.xml",
                                  "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences>"
                                  "<Quillbray><PerUserRoam><Logs><Log_Format type=\"string\">yyyy</Log_Format>"
                                  "</Logs></PerUserRoam></Quillbray></Quillbray_Preferences>\n");
  const ProgramRun quiet = import({"/IC", clean, "--lint"});
  EXPECT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.stdoutText + quiet.stderrText, "");
}

// --undo-file: written whole before the import; imported by the reg tool it
// gives back both hives exactly as they were, byte for byte in their export.
TEST_F(ImportOptionsTest, TheUndoFilePutsBackWhatTheImportChanged) {
  const std::string product = ProductKey;
  // Overwritten values of every type the store holds; a value only the
  // machine has, which the user's new value will shadow; keys the import
  // creates (General below the product key, and the machine's Network).
  seed(HKCU, product, "Uses", platform::RegistryValue{11, {7, 0, 0, 0, 0, 0, 0, 0}});
  seed(HKCU, product + "\\Logs", "Log Format", sz("old"));
  seed(HKCU, product + "\\Logs", "Log Unusual Events", platform::RegistryValue{platform::REG_EXPAND_SZ, {'%', 'x', '%', 0}});
  seed(HKCU, product + "\\Logs", "Macro log Warning Size", binary({1, 2, 3}));
  seed(HKCU, product + "\\Logs", "Event Notification Color", platform::RegistryValue{7, {'a', 0, 0}});
  seed(HKCU, product + "\\Logs", "Kept", dword(5));
  seed(HKCU, product + "\\Appearance", "Visual Theme", dword(1));
  seed(HKLM, product + "\\File Paths", "Events File", sz("machine"));
  const auto exports = [&] {
    return runProgram(QB_REG_TOOL, {"export", "HKCU", "-"}, dir()).stdoutText + runProgram(QB_REG_TOOL, {"export", "HKLM", "-"}, dir()).stdoutText;
  };
  const std::string before = exports();
  const std::string undo = path("undo.reg");

  // Refused before anything is written: no name, a settings file, a file
  // that cannot be written.
  EXPECT_EQ(import({"/IC", QB_EXAMPLE_CONFIG, "--undo-file"}).exitCode, 1);
  const ProgramRun file = import({"--location", "file", "--undo-file", undo, "/IC", QB_EXAMPLE_CONFIG});
  EXPECT_EQ(file.exitCode, 1);
  EXPECT_NE(file.stderrText.find("--undo-file works with the registry"), std::string::npos) << file.stderrText;
  const ProgramRun unwritable = import({"--undo-file", path("no/such/folder/undo.reg"), "/IC", QB_EXAMPLE_CONFIG});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.stderrText.find("cannot write the undo file"), std::string::npos) << unwritable.stderrText;
  EXPECT_EQ(exports(), before);
  EXPECT_FALSE(std::filesystem::exists(path("config")));

  // A dry run writes it and imports nothing; the import writes the same.
  ASSERT_EQ(import({"--dry-run", "--undo-file", undo, "/IC", QB_EXAMPLE_CONFIG}).exitCode, 2);
  EXPECT_EQ(exports(), before);
  const std::string planned = readFile(undo);
  const ProgramRun run = import({"/IC", QB_EXAMPLE_CONFIG, "--undo-file=" + undo});
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(readFile(undo), planned);
  ASSERT_NE(exports(), before);
  EXPECT_EQ(stored(HKLM, product + "\\File Paths", "Events File"), sz("machine"));  // the user's value shadows it

  const ProgramRun back = runProgram(QB_REG_TOOL, {"import", undo}, dir());
  ASSERT_EQ(back.exitCode, 0) << back.stderrText;
  EXPECT_EQ(exports(), before);
}

// Where the import would meet a hive it cannot read, the dry run says so
// and goes on, as the import does with its boxes.
TEST_F(ImportOptionsTest, DryRunTellsOfAHiveItCannotRead) {
  const std::string file = write("both.xml",
                                 "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                 "<Quillbray_Preferences><Quillbray><PerUserRoam><Logs><A type=\"integer\">5</A>"
                                 "</Logs></PerUserRoam><PerMachine><Network><M type=\"integer\">1</M></Network>"
                                 "</PerMachine></Quillbray></Quillbray_Preferences>");
  write("machine.hive", "not a database");
  const ProgramRun run = import({"--dry-run", "/IC", file});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.stdoutText, "new      HKCU\\Software\\Corvellan\\Quillbray 4\\Logs  \"A\" = REG_DWORD 0x5 (5)\n"
                            "Dry run of " + file + ": 1 value into 1 key (1 new, 0 changed, 0 same; 1 per-user, "
                            "0 machine-wide); 1 failed; 0 not as written; nothing was written\n");
  const std::string unreadable = "hive '" + hives.machine() + "': cannot read: file is not a database\n";
  EXPECT_EQ(run.stderrText,
            "quillbray-import: the machine-wide preferences could not be read; values are compared with your own "
            "only: " + unreadable +
            "quillbray-import: the key Software\\Corvellan\\Quillbray 4\\Network could not be opened: " +
            unreadable);
  EXPECT_EQ(readFile(hives.machine()), "not a database");
  EXPECT_FALSE(std::filesystem::exists(hives.user()));
}

// The settings-file locations: the same import lands in Quillbray.ini, in
// the folder of each scope, or beside the program.
TEST_F(ImportOptionsTest, LocationFileImportsIntoTheSettingsFiles) {
  const std::string file = write("scopes.xml",
                                 "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                 "<Quillbray_Preferences><Quillbray>"
                                 "<PerUserRoam><Logs><Log_Format type=\"string\">hh:nn</Log_Format></Logs>"
                                 "<Uses type=\"integer\">-3</Uses></PerUserRoam>"
                                 "<PerUserNonRoam><Windows><W type=\"binary\">0A1B</W></Windows></PerUserNonRoam>"
                                 "<PerMachine><Network><On type=\"boolean\">1</On></Network></PerMachine>"
                                 "</Quillbray></Quillbray_Preferences>\n");
  const ProgramRun dry = import({"--location", "file", "--dry-run", "/IC", file});
  EXPECT_EQ(dry.exitCode, 0) << dry.stderrText;
  EXPECT_NE(dry.stdoutText.find("new      " + path("config") + "/Corvellan/Quillbray 4/Quillbray.ini [Logs]  "
                                "\"Log Format\" = \"hh:nn\"\n"),
            std::string::npos)
      << dry.stdoutText;
  EXPECT_FALSE(std::filesystem::exists(path("config")));

  const ProgramRun run = import({"--location=file", "--verbose", "/IC", file});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stdoutText, "Imported 4 values into 4 keys from " + file + " (3 per-user, 1 machine-wide); 0 failed\n");
  EXPECT_EQ(readFile(path("config") + "/Corvellan/Quillbray 4/Quillbray.ini"),
            "[Logs]\r\nLog Format=hh:nn\r\n[Quillbray]\r\nUses=-3\r\n");
  EXPECT_EQ(readFile(path("data") + "/Corvellan/Quillbray 4/Quillbray.ini"), "[Windows]\r\nW=0A1B\r\n");
  EXPECT_EQ(readFile(path("etc") + "/Corvellan/Quillbray 4/Quillbray.ini"), "[Network]\r\nOn=1\r\n");
  EXPECT_FALSE(std::filesystem::exists(hives.user()));

  const ProgramRun same = import({"--location", "FILE", "--dry-run", "/IC", file});
  EXPECT_NE(same.stdoutText.find("(0 new, 0 changed, 4 same;"), std::string::npos) << same.stdoutText;

  // The reg tool reads the same files back through the store.
  const std::string product = "Software\\Corvellan\\Quillbray 4";
  const ProgramRun user = runProgram(QB_REG_TOOL, {"--location", "file", "export", "HKCU\\" + product}, dir());
  EXPECT_EQ(user.exitCode, 0) << user.stderrText;
  EXPECT_EQ(user.stdoutText,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4]\n\"Uses\"=\"-3\"\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\Logs]\n\"Log Format\"=\"hh:nn\"\n\n");
  const ProgramRun machine =
      runProgram(QB_REG_TOOL, {"export", "HKLM\\" + product + "\\Network", "--location=file"}, dir());
  EXPECT_NE(machine.stdoutText.find("[HKEY_LOCAL_MACHINE\\" + product + "\\Network]\n\"On\"=\"1\"\n"),
            std::string::npos)
      << machine.stdoutText << machine.stderrText;
}

// A value the settings file would not give back whole fails, naming itself,
// and --strict says so; the other values and what they read back stay whole
// (blanks at a text's ends included).
TEST_F(ImportOptionsTest, LocationFileRefusesWhatWouldNotReadBack) {
  const std::string file = write("long.xml",
                                 "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                 "<Quillbray_Preferences><Quillbray><PerUserRoam><General>"
                                 "<Prefix type=\"string\">" + std::string(3000, 'p') + "</Prefix>"
                                 "<Suffix type=\"string\">__two__</Suffix>"
                                 "</General></PerUserRoam></Quillbray></Quillbray_Preferences>\n");
  const ProgramRun run = import({"--location", "file", "--strict", "/IC", file});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.stderrText.find("the value 'Prefix' is 3000 bytes long; at most 2047 bytes of a value are read back"),
            std::string::npos)
      << run.stderrText;
  EXPECT_EQ(readFile(path("config") + "/Corvellan/Quillbray 4/Quillbray.ini"), "[General]\r\nSuffix=\"  two  \"\r\n");
}

TEST_F(ImportOptionsTest, LocationUsbImportsBesideTheProgram) {
  const std::string stick = path("stick");
  std::filesystem::create_directories(stick);
  const std::string program = stick + "/quillbray-import";
  std::filesystem::copy_file(QB_IMPORT_TOOL, program);
  const std::string file = write("usb.xml",
                                 "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                 "<Quillbray_Preferences><Quillbray><PerUserRoam><Uses type=\"integer\">9</Uses>"
                                 "</PerUserRoam><PerMachine><Network><On type=\"boolean\">1</On></Network>"
                                 "</PerMachine></Quillbray></Quillbray_Preferences>\n");
  const ProgramRun run = runProgram(program, {"--location", "usb", "/IC", file}, dir());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText, "");
  EXPECT_EQ(readFile(stick + "/Quillbray.ini"), "[Quillbray]\r\nUses=9\r\n[Network]\r\nOn=1\r\n");
  // The reg tool installed beside it reads the same file.
  std::filesystem::copy_file(QB_REG_TOOL, stick + "/quillbray-reg");
  const ProgramRun back = runProgram(stick + "/quillbray-reg",
                                    {"--location", "usb", "export", "HKCU\\Software\\Corvellan\\Quillbray 4"}, dir());
  EXPECT_EQ(back.exitCode, 0) << back.stderrText;
  EXPECT_NE(back.stdoutText.find("[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4]\n\"Uses\"=\"9\"\n"),
            std::string::npos)
      << back.stdoutText;
  EXPECT_NE(back.stdoutText.find("[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\Network]\n\"On\"=\"1\"\n"),
            std::string::npos)
      << back.stdoutText;
  EXPECT_FALSE(std::filesystem::exists(path("config")));
  EXPECT_FALSE(std::filesystem::exists(hives.user()));
}

// What the options themselves get wrong is said, and a typo never passes
// unseen.
TEST_F(ImportOptionsTest, MistakenOptionsAreNamed) {
  const std::string prefs = write("prefs.xml",
                                  "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                  "<Quillbray_Preferences><Quillbray><PerUserRoam><Uses type=\"integer\">4</Uses>"
                                  "</PerUserRoam></Quillbray></Quillbray_Preferences>\n");
  write("notes.txt", "x");
  const std::string hint =
      "Usage: quillbray-import [OPTIONS] /IC FILE [/IP PROGRAM]\n"
      "quillbray-import: to import prefs.xml, name it after /IC: quillbray-import /IC prefs.xml\n";
  const struct {
    const char* what;
    std::vector<std::string> args;
    int exitCode;
    std::string stderrText;
    std::optional<platform::RegistryValue> imported;
  } cases[] = {
      {"a typo of --strict", {"/IC", "prefs.xml", "--stric"}, 0, "quillbray-import: unknown option --stric, ignored\n",
       dword(4)},
      {"two unknown options", {"--dryrun", "--x", "/IC", "prefs.xml"}, 0,
       "quillbray-import: unknown option --dryrun, ignored\nquillbray-import: unknown option --x, ignored\n", dword(4)},
      {"the value of a bare /IC", {"/IC", "--stric"}, 0, "", std::nullopt},
      {"an unknown location", {"--location", "disk", "/IC", "prefs.xml"}, 1,
       "quillbray-import: unknown location 'disk': use registry, flat, file or usb; nothing was imported\n",
       std::nullopt},
      {"no location", {"/IC", "prefs.xml", "--location"}, 1,
       "quillbray-import: --location needs a name: use registry, flat, file or usb; nothing was imported\n",
       std::nullopt},
      {"an .xml file without /IC", {"prefs.xml"}, 0, hint, std::nullopt},
      {"the same under --strict", {"--strict", "prefs.xml"}, 1,
       "quillbray-import: no configuration file named (/IC FILE)\n" + hint, std::nullopt},
      {"a file that is no .xml", {"notes.txt"}, 0, "", std::nullopt},
      {"an .xml file that does not exist", {"other.xml"}, 0, "", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(hives.user());
    const ProgramRun run = import(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.stderrText, c.stderrText);
    EXPECT_EQ(run.stdoutText, "");
    EXPECT_EQ(stored(HKCU, ProductKey, "Uses"), c.imported);
  }
}

}  // namespace
