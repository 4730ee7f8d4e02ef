// The program run as a user runs it: switches, file names, exit code.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "ProgramRun.h"
#include "StoreFixture.h"
#include "app/Main.h"
#include "common/Globals.h"
#include "settings/ConfigManager.h"

namespace {

using namespace quillbray;
using namespace qbtest;

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    std::filesystem::create_directories(folder("My Files/bin"));
    std::filesystem::create_directories(folder("tools"));
  }
  std::string folder(const std::string& sub) const { return hives.dir().file(sub); }
  // A configuration file that stores `uses` under "Uses" in the product key.
  std::string config(const std::string& path, int uses) const {
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                           "<Quillbray_Preferences><Quillbray><PerUserRoam>"
                           "<Uses type=\"integer\">"
                        << uses << "</Uses></PerUserRoam></Quillbray></Quillbray_Preferences>\n";
    return path;
  }
  std::optional<platform::RegistryValue> uses() const { return stored(HKCU, ProductKey, "Uses"); }

  ScopedHives hives;
};

TEST_F(ProgramTest, SwitchesAndFileNames) {
  const std::string dir = hives.dir().path().string();
  const std::string blanks = config(folder("My Files/my prefs.xml"), 1);
  const std::string plain = config(folder("prefs.xml"), 2);
  config(folder("My Files/bin/prefs.xml"), 3);
  config(folder("tools/a.xml"), 4);
  config(folder("tools/b.xml"), 5);

  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string cwd;
    std::optional<platform::RegistryValue> imported;
  } cases[] = {
      {"no arguments", {}, dir, std::nullopt},
      {"absolute path with blanks, unquoted", {"/IC", folder("My"), "Files/my", "prefs.xml"}, dir, dword(1)},
      {"absolute path with blanks, one argument", {"/IC" + blanks}, dir, dword(1)},
      {"lower-case switch", {"/ic", plain}, dir, dword(2)},
      {"quoted value", {"/IC\"" + blanks + "\""}, dir, dword(1)},
      {"bare name completed by /IP", {"/ICprefs.xml", "/IP" + folder("My Files/bin/quillbray")}, dir, dword(3)},
      {"/IP folder without trailing slash: its parent", {"/ICprefs.xml", "/IP" + folder("My Files")}, dir, dword(2)},
      {"/IP folder with trailing slash", {"/ICprefs.xml", "/IP" + folder("My Files/bin/")}, dir, dword(3)},
      {"relative /IP", {"/IPbin/prog", "/ICprefs.xml"}, folder("My Files"), dword(3)},
      {"/IP . is the current folder", {"/ICprefs.xml", "/IP", "."}, folder("My Files/bin"), dword(3)},
      {"/IP .. is the parent folder", {"/IC", "my", "prefs.xml", "/IP", ".."}, folder("My Files/bin"), dword(1)},
      {"/IP dir/.. is the folder itself", {"/IC", "my", "prefs.xml", "/IPbin/.."}, folder("My Files"), dword(1)},
      {"/IP absolute folder/.", {"/ICprefs.xml", "/IP" + folder("My Files/bin") + "/."}, dir, dword(3)},
      {"/IP ./ is the current folder", {"/ICprefs.xml", "/IP./"}, folder("My Files/bin"), dword(3)},
      {"/IP a file named ..x: its folder", {"/ICprefs.xml", "/IPbin/..x"}, folder("My Files"), dword(3)},
      {"bare name without /IP: current folder", {"/ICprefs.xml"}, dir, dword(2)},
      {"a folder part ignores /IP", {"/IC" + plain, "/IP/nowhere/prog"}, dir, dword(2)},
      {"two /IC: the first wins", {"/ICa.xml", "/ICb.xml"}, folder("tools"), dword(4)},
      {"a folder as /IC", {"/IC", folder("tools")}, dir, std::nullopt},
      {"nothing after /IC", {"/IC"}, dir, std::nullopt},
      {"missing file", {"/IC", folder("none.xml")}, dir, std::nullopt},
      {"other arguments are ignored", {"-v", "/X", "/IC", plain}, dir, dword(2)},
      {"the value runs to the line's end", {"/IC", plain, "-q"}, dir, std::nullopt},
      // Options are whole arguments, taken out before the switches are read.
      {"an option after the value", {"/IC", plain, "--strict"}, dir, dword(2)},
      {"an option inside a value with blanks",
       {"/IC", folder("My"), "--verbose", "Files/my", "prefs.xml"}, dir, dword(1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(hives.user());
    const ProgramRun run = runImport(c.args, c.cwd);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText, "");
    EXPECT_EQ(uses(), c.imported);
  }
}

