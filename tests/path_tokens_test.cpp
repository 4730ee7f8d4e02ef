// Path tokens, the special folders' fall-backs and the event log's name, on
// both systems. The shell's folders come from a table the test installs, so
// that each case names exactly the folders it is about; a column per system
// holds what differs (Linux separates with "/", Windows with "\").
#include <map>
#include <optional>

#include "TestSupport.h"
#include "common/Globals.h"
#include "platform/MountPoint.h"
#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "platform/Registry.h"
#include "platform/ShellFolders.h"
#include "platform/SystemFolders.h"
#include "prefs/ConfigBase.h"
#include "prefs/PrefLocation.h"

namespace {

using namespace quillbray;
using namespace platform;

// The Linux or the Windows column.
template <typename T>
const T& pick(const T& linux, const T& windows) {
  return qbtest::kOnWindows ? windows : linux;
}
std::string pick(const char* linux, const char* windows) { return qbtest::kOnWindows ? windows : linux; }

// A registry that holds no key, so that a fall-back that asks it finds
// nothing, whatever the machine's own registry holds.
class EmptyRegistry : public Registry {
 public:
  EmptyRegistry() : scope_(*this) {}
  std::unique_ptr<RegistryKey> openKey(RegistryRoot, std::string_view, KeyAccess, bool) override { return nullptr; }
  std::string location(RegistryRoot) override { return "(empty)"; }
  bool mayWrite(RegistryRoot) override { return false; }
  void beginBatch() override {}
  void commitBatch() override {}
  void endBatch() override {}

 private:
  ScopedRegistry scope_;
};

// A machine as the shell describes it. On Windows it is laid out as current
// versions lay it out, with the temporary files inside the local application
// data; the Linux column puts its temporary files inside the local data too,
// so that both show the same order of rows.
struct Machine {
  std::string documents = pick("/h/me/Documents/", "C:\\Users\\me\\Documents\\");
  std::string desktop = pick("/h/me/Desktop/", "C:\\Users\\me\\Desktop\\");
  std::string temp = pick("/h/me/.local/share/tmp/", "C:\\Users\\me\\AppData\\Local\\Temp\\");
  std::string programFiles = pick("/opt/", "C:\\Program Files\\");
  std::string commonFiles = pick("/usr/local/share/", "C:\\Program Files\\Common Files\\");
  std::string commonDocuments = pick("/srv/", "C:\\Users\\Public\\Documents\\");
  std::string roaming = pick("/h/me/.config/", "C:\\Users\\me\\AppData\\Roaming\\");
  std::string local = pick("/h/me/.local/share/", "C:\\Users\\me\\AppData\\Local\\");
  std::string allUsers = pick("/etc/xdg/", "C:\\ProgramData\\");

  std::map<int, std::string> shell() const {
    return {{CSIDL_PERSONAL, documents},       {CSIDL_DESKTOP, desktop},
            {CSIDL_PROGRAM_FILES, programFiles}, {CSIDL_PROGRAM_FILES_COMMON, commonFiles},
            {CSIDL_COMMON_DOCUMENTS, commonDocuments}, {CSIDL_APPDATA, roaming},
            {CSIDL_LOCAL_APPDATA, local},      {CSIDL_COMMON_APPDATA, allUsers}};
  }
};

class PathTokensTest : public ::testing::Test {
 protected:
  void TearDown() override { PrefLocation = plRegistry; }

