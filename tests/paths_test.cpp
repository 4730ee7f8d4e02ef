// Special folders, path tokens and path values, on a home folder of the
// test's own: the Linux stand-ins (XDG folders, mount points, the password
// database). path_tokens_test.cpp has the rules both systems share.
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "StoreFixture.h"
#include "common/Globals.h"
#include "platform/MountPoint.h"
#include "platform/posix/MountInfo.h"
#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "platform/Text.h"

namespace {

using namespace quillbray;
using qbtest::ScopedEnv;
using qbtest::HKCU;
using qbtest::HKLM;
using qbtest::sz;

// Sets and unsets environment variables, and restores them when it ends.
// The folder of the test program, where the portable layout lies.
std::string programFolder() { return platform::extractFilePath(platform::programFilePath()); }

// ---------------------------------------------------------------------------
// Mount points.

TEST(MountPointTest, LongestMountPointThatHoldsThePath) {
  const std::string mountinfo =
      "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
      "30 22 0:5 / /media/usb rw shared:2 - vfat /dev/sdb1 rw\n"
      "31 22 0:6 / /media/usb2 rw shared:3 - vfat /dev/sdc1 rw\n"
      "32 22 0:7 / /media/My\\040Stick rw shared:4 - vfat /dev/sdd1 rw\n"
      "33 30 0:8 / /media/usb/inner rw shared:5 - tmpfs tmpfs rw\n"
      "34 22 0:9 /x /opt rw - ext4 /dev/sde1 rw\n"
      "35 22 0:10 / /opt rw - ext4 /dev/sdf1 rw\n"
      "garbage\n";
  const struct {
    std::string path, expected;
  } cases[] = {
      {"/media/usb/quillbray/prog", "/media/usb/"},
      {"/media/usb2/quillbray/prog", "/media/usb2/"},  // not /media/usb/
      {"/media/usbx/prog", "/"},
      {"/media/usb", "/media/usb/"},
      {"/media/usb/inner/prog", "/media/usb/inner/"},
      {"/media/My Stick/prog", "/media/My Stick/"},  // blanks are escaped in mountinfo
      {"/opt/prog", "/opt/"},
      {"/home/me/prog", "/"},
      {"relative/prog", ""},
      {"", ""},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.path);
    EXPECT_EQ(platform::mountPointIn(mountinfo, tc.path), tc.expected);
  }
  EXPECT_EQ(platform::mountPointIn("", "/x"), "");
}

TEST(MountPointTest, RealMountsAndTheTestOverride) {
  EXPECT_EQ(platform::mountPointOf("/proc/self/status"), "/proc/");
  const std::string program = platform::mountPointOf(platform::programFilePath());
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '/');
  EXPECT_TRUE(platform::programFilePath().starts_with(program) || program == "/");
  EXPECT_EQ(platform::mountPointOf("relative"), "");
  {
    platform::ScopedMountPoint usb("/media/usb");
    EXPECT_EQ(platform::mountPointOf(platform::programFilePath()), "/media/usb/");
    {
      platform::ScopedMountPoint inner("/mnt/");
      EXPECT_EQ(platform::mountPointOf("/x"), "/mnt/");
    }
    EXPECT_EQ(platform::mountPointOf("/x"), "/media/usb/");
  }
  EXPECT_EQ(platform::mountPointOf(platform::programFilePath()), program);
}

// ---------------------------------------------------------------------------
// Special folders and tokens on a sandboxed home folder.

class PathsTest : public qbtest::StoreTest {
 protected:
  void SetUp() override {
    home = dir.file("home") + "/";
    config = home + ".config/";
    data = home + ".local/share/";
    common = dir.file("etc/xdg") + "/";
    temp = dir.file("tmp") + "/";
    env.set("HOME", home);
    env.set("XDG_CONFIG_HOME", config);
    env.set("XDG_DATA_HOME", data);
    env.set("XDG_CONFIG_DIRS", common + ":/etc/other");
    env.set("TMPDIR", dir.file("tmp"));  // without its "/"
  }
  void writeUserDirs(const std::string& text) {
    std::filesystem::create_directories(config);
    std::ofstream(config + "user-dirs.dirs", std::ios::binary | std::ios::trunc) << text;
  }

  qbtest::TempDir dir;
  ScopedEnv env;
  std::string home, config, data, common, temp;
};