// A file with one good value and one the store refuses: a value name over
// 16,383 characters, or a group whose key name is over 255 characters.
std::string partlyFailing(const std::string& path, bool badGroup) {
  const std::string bad = badGroup ? "<" + std::string(300, 'G') + "><V type=\"integer\">1</V></" +
                                         std::string(300, 'G') + ">"
                                   : "<Logs><" + std::string(16384, 'V') + " type=\"integer\">1</" +
                                         std::string(16384, 'V') + "></Logs>";
  std::ofstream(path) << "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                         "<Quillbray_Preferences><Quillbray><PerUserRoam>"
                      << bad << "<Uses type=\"integer\">7</Uses></PerUserRoam></Quillbray></Quillbray_Preferences>\n";
  return path;
}

TEST_F(ProgramTest, StrictReportsWhatPassesSilentlyAndAnswersTheStatus) {
  const std::string dir = hives.dir().path().string();
  const std::string good = config(folder("prefs.xml"), 2);
  const std::string notXml = folder("bad.xml");
  std::ofstream(notXml) << "<not xml";
  const std::string foreign = folder("other.xml");
  std::ofstream(foreign) << "<!DOCTYPE Other_Tool_Preferences><Other_Tool_Preferences/>";
  const std::string badValue = partlyFailing(folder("bad-value.xml"), false);
  const std::string badGroup = partlyFailing(folder("bad-group.xml"), true);
  const std::string missing = folder("none.xml");

  const struct {
    const char* what;
    std::vector<std::string> args;
    int strictStatus;
    std::string strictLine;  // the line --strict adds on stderr, if any
    std::string box;         // a text of the box on stderr, if any
    std::optional<platform::RegistryValue> imported;
  } cases[] = {
      {"every value stored", {"/IC", good}, 0, "", "", dword(2)},
      {"no arguments", {}, 1, "quillbray-import: no configuration file named (/IC FILE)\n", "", std::nullopt},
      {"nothing after /IC", {"/IC"}, 1, "quillbray-import: no configuration file named (/IC FILE)\n", "", std::nullopt},
      {"missing file", {"/IC", missing}, 1, "quillbray-import: " + missing + ": no such file\n", "", std::nullopt},
      {"a folder", {"/IC", folder("tools")}, 1, "quillbray-import: " + folder("tools") + ": is a folder, not a file\n",
       "", std::nullopt},
      {"not XML", {"/IC", notXml}, 1, "", "Could not import the program configuration", std::nullopt},
      {"another product's file", {"/IC", foreign}, 1, "", "This configuration file belongs to Other Tool",
       std::nullopt},
      {"a value fails", {"/IC", badValue}, 2, "", "quillbray-import Error: SetPrefInteger\n", dword(7)},
      {"a group fails", {"/IC", badGroup}, 2, "", "quillbray-import OpenPref Error\n", dword(7)},
  };
  for (const auto& c : cases) {
    for (const bool strict : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (strict ? ", --strict" : ""));
      std::filesystem::remove(hives.user());
      std::vector<std::string> args = c.args;
      if (strict) args.insert(args.begin(), "--strict");
      const ProgramRun run = runImport(args, dir);
      EXPECT_EQ(run.exitCode, strict ? c.strictStatus : 0);
      EXPECT_EQ(run.stdoutText, "");
      EXPECT_EQ(uses(), c.imported);
      if (c.box.empty()) {
        EXPECT_EQ(run.stderrText, strict ? c.strictLine : "");
      } else {
        EXPECT_NE(run.stderrText.find(c.box), std::string::npos) << run.stderrText;
        // No line that the file was not imported (a line for what the file's
        // rules did, "FILE:LINE: ...", may come).
        EXPECT_EQ(run.stderrText.find("quillbray-import: " + c.args.back() + ": "), std::string::npos)
            << run.stderrText;
      }
    }
  }
}