  const Machine m;
  EmptyRegistry registry;
  ScopedShellFolders shell{m.shell()};
  ScopedTempPath temp{m.temp};
};

// Each value collapses to the stored text and that text expands to `back`
// (the value itself where it is left empty).
struct RoundTrip {
  const char* name;
  std::string value, stored, back;
};

TEST_F(PathTokensTest, CollapseAndExpand) {
  const std::string sep = pick("/", "\\");
  const RoundTrip cases[] = {
      {"empty", "", "", ""},
      {"no folder in it", pick("/var/other/x", "D:\\Other\\x"), pick("/var/other/x", "D:\\Other\\x"), ""},
      {"documents", m.documents + "Quillbray" + sep + "Images" + sep, "[My Documents]\\Quillbray" + sep + "Images" + sep, ""},
      {"desktop", m.desktop + "a.txt", "[Desktop]\\a.txt", ""},
      {"program files", m.programFiles + "Quillbray" + sep, "[CSIDL-PROGRAM-FILES]\\Quillbray" + sep, ""},
      {"common documents", m.commonDocuments + "Lists" + sep, "[CSIDL-COMMON-DOCUMENTS]Lists" + sep, ""},
      {"roaming data", m.roaming + "Logs" + sep, "[CSIDL-APPDATA]Logs" + sep, ""},
      {"all users' data: the token is followed directly by the next folder", m.allUsers + "Settings" + sep,
       "[CSIDL-COMMON-APPDATA]Settings" + sep, ""},
      // Row 3 comes before row 8.
      {"temporary files inside local data", m.temp + "q.tmp", "[TEMP]\\q.tmp", ""},
      {"local data beside them", m.local + "Quillbray" + sep, "[CSIDL-LOCAL-APPDATA]Quillbray" + sep, ""},
      // Exactly the temporary folder without its separator is no [TEMP]\ (it
      // is still a folder inside local data).
      {"a folder named without its separator", m.temp.substr(0, m.temp.size() - 1),
       "[CSIDL-LOCAL-APPDATA]" + pick(std::string("tmp"), std::string("Temp")), ""},
      {"every occurrence, each by its own row", m.temp + "a;" + m.roaming + "b", "[TEMP]\\a;[CSIDL-APPDATA]b", ""},
      // Windows: the common-files folder lies inside program files, and row 4
      // comes before row 5. Linux: they are apart, and each has its own row.
      {"common files", m.commonFiles + "Shared" + sep,
       pick(std::string("[CSIDL-PROGRAM-FILES-COMMON]Shared/"), std::string("[CSIDL-PROGRAM-FILES]\\Common Files\\Shared\\")),
       ""},
      // Windows file names ignore letter case; Linux ones do not, and a path
      // in other letters is another folder there.
      {"program files in lower case", pick("/OPT/Quillbray/", "c:\\program files\\Quillbray\\"),
       pick("/OPT/Quillbray/", "[CSIDL-PROGRAM-FILES]\\Quillbray\\"),
       pick("/OPT/Quillbray/", "C:\\Program Files\\Quillbray\\")},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    EXPECT_EQ(CollapsePathTokens(tc.value), tc.stored);
    EXPECT_EQ(ExpandPathTokens(tc.stored), tc.back.empty() ? tc.value : tc.back);
  }
}

TEST_F(PathTokensTest, ExpandValuesWrittenOnWindows) {
  const struct {
    std::string value, expected;
  } cases[] = {
      {"[My Documents]\\Quillbray\\Images\\", m.documents + pick("Quillbray/Images/", "Quillbray\\Images\\")},
      {"[my documents]\\Notes.txt", m.documents + "Notes.txt"},  // tokens compare without case
      {"[CSIDL_LOCAL_APPDATA]Logs\\", m.local + pick("Logs/", "Logs\\")},
      {"[CSIDL LOCAL APPDATA]Logs\\", m.local + pick("Logs/", "Logs\\")},
      {"[csidl-appdata]x", m.roaming + "x"},
      {"[csidl_appdata]x", "[csidl_appdata]x"},  // "[CSIDL" is looked for in this case only
      {"[CSIDL_FONTS]", "[CSIDL-FONTS]"},        // unknown: respelled, left in place
      {"[CSIDL_FONTS]a\\b", "[CSIDL-FONTS]a\\b"},  // no token expanded: the text stays as it is
      {"[CSIDL_APPDATA]a_b", m.roaming + "a_b"},   // only the text up to the first "]" is respelled
      // The token stands for the folder with its separator already.
      {"[CSIDL-APPDATA]\\Logs\\", m.roaming + pick("/Logs/", "\\Logs\\")},
      {"[CSIDL_APPDATA", "[CSIDL_APPDATA"},  // no "]"
      {"C:\\Data\\x", "C:\\Data\\x"},         // no token: byte for byte
      {"[Unknown]\\x", "[Unknown]\\x"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.value);
    EXPECT_EQ(ExpandPathTokens(tc.value), tc.expected);
  }
}

TEST_F(PathTokensTest, AFolderTheShellDoesNotKnowDisappearsOnExpansion) {
  const ScopedShellFolders none({});
  EXPECT_EQ(GetDesktopDir(), "");
  EXPECT_EQ(ExpandPathTokens("[Desktop]\\a.txt"), "a.txt");
  EXPECT_EQ(ExpandPathTokens("[CSIDL-APPDATA]Logs\\"), pick("Logs/", "Logs\\"));
  EXPECT_EQ(CollapsePathTokens("a.txt"), "a.txt");
}

TEST_F(PathTokensTest, FixedFallBacksWhenTheSystemNamesNoFolder) {
  const ScopedShellFolders none({});
  const ScopedTempPath noTemp("");
  EXPECT_EQ(GetTempDir(), pick("/tmp/", "C:\\Temp\\"));
  EXPECT_EQ(GetCommonAppDataDir(), pick("/etc/xdg/", "C:\\Documents and Settings\\All Users\\Application Data\\"));
  // On Linux the documents fall back to the account's home folder, which
  // paths_test.cpp checks against the password database.
  if (qbtest::kOnWindows) {
    EXPECT_EQ(GetMyDocumentsDir(), "C:\\My Documents\\");
  }
}

TEST_F(PathTokensTest, TempFolderGetsItsSeparatorAndIsAFullPath) {
  const struct {
    std::string answer, expected;
  } cases[] = {
      {pick("/var/tmp", "D:\\Tmp"), pick("/var/tmp/", "D:\\Tmp\\")},
      {pick("/var/tmp/", "D:\\Tmp\\"), pick("/var/tmp/", "D:\\Tmp\\")},
      {pick("/a/../b/./c", "D:\\a\\..\\b\\.\\c"), pick("/b/c/", "D:\\b\\c\\")},
      {"rel", currentDirectory() + pick("rel/", "rel\\")},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.answer);
    const ScopedTempPath answer(tc.answer);
    EXPECT_EQ(GetTempDir(), tc.expected);
  }
}