TEST_F(PathsTest, FoldersEndWithASlash) {
  EXPECT_EQ(GetMyDocumentsDir(), home + "Documents/");
  EXPECT_EQ(GetDesktopDir(), home + "Desktop/");
  EXPECT_EQ(GetTempDir(), temp);
  EXPECT_EQ(GetCommonAppDataDir(), common);

  writeUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\nXDG_DESKTOP_DIR=\"/srv/desk\"\n");
  EXPECT_EQ(GetMyDocumentsDir(), home + "Dokumente/");
  EXPECT_EQ(GetDesktopDir(), "/srv/desk/");
}

TEST_F(PathsTest, TempFolderIsAFullPathWithFallBack) {
  const struct {
    std::optional<std::string> tmpdir;
    std::string expected;
  } cases[] = {
      {"/var/tmp", "/var/tmp/"},
      {"/var/tmp/", "/var/tmp/"},
      {"/a/../b/./c", "/b/c/"},
      {"rel/tmp", platform::currentDirectory() + "rel/tmp/"},
      {std::nullopt, "/tmp/"},
      {"", "/tmp/"},
      // Only an empty answer is no answer: blanks are a folder name once the
      // "/" is appended.
      {" \t", platform::currentDirectory() + " \t/"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.tmpdir.value_or("(unset)"));
    ScopedEnv local;
    local.set("TMPDIR", tc.tmpdir);
    EXPECT_EQ(GetTempDir(), tc.expected);
  }
}

TEST_F(PathsTest, WithoutHomeDocumentsFallBackAndDesktopIsEmpty) {
  env.set("HOME", std::nullopt);
  env.set("XDG_CONFIG_HOME", std::nullopt);  // no user-dirs.dirs either
  // The fall-back is the account's home folder from the password database.
  const passwd* entry = ::getpwuid(::getuid());
  std::string accountHome = entry && entry->pw_dir && entry->pw_dir[0] == '/' ? entry->pw_dir : "";
  if (!accountHome.empty() && accountHome.back() != '/') accountHome += '/';
  EXPECT_EQ(GetMyDocumentsDir(), (accountHome.empty() ? "/" : accountHome) + "Documents/");
  EXPECT_EQ(GetDesktopDir(), "");

  // An empty folder is not looked for, and its token disappears.
  EXPECT_EQ(ExpandPathTokens("[Desktop]\\a.txt"), "a.txt");
  EXPECT_EQ(ExpandPathTokens("[Desktop]\\Sub\\a.txt"), "Sub/a.txt");
  EXPECT_EQ(CollapsePathTokens("a.txt"), "a.txt");
  EXPECT_EQ(CollapsePathTokens("/srv/x/a.txt"), "[CSIDL-COMMON-DOCUMENTS]x/a.txt");
}

TEST_F(PathsTest, CommonAppDataFallsBackToTheMachineHiveThenEtcXdg) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  EXPECT_EQ(CommonAppDataFallback(), "/etc/xdg/");  // no key
  const struct {
    platform::RegistryValue value;
    std::string expected;
  } cases[] = {
      {sz("/srv/common"), "/srv/common/"},
      {sz("/srv/common/"), "/srv/common/"},
      {{platform::REG_EXPAND_SZ, {'/', 'e', 0}}, "/e/"},
      {sz(""), "/etc/xdg/"},
      {sz("  "), "  /"},  // not blank once its "/" is appended
      {qbtest::dword(7), "/etc/xdg/"},
  };
  for (const auto& tc : cases) {
    qbtest::seed(HKLM, key, "Common AppData", tc.value);
    EXPECT_EQ(CommonAppDataFallback(), tc.expected);
  }
  // The user hive's value of that name is not the machine's.
  qbtest::seed(HKCU, key, "Common AppData", sz("/user/"));
  EXPECT_EQ(CommonAppDataFallback(), "/etc/xdg/");
  // A machine hive that is not a database is no answer, and is left alone.
  std::ofstream(hives.machine(), std::ios::binary | std::ios::trunc) << "not a database";
  EXPECT_EQ(CommonAppDataFallback(), "/etc/xdg/");
  EXPECT_EQ(qbtest::readFile(hives.machine()), "not a database");
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PathsTest, PortableLayoutLiesUnderTheProgramFolder) {
  PrefLocation = plOnUSB;
  const std::string folder = programFolder();
  EXPECT_EQ(GetMyDocumentsDir(), folder + "Data/Documents/");
  EXPECT_EQ(GetTempDir(), folder + "Data/Temp/");
  EXPECT_EQ(GetCommonAppDataDir(), platform::extractFilePath(folder.substr(0, folder.size() - 1)) + "ProgramData/");
  EXPECT_EQ(GetDesktopDir(), home + "Desktop/");  // no portable form

  EXPECT_EQ(ExpandPathTokens("[My Documents]\\Notes.txt"), folder + "Data/Documents/Notes.txt");
  EXPECT_EQ(ExpandPathTokens("[TEMP]\\x"), folder + "Data/Temp/x");
  EXPECT_EQ(ExpandPathTokens("[CSIDL-APPDATA]Logs\\"), config + "Logs/");
  EXPECT_EQ(CollapsePathTokens(folder + "Data/Documents/a"), "[My Documents]\\a");
}