TEST_F(ProgramTest, HelpPrintsTheUsageAndImportsNothing) {
  const std::string good = config(folder("prefs.xml"), 2);
  const std::vector<std::string> cases[] = {
      {"--help"}, {"-h"}, {"/?"}, {"/IC", good, "--help"}, {"--strict", "-h", "/IC", folder("none.xml")},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.back());
    const ProgramRun run = runImport(args, hives.dir().path().string());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText, "");
    EXPECT_EQ(run.stdoutText.rfind("Usage: quillbray-import ", 0), 0u) << run.stdoutText;
    for (const char* part : {"/IC FILE", "/IP PROGRAM", "--strict", "--verbose", "QUILLBRAY_USER_HIVE",
                             "~/.config/quillbray/user.hive", "XDG_CONFIG_HOME", "QUILLBRAY_MACHINE_HIVE",
                             "/var/lib/quillbray/machine.hive", "QUILLBRAY_DIALOGS", "  2  the file was imported"})
      EXPECT_NE(run.stdoutText.find(part), std::string::npos) << part;
    EXPECT_EQ(uses(), std::nullopt);
  }
}

TEST_F(ProgramTest, VerboseSumsUpTheImport) {
  const std::string dir = hives.dir().path().string();
  const std::string file = folder("mixed.xml");
  // Counted: A, B, E (Logs, twice spelt), Uses (the product key), C ($Unknown\Mine),
  // M (the machine's Network). Not counted: an unknown type, a binary text
  // that fails the count test, a group never imported. Failed: the long name.
  std::ofstream(file) << "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                         "<Quillbray_Preferences><Quillbray><PerUserRoam>"
                         "<Logs><A type=\"integer\">1</A><B type=\"string\">x</B><D type=\"word\">1</D>"
                         "<Bin type=\"binary\">0A,1B,2C</Bin><"
                      << std::string(16384, 'V') << " type=\"integer\">1</" << std::string(16384, 'V')
                      << "></Logs><LOGS><E type=\"integer\">1</E></LOGS>"
                         "<Uses type=\"integer\">5</Uses><Mine><C type=\"boolean\">1</C></Mine>"
                         "<Schedules><S type=\"integer\">1</S></Schedules></PerUserRoam>"
                         "<PerMachine><Network><M type=\"integer\">1</M></Network></PerMachine>"
                         "</Quillbray></Quillbray_Preferences>\n";
  config(folder("prefs.xml"), 2);

  const struct {
    const char* what;
    std::vector<std::string> args;
    int exitCode;
    std::string line;
  } cases[] = {
      {"a mixed file", {"--verbose", "/IC", file}, 0,
       "Imported 6 values into 4 keys from " + file + " (5 per-user, 1 machine-wide); 1 failed\n"},
      {"with --strict", {"/IC", file, "--strict", "--verbose"}, 2,
       "Imported 6 values into 4 keys from " + file + " (5 per-user, 1 machine-wide); 1 failed; 4 not as written\n"},
      {"one value, a bare name", {"/ICprefs.xml", "--verbose"}, 0,
       "Imported 1 value into 1 key from prefs.xml (1 per-user, 0 machine-wide); 0 failed\n"},
      {"missing file", {"--verbose", "/IC", "none.xml"}, 0, "Imported nothing: none.xml: no such file\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(hives.user());
    std::filesystem::remove(hives.machine());
    const ProgramRun run = runImport(c.args, dir);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.stdoutText, c.line);
  }
}