TEST_F(PathTokensTest, ShellFoldersGetOneSeparator) {
  const ScopedShellFolders roots({{CSIDL_PROGRAM_FILES, pick("/", "C:\\")}, {CSIDL_APPDATA, pick("/r", "C:\\R")}});
  EXPECT_EQ(GetSpecialFolderDir(CSIDL_PROGRAM_FILES), pick("/", "C:\\"));
  EXPECT_EQ(GetSpecialFolderDir(CSIDL_APPDATA), pick("/r/", "C:\\R\\"));
  EXPECT_EQ(GetSpecialFolderDir(CSIDL_DESKTOP), "");
}

// The system's own answers, without a table installed: numbers the shell
// does not know, and numbers with flag bits (CSIDL_FLAG_CREATE would make the
// folder), answer empty; a known folder ends with one separator.
TEST(SystemShellFoldersTest, UnknownNumbersAreEmptyAndFoldersEndWithTheSeparator) {
  for (const int csidl : {1, 255, 0x8005, 0x7fffffff, -1}) {
    SCOPED_TRACE(csidl);
    EXPECT_EQ(GetSpecialFolderDir(csidl), "");
  }
  const char sep = pick('/', '\\');
  for (const int csidl : {CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PROGRAM_FILES}) {
    SCOPED_TRACE(csidl);
    const std::string dir = GetSpecialFolderDir(csidl);
    if (dir.empty()) continue;  // no HOME on Linux
    EXPECT_EQ(dir.back(), sep);
    EXPECT_NE(dir[dir.size() - 2], sep) << dir;
  }
}

TEST_F(PathTokensTest, PortableLayoutLiesUnderTheProgramFolder) {
  PrefLocation = plOnUSB;
  const std::string folder = extractFilePath(programFilePath());
  const std::string parent = extractFilePath(folder.substr(0, folder.size() - 1));
  EXPECT_EQ(GetMyDocumentsDir(), folder + pick("Data/Documents/", "Data\\Documents\\"));
  EXPECT_EQ(GetTempDir(), folder + pick("Data/Temp/", "Data\\Temp\\"));
  EXPECT_EQ(GetCommonAppDataDir(), parent + pick("ProgramData/", "ProgramData\\"));
  EXPECT_EQ(GetDesktopDir(), m.desktop);  // no portable form

  EXPECT_EQ(ExpandPathTokens("[My Documents]\\Notes.txt"), folder + pick("Data/Documents/Notes.txt", "Data\\Documents\\Notes.txt"));
  EXPECT_EQ(ExpandPathTokens("[CSIDL-APPDATA]Logs\\"), m.roaming + pick("Logs/", "Logs\\"));
  EXPECT_EQ(CollapsePathTokens(folder + pick("Data/Documents/a", "Data\\Documents\\a")), "[My Documents]\\a");
}

TEST_F(PathTokensTest, ExeDriveReplacesTheProgramsDriveRootWhereverItOccurs) {
  const ScopedMountPoint drive(pick("/media/usb", "E:"));
  TConfigBase store;
  const struct {
    std::string path, expected;
  } cases[] = {
      {pick("/media/usb/Data/Lists/", "e:\\Data\\Lists\\"), pick("[ExeDrive]\\Data/Lists/", "[ExeDrive]\\Data\\Lists\\")},
      // Letter case counts where file names do.
      {pick("/MEDIA/USB/Data/", "E:\\Data\\"), pick("/MEDIA/USB/Data/", "[ExeDrive]\\Data\\")},
      {pick("/media/usb2/Data/", "F:\\Data\\"), pick("/media/usb2/Data/", "F:\\Data\\")},  // another drive
      {pick("/media/usb", "E:"), pick("/media/usb", "E:")},  // the root without its separator
      {pick("a;/media/usb/x;/media/usb/y", "a;E:\\x;e:\\y"), "a;[ExeDrive]\\x;[ExeDrive]\\y"},
      {"", ""},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.path);
    EXPECT_EQ(store.CollapseExeDrive(tc.path), tc.expected);
  }
}

