// The program run as a user runs it: switches, file names, exit code.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "StoreFixture.h"
#include "app/Main.h"
#include "common/Globals.h"
#include "settings/ConfigManager.h"

namespace {

using namespace quillbray;
using namespace qbtest;

struct ProgramRun {
  int exitCode = -1;
  std::string stderrText;
};

// Runs quillbray-import with exactly these arguments (no shell) in a folder.
ProgramRun runImport(const std::vector<std::string>& args, const std::string& cwd) {
  TempDir out;
  const std::string errFile = out.file("stderr");
  std::vector<std::string> argv = {QB_IMPORT_TOOL};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_RDONLY);
    if (err < 0 || null < 0 || ::dup2(err, 2) < 0 || ::dup2(null, 0) < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(120);
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    ::execv(cargv[0], cargv.data());
    ::_exit(121);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(errFile)};
}

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
      {"bare name without /IP: current folder", {"/ICprefs.xml"}, dir, dword(2)},
      {"a folder part ignores /IP", {"/IC" + plain, "/IP/nowhere/prog"}, dir, dword(2)},
      {"two /IC: the first wins", {"/ICa.xml", "/ICb.xml"}, folder("tools"), dword(4)},
      {"a folder as /IC", {"/IC", folder("tools")}, dir, std::nullopt},
      {"nothing after /IC", {"/IC"}, dir, std::nullopt},
      {"missing file", {"/IC", folder("none.xml")}, dir, std::nullopt},
      {"other arguments are ignored", {"-v", "/X", "/IC", plain}, dir, dword(2)},
      {"the value runs to the line's end", {"/IC", plain, "--help"}, dir, std::nullopt},
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
