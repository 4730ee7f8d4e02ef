// Opening the store over the hive files on Linux: files that are not hives,
// folders that cannot be made, the files' modes; and the program's folder.
#include <unistd.h>

#include <fstream>

#include "StoreFixture.h"
#include "platform/Paths.h"
#include "platform/ProgramFile.h"

namespace {

using namespace quillbray;
using namespace qbtest;

std::string openPrefText(const std::string& location, const std::string& scope, const std::string& key,
                         const std::string& error) {
  return "OpenPref Error: Unable to open Preferences.\r\n\r\nPrefLocation: " + location + "\r\ncfgDataScope: " + scope +
         "\r\nKey: " + key + "\r\n\r\n" + error;
}

using OpenPrefTest = StoreTest;

TEST_F(OpenPrefTest, TheUserHiveIsTheUsersAlone) {
  ::setenv("QUILLBRAY_USER_HIVE", hives.dir().file("new/folder/user.hive").c_str(), 1);
  openLayered();
  store.ClosePref();
  const auto perms = [](const std::string& p) { return std::filesystem::status(p).permissions(); };
  EXPECT_EQ(perms(hives.dir().file("new/folder/user.hive")), std::filesystem::perms(0600));
  EXPECT_EQ(perms(hives.dir().file("new/folder")), std::filesystem::perms(0700));
  seed(HKLM, kLogsKey, "M", dword(1));
  EXPECT_EQ(perms(hives.machine()) & std::filesystem::perms(0044), std::filesystem::perms(0044));  // readable by all
}

TEST_F(OpenPrefTest, AFailedOpeningShowsTheOpenPrefBoxWithTheCause) {
  std::ofstream(hives.user()) << "garbage, not a database";
  seed(HKLM, kLogsKey, "Kept", dword(1));
  EXPECT_FALSE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  const auto& box = boxes.boxes[0];
  EXPECT_EQ(box.caption, qbtest::storeCaption("OpenPref Error"));
  EXPECT_EQ(box.owner, platform::BoxOwner::ApplicationWindow);
  EXPECT_EQ(box.style, 0x10010u);
  EXPECT_EQ(box.text, openPrefText("Registry", "cfgPerUserRoam", kLogsKey,
                                   "hive '" + hives.user() + "': cannot read: file is not a database"));
  store.ClosePref();
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(qbtest::readFile(hives.user()), "garbage, not a database");
  EXPECT_EQ(machine("Kept"), dword(1));
}

TEST_F(OpenPrefTest, AHiveFolderThatCannotBeCreatedIsReportedInTheBox) {
  std::ofstream(hives.dir().file("file")) << "x";
  ::setenv("QUILLBRAY_USER_HIVE", hives.dir().file("file/user.hive").c_str(), 1);
  EXPECT_FALSE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            openPrefText("Registry", "cfgPerUserRoam", kLogsKey,
                         "hive '" + hives.dir().file("file/user.hive") + "': cannot create folder '" +
                             hives.dir().file("file") + "': Not a directory"));
  store.ClosePref();
}

TEST_F(OpenPrefTest, OneFileForBothHivesIsRefused) {
  seed(HKCU, kLogsKey, "Kept", dword(1));
  ::setenv("QUILLBRAY_MACHINE_HIVE", hives.user().c_str(), 1);
  EXPECT_FALSE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  // The unusable machine hive is mentioned first, then the opening fails.
  ASSERT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("OpenPref Warning"));
  EXPECT_NE(boxes.boxes[1].text.find("name the same file"), std::string::npos) << boxes.boxes[1].text;
  store.ClosePref();
  ::setenv("QUILLBRAY_MACHINE_HIVE", hives.machine().c_str(), 1);
  EXPECT_EQ(user("Kept"), dword(1));
}

// A machine hive that cannot be read leaves the user's values alone in use;
// the user hears of it once, not at every opening.
TEST_F(OpenPrefTest, AnUnreadableMachineHiveIsReportedOnceAndSkipped) {
  std::ofstream(hives.machine()) << "not a hive";
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
    store.SetPrefInteger("Logs", "Mine", i);
    store.ClosePref();
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("OpenPref Warning"));
  EXPECT_EQ(boxes.boxes[0].style, platform::MB_ICONWARNING | platform::MB_SETFOREGROUND);
  EXPECT_NE(boxes.boxes[0].text.find("file is not a database"), std::string::npos) << boxes.boxes[0].text;
  EXPECT_EQ(store.ErrorBoxesShown, 0u);
  EXPECT_EQ(user("Mine"), dword(2));
}

TEST_F(OpenPrefTest, FlatFormErrorNamesNoLocation) {
  PrefLocation = plRegistryFlat;
  std::ofstream(hives.user()) << "garbage";
  EXPECT_FALSE(store.OpenPref(cfgPerUserNonRoam, "Software\\X", true, false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text.rfind("OpenPref Error: Unable to open Preferences.\r\n\r\nPrefLocation: \r\n"
                                      "cfgDataScope: cfgPerUserNonRoam\r\nKey: Software\\X\r\n\r\nhive '",
                                      0),
            0u)
      << boxes.boxes[0].text;
}

TEST(ExpandAppExeFolder, ReplacesTheTokenAndExpandsToAFullPath) {
  const std::string folder = platform::extractFilePath(platform::programFilePath());
  const std::string parent = platform::expandFileName(folder + "../");
  const std::string cwd = platform::currentDirectory();
  const std::pair<const char*, std::string> cases[] = {
      {"[AppExeFolder]", folder},
      {"[AppExeFolder]../ProgramData/", parent + "ProgramData/"},
      {"[AppExeFolder]a/./b/../c.ini", folder + "a/c.ini"},
      {"notes.txt", cwd + "notes.txt"},
      {"[appexefolder]x", cwd + "[appexefolder]x"},  // the token's letter case matters
      {"/etc/../opt/", "/opt/"},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(ExpandAppExeFolder(text), expected);
  }
}

}  // namespace