TEST_F(ProgramTest, OptionsCountOnlyAsWholeArguments) {
  const std::string dir = hives.dir().path().string();
  config(folder("--strict.xml"), 4);
  config(folder("x --verbose.xml"), 5);
  const struct {
    const char* what;
    std::vector<std::string> args;
    int exitCode;
    std::string stdoutText;
    std::optional<platform::RegistryValue> imported;
    std::string stderrText = "";  // an unknown option is named, and otherwise ignored
  } cases[] = {
      {"an option's text as a file name", {"/IC", "--strict.xml"}, 0, "", dword(4)},
      {"an option's text inside a value", {"/IC", "x", "--verbose.xml"}, 0, "", dword(5)},
      {"an option's text inside one argument", {"/ICx --verbose.xml"}, 0, "", dword(5)},
      {"another letter case is no option", {"--STRICT", "/IC", "none.xml"}, 0, "", std::nullopt,
       "quillbray-import: unknown option --STRICT, ignored\n"},
      {"an option with a value is no option", {"--verbose=1", "/IC", "none.xml"}, 0, "", std::nullopt,
       "quillbray-import: unknown option --verbose=1, ignored\n"},
      {"a blank makes it no option", {"--strict ", "/IC", "none.xml"}, 0, "", std::nullopt,
       "quillbray-import: unknown option --strict , ignored\n"},
      {"the value is not taken for an option", {"/IC", "--strict.xml", "--verbose"}, 0,
       "Imported 1 value into 1 key from --strict.xml (1 per-user, 0 machine-wide); 0 failed\n", dword(4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(hives.user());
    const ProgramRun run = runImport(c.args, dir);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.stderrText, c.stderrText);
    EXPECT_EQ(run.stdoutText, c.stdoutText);
    EXPECT_EQ(uses(), c.imported);
  }
}

TEST_F(ProgramTest, AFailedImportIsShownAndTheExitCodeStaysZero) {
  const std::string bad = folder("bad.xml");
  std::ofstream(bad) << "<not xml";
  const ProgramRun run = runImport({"/IC", bad}, hives.dir().path().string());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText.rfind("Error: Quillbray Configuration Import\n"
                                 "Could not import the program configuration due to the following error:\n",
                                 0),
            0u)
      << run.stderrText;
  EXPECT_NE(run.stderrText.find("\nFilename: " + bad + "\n"), std::string::npos) << run.stderrText;
}

TEST(MainForm, CreationNamesTheEventLogAndDestructionFreesTheCatalogue) {
  {
    TMainWin form(CommandLine{{"prog"}});
    ASSERT_NE(ConfigManager, nullptr);
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").filename().string();
    EXPECT_EQ(EventLogFileName, GetSpecialFolderDir(28) + "Corvellan/" + exe + "_Events.log");
    EXPECT_EQ(EventLogTimeFormat, "");
    EXPECT_EQ(form.ConfigFileName, "");
  }
  EXPECT_EQ(ConfigManager, nullptr);
}

TEST(MainForm, TheProductFolderOfAnIpPath) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/q/prog", "/opt/q/"}, {"/opt/q/", "/opt/q/"},     {"/opt/q/.", "/opt/q/"},
      {"/opt/q/..", "/opt/"},     {"/opt/q/../r/.", "/opt/r/"}, {"/opt/q/..x", "/opt/q/"},
      {"/opt/q/.hidden", "/opt/q/"}, {"/", "/"},               {"/..", "/"},
  };
  for (const auto& [path, folder] : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(TMainWin::ProductFolder(path), folder);
  }
  EXPECT_EQ(TMainWin::ProductFolder("."), std::filesystem::current_path().string() + "/");
}

TEST(MainForm, ParseSwitchReadsTheValueFromTheWholeLine) {
  const struct {
    std::vector<std::string> argv;
    std::string file, path;
  } cases[] = {
      {{"prog", "/IC", "/home/me/my", "prefs.xml"}, "/home/me/my prefs.xml", ""},
      {{"prog", "/IC/home/me/prefs.xml", "/IP/opt/q/prog"}, "/home/me/prefs.xml", "/opt/q/prog"},
      {{"prog", "/ICprefs.xml", "/ip", "/opt/icons/prog"}, "/opt/icons/prefs.xml", "/opt/icons/prog"},
      {{"/opt/my /icons/prog", "/ICa.xml"}, "a.xml", ""},   // the program's own path holds no switch
      {{"prog", "/ICa.xml/IPC:/x"}, "a.xml/IPC:/x", ""},    // a switch counts only after a blank
      {{"prog", "x/IC", "/ICb.xml"}, "b.xml", ""},
  };
  // FormCreate has run: a bare /IC name is already completed with the /IP folder.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argv.back());
    TMainWin form(CommandLine{c.argv});
    EXPECT_EQ(form.ConfigFileName, c.file);
    EXPECT_EQ(form.ProductPath, c.path);
  }
}

}  // namespace