TEST_F(PathsTest, CollapseAndExpandRoundTrip) {
  const struct {
    std::string path, collapsed;
  } cases[] = {
      {home + "Documents/Quillbray/Images/", "[My Documents]\\Quillbray/Images/"},
      {home + "Documents/", "[My Documents]\\"},
      {home + "Desktop/a.txt", "[Desktop]\\a.txt"},
      {temp + "q.tmp", "[TEMP]\\q.tmp"},
      {"/opt/Quillbray/", "[CSIDL-PROGRAM-FILES]\\Quillbray/"},
      {"/usr/local/share/Shared/", "[CSIDL-PROGRAM-FILES-COMMON]Shared/"},
      {"/srv/Lists/", "[CSIDL-COMMON-DOCUMENTS]Lists/"},
      {config + "Logs/", "[CSIDL-APPDATA]Logs/"},
      {data + "Quillbray/", "[CSIDL-LOCAL-APPDATA]Quillbray/"},
      {common + "Settings/", "[CSIDL-COMMON-APPDATA]Settings/"},
      // Every occurrence, each by its own row.
      {temp + "a;" + config + "b", "[TEMP]\\a;[CSIDL-APPDATA]b"},
      {"", ""},
      {"/var/other/x", "/var/other/x"},
      {"relative/x", "relative/x"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.path);
    EXPECT_EQ(CollapsePathTokens(tc.path), tc.collapsed);
    EXPECT_EQ(ExpandPathTokens(tc.collapsed), tc.path);
  }
  // A folder named without its own "/" is not the folder's token.
  EXPECT_EQ(CollapsePathTokens(dir.file("tmp")), dir.file("tmp"));
  // A value without tokens is returned byte for byte, "\" and all.
  EXPECT_EQ(ExpandPathTokens("C:\\Data\\x"), "C:\\Data\\x");
  EXPECT_EQ(ExpandPathTokens("[Unknown]\\x"), "[Unknown]\\x");
}

// Linux file names are case-sensitive: a path in other letters is another
// folder, and collapsing it would make it expand to the wrong one.
TEST_F(PathsTest, CollapseComparesFoldersAsFileNamesCompare) {
  ASSERT_FALSE(platform::fileNamesIgnoreCase());
  const struct {
    std::string path, collapsed;
  } cases[] = {
      {home + "documents/notes", home + "documents/notes"},
      {"/OPT/quillbray/Lists/", "/OPT/quillbray/Lists/"},
      {"/Usr/Local/Share/x", "/Usr/Local/Share/x"},
      {platform::upperCase(home) + "Documents/x", platform::upperCase(home) + "Documents/x"},
      {home + "Documents/x;" + home + "DOCUMENTS/y", "[My Documents]\\x;" + home + "DOCUMENTS/y"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.path);
    EXPECT_EQ(CollapsePathTokens(tc.path), tc.collapsed);
    EXPECT_EQ(ExpandPathTokens(tc.collapsed), tc.path);
  }
  // The tokens themselves are the stored format and still ignore case.
  EXPECT_EQ(ExpandPathTokens("[my documents]\\x"), home + "Documents/x");
}