// ---------------------------------------------------------------------------
// The replacement without regard to letter case.

TEST(ReplaceIgnoreCaseTest, EveryOccurrenceLeftToRightWithoutOverlap) {
  const struct {
    std::string text, find, put, expected;
  } cases[] = {
      {"C:/Data/c:/x", "c:/", "[D]", "[D]Data/[D]x"},
      {"aaa", "aa", "b", "ba"},                      // no overlap, left to right
      {"xx", "x", "xx", "xxxx"},                     // what is put in is not searched again
      {"abc", "", "zz", "abc"},                      // an empty find changes nothing
      {"", "a", "b", ""},
      {"abc", "abcd", "z", "abc"},                   // longer than the text
      {"/Home/ÄRGER/x", "/home/ärger/", "~", "~x"},  // non-ASCII letters fold too
      {"/home/ärger/x", "/HOME/ÄRGER/", "~", "~x"},
      // On Linux upper-casing "ı" gives the one-byte "I": the match still
      // covers the right bytes of the text. Windows' invariant mapping keeps
      // "ı" as it is (no letter outside ASCII becomes an ASCII one).
      {"ı/tmp/x", "I/TMP/", "[T]", pick("[T]x", "ı/tmp/x")},
      {"xı/tmp/", "/TMP/", "[T]", "xı[T]"},
      {"/ımages/a", "/images/", "[I]", pick("[I]a", "/ımages/a")},
      {"a\xff" "b", "\xff" "B", "-", "a-"},          // an invalid byte is a character of its own
      {"a\xc3" "b", "\xc3", "-", "a-b"},             // half a character matches only itself
      {"aé", "É", "e", "ae"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.text + " | " + tc.find);
    EXPECT_EQ(ReplaceIgnoreCase(tc.text, tc.find, tc.put), tc.expected);
  }
}

TEST(ReplaceIgnoreCaseTest, AMatchNeverSplitsACharacter) {
  // "é" is C3 A9; a find of A9 alone is an invalid byte and must not match
  // the second byte of the character.
  EXPECT_EQ(ReplaceIgnoreCase("é", "\xa9", "-"), "é");
  EXPECT_EQ(SplitIgnoreCase("a/X/b/x/", "/x/"), (std::vector<std::string>{"a", "b", ""}));
}

// ---------------------------------------------------------------------------
// The event log's name.

TEST_F(PathTokensTest, EventLogFileNameConfiguredOrDefault) {
  const std::string program = qbtest::programName();
  const std::string defaultName = m.local + pick("Corvellan/", "Corvellan\\") + program + "_Events.log";
  const struct {
    std::string folder, baseName, suffix, expected;
  } cases[] = {
      {pick("/var/log", "D:\\Logs"), "prog.exe", "_Events", pick("/var/log/prog.exe_Events.log", "D:\\Logs\\prog.exe_Events.log")},
      {pick("/var/log/", "D:\\Logs\\"), "prog", "-x", pick("/var/log/prog-x.log", "D:\\Logs\\prog-x.log")},
      {pick("/", "D:\\"), "prog", "-x", pick("/prog-x.log", "D:\\prog-x.log")},
      {"", "prog", "-x", defaultName},
      {pick("/var/log", "D:\\Logs"), "", "-x", defaultName},
      {pick("/var/log", "D:\\Logs"), "prog", "", defaultName},
      {"", "", "", defaultName},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.folder + "|" + tc.baseName + "|" + tc.suffix);
    EXPECT_EQ(GetEventLogFileName(tc.folder, tc.baseName, tc.suffix), tc.expected);
  }
}

TEST_F(PathTokensTest, WithoutLocalDataFolderTheDefaultLogLiesInTheRoot) {
  const ScopedShellFolders none({});
  EXPECT_EQ(GetEventLogFileName("", "", ""), pick("/Corvellan/", "\\Corvellan\\") + qbtest::programName() + "_Events.log");
}

TEST(EventLogNameTest, NamesAreEmptyAtStart) {
  EXPECT_EQ(EventLogFileName, "");
  EXPECT_EQ(EventLogTimeFormat, "");
}

}  // namespace