// xdg-user-dirs turns a folder off by pointing it at the home folder itself:
// then there is no such folder, and the home folder is not its token.
TEST_F(PathsTest, AFolderTurnedOffInUserDirsIsNoFolder) {
  for (const std::string& off : {std::string("$HOME/"), std::string("$HOME"), home, home + "/"}) {
    SCOPED_TRACE(off);
    writeUserDirs("XDG_DESKTOP_DIR=\"" + off + "\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    EXPECT_EQ(GetDesktopDir(), "");
    EXPECT_EQ(CollapsePathTokens(config + "Logs/"), "[CSIDL-APPDATA]Logs/");
    EXPECT_EQ(CollapsePathTokens(home + "notes.txt"), home + "notes.txt");
    EXPECT_EQ(GetMyDocumentsDir(), home + "Docs/");
  }
}

// A special folder that is the root itself stands for nothing in particular.
TEST_F(PathsTest, ARootFolderCollapsesNothing) {
  env.set("TMPDIR", "/");
  EXPECT_EQ(GetTempDir(), "/");
  EXPECT_EQ(CollapsePathTokens("/var/x"), "/var/x");
  EXPECT_EQ(CollapsePathTokens("/"), "/");
  EXPECT_EQ(CollapsePathTokens(config + "Logs/"), "[CSIDL-APPDATA]Logs/");
  EXPECT_EQ(ExpandPathTokens("[TEMP]\\x"), "/x");
}

TEST_F(PathsTest, EarlierRowWinsForNestedFolders) {
  // Temporary files inside local application data, as on Windows: row 3
  // comes before row 8.
  env.set("TMPDIR", data + "tmp/");
  EXPECT_EQ(CollapsePathTokens(data + "tmp/Sub/x"), "[TEMP]\\Sub/x");
  EXPECT_EQ(ExpandPathTokens("[TEMP]\\Sub/x"), data + "tmp/Sub/x");
  EXPECT_EQ(CollapsePathTokens(data + "other/x"), "[CSIDL-LOCAL-APPDATA]other/x");

  // Temporary files inside documents: row 1 comes before row 3.
  env.set("TMPDIR", home + "Documents/tmp");
  EXPECT_EQ(CollapsePathTokens(home + "Documents/tmp/x"), "[My Documents]\\tmp/x");

  // The common-files folder is not inside program files here (/usr/local/share/
  // and /opt/), so a "Common Files" folder under /opt/ is simply program files.
  EXPECT_EQ(CollapsePathTokens("/opt/Common Files/Shared/"), "[CSIDL-PROGRAM-FILES]\\Common Files/Shared/");
  EXPECT_EQ(ExpandPathTokens("[CSIDL-PROGRAM-FILES]\\Common Files/Shared/"), "/opt/Common Files/Shared/");

  // Roaming data inside documents: the documents token wins.
  env.set("XDG_CONFIG_HOME", home + "Documents/cfg");
  EXPECT_EQ(CollapsePathTokens(home + "Documents/cfg/Logs/"), "[My Documents]\\cfg/Logs/");
}

TEST_F(PathsTest, CsidlSpellingsAreNormalisedBeforeExpansion) {
  const struct {
    std::string value, expected;
  } cases[] = {
      {"[CSIDL_LOCAL_APPDATA]Logs\\", data + "Logs/"},
      {"[CSIDL LOCAL APPDATA]Logs\\", data + "Logs/"},
      {"[csidl-appdata]x", config + "x"},             // the tokens compare without case
      {"[csidl_appdata]x", "[csidl_appdata]x"},       // "[CSIDL" is looked for in this case only
      {"[CSIDL_FONTS]", "[CSIDL-FONTS]"},             // unknown: respelled, left in place
      {"[CSIDL_FONTS]a\\b", "[CSIDL-FONTS]a\\b"},     // no token, so "\" stays
      {"[CSIDL_APPDATA]a_b", config + "a_b"},         // only the text up to the first "]"
      {"[CSIDL-APPDATA]\\Logs\\", config + "/Logs/"},  // the token has the folder's "/" already
      {"[CSIDL_APPDATA]Logs;[CSIDL_APPDATA]x", config + "Logs;" + config + "x"},
      {"[CSIDL_APPDATA", "[CSIDL_APPDATA"},  // no "]"
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.value);
    EXPECT_EQ(ExpandPathTokens(tc.value), tc.expected);
  }
}

TEST_F(PathsTest, ValuesWrittenOnWindowsExpandHere) {
  const struct {
    std::string value, expected;
  } cases[] = {
      {"[My Documents]\\Quillbray\\Images\\", home + "Documents/Quillbray/Images/"},
      {"[my documents]\\Notes.txt", home + "Documents/Notes.txt"},
      {"[TEMP]\\Quillbray\\", temp + "Quillbray/"},
      {"[CSIDL-PROGRAM-FILES]\\Corvellan\\Quillbray 4\\", "/opt/Corvellan/Quillbray 4/"},
      {"[CSIDL-COMMON-APPDATA]Settings\\", common + "Settings/"},
      {"[CSIDL-APPDATA]Logs/", config + "Logs/"},  // collapsed here
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.value);
    EXPECT_EQ(ExpandPathTokens(tc.value), tc.expected);
  }
}

TEST_F(PathsTest, FoldersPutInKeepTheirOwnText) {
  // A "\" in a Linux folder name is part of the name, not a separator.
  home = dir.file("we\\ird") + "/";
  env.set("HOME", home);
  EXPECT_EQ(ExpandPathTokens("[My Documents]\\a\\b"), home + "Documents/a/b");
  EXPECT_EQ(CollapsePathTokens(home + "Documents/a"), "[My Documents]\\a");
  // After a token, the stored format cannot tell a "\" of a file name from
  // a Windows separator.
  EXPECT_EQ(CollapsePathTokens(home + "Documents/a\\b"), "[My Documents]\\a\\b");
  EXPECT_EQ(ExpandPathTokens("[My Documents]\\a\\b"), home + "Documents/a/b");
}

// ---------------------------------------------------------------------------
// Path values.

class PathPrefsTest : public PathsTest {
 protected:
  // Writes the path in an opening of its own and reads back what the user
  // hive holds once it is closed.
  std::string storedPath(const std::string& path, TPrefLocation location = plRegistry) {
    if (!store.OpenPref(cfgPerUserRoam, qbtest::kLogsKey, true, false)) return "(not opened)";
    // The settings-file form of the portable store is not available; the
    // registry opening stands in for it while the location says "On USB".
    PrefLocation = location;
    store.SetPrefPath("Logs", "Images Path", path);
    PrefLocation = plRegistry;
    store.ClosePref();
    const auto value = user("Images Path");
    return value ? std::string(value->data.begin(), value->data.end() - 1) : "(missing)";
  }
};

TEST_F(PathPrefsTest, RegistryValuesCarryPathTokens) {
  const struct {
    std::string path, expected;
  } cases[] = {
      {home + "Documents/Quillbray/Images/", "[My Documents]\\Quillbray/Images/"},
      {"  \t" + home + "Documents/x \r\n", "[My Documents]\\x"},
      {" /var/other/x\t", "/var/other/x"},
      {config + "Logs/", "[CSIDL-APPDATA]Logs/"},
      {"", ""},
      {" \x01\x1f ", ""},
      {"a b", "a b"},  // blanks inside stay
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.path);
    EXPECT_EQ(storedPath(tc.path), tc.expected);
  }
  EXPECT_EQ(user("Images Path"), sz("a b"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PathPrefsTest, OnUsbTheDriveRootBecomesExeDrive) {
  platform::ScopedMountPoint usb("/media/usb");
  const struct {
    std::string path, expected;
  } cases[] = {
      {"/media/usb/Data/Lists/", "[ExeDrive]\\Data/Lists/"},
      {"/MEDIA/USB/Data/Lists/", "/MEDIA/USB/Data/Lists/"},  // another folder on Linux
      {" /media/usb/x ", "[ExeDrive]\\x"},
      {"/media/usb2/Data/", "/media/usb2/Data/"},   // another drive
      {"/media/other/Data/", "/media/other/Data/"},
      {"/media/usb", "/media/usb"},                   // the root without its "/"
      {"a;/media/usb/x;/media/usb/y", "a;[ExeDrive]\\x;[ExeDrive]\\y"},  // wherever it occurs
      {home + "Documents/x", home + "Documents/x"},  // no path tokens on a stick
      {"", ""},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.path);
    EXPECT_EQ(storedPath(tc.path, plOnUSB), tc.expected);
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PathPrefsTest, NothingCollapsesForAProgramOnTheRootFileSystem) {
  platform::ScopedMountPoint root("/");
  EXPECT_EQ(store.CollapseExeDrive("/home/me/x"), "/home/me/x");
  EXPECT_EQ(store.CollapseExeDrive("/"), "/");
}

TEST_F(PathPrefsTest, ExeDriveIsTheRealMountPointOfTheProgram) {
  const std::string root = platform::mountPointOf(platform::programFilePath());
  const std::string path = root + "Data/x";
  EXPECT_EQ(store.CollapseExeDrive(path), root == "/" ? path : "[ExeDrive]\\Data/x");
}

TEST_F(PathPrefsTest, AFailedStoreShowsTheSetPrefStringBox) {
  store.SetPrefPath("Logs", "Images Path", home + "Documents/x");  // nothing is open
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_TRUE(boxes.boxes[0].text.starts_with("SetPrefString: ")) << boxes.boxes[0].text;
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("Error: SetPrefString"));
}

}  // namespace
