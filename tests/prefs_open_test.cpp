// Opening and closing the store: locations, scopes, boxes.
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

TEST_F(OpenPrefTest, LayeredOpeningCreatesTheUserKeyAndCloseEmptiesTheSlots) {
  EXPECT_FALSE(store.PrefSlots.ClosePref);
  openLayered();
  EXPECT_TRUE(store.PrefSlots.ClosePref && store.PrefSlots.SetPrefInteger && store.PrefSlots.DeletePrefKey);
  ASSERT_TRUE(store.UserRegistry && store.MachineRegistry);
  EXPECT_EQ(store.UserRegistry->RootKey(), HKCU);
  EXPECT_EQ(store.MachineRegistry->RootKey(), HKLM);
  store.SetPrefInteger("Logs", "Uses", 3);
  store.ClosePref();
  EXPECT_FALSE(store.PrefSlots.ClosePref || store.PrefSlots.GetPrefInteger || store.PrefSlots.DeletePrefKey);
  EXPECT_FALSE(store.UserRegistry || store.MachineRegistry);
  EXPECT_EQ(user("Uses"), dword(3));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(OpenPrefTest, BothUserScopesOpenTheSameUserKey) {
  ASSERT_TRUE(store.OpenPref(cfgPerUserNonRoam, kLogsKey, true, false));
  store.SetPrefInteger("Logs", "A", 1);
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_EQ(store.GetPrefInteger("Logs", "A", 0), 1);
  store.ClosePref();
}

TEST_F(OpenPrefTest, ClosePrefTwiceShowsItsBoxAndReturns) {
  openLayered();
  store.ClosePref();
  store.ClosePref();
  store.ClosePrefContext = "while saving Logs";
  store.ClosePref();
  const platform::MessageBoxRequest expected[] = {
      {"ClosePref: Error: ClosePref", qbtest::storeCaption("Error: ClosePref"), platform::BoxOwner::None, kErrorStyle},
      {"ClosePref: Error: ClosePref\r\nwhile saving Logs", qbtest::storeCaption("Error: ClosePref"), platform::BoxOwner::None,
       kErrorStyle},
  };
  EXPECT_EQ(boxes.boxes, std::vector<platform::MessageBoxRequest>(std::begin(expected), std::end(expected)));
}

TEST_F(OpenPrefTest, OpeningOverAnOpenKeyReleasesTheFirst) {
  openLayered();
  store.SetPrefInteger("Logs", "First", 1);
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, std::string(ProductKey) + "\\Dialogs", true, false));
  // The first opening is committed and visible to others already.
  EXPECT_EQ(user("First"), dword(1));
  store.SetPrefInteger("Dialogs", "Second", 2);
  EXPECT_EQ(store.GetPrefInteger("Dialogs", "First", -1), -1);
  store.ClosePref();
  EXPECT_EQ(user("Second", std::string(ProductKey) + "\\Dialogs"), dword(2));
  EXPECT_FALSE(user("Second"));
}

TEST_F(OpenPrefTest, MissingKeyWithoutCanCreateIsSilent) {
  EXPECT_FALSE(store.OpenPref(cfgPerUserRoam, "Software\\Nowhere", false, false));
  EXPECT_FALSE(store.OpenPref(cfgPerMachine, "Software\\Nowhere", false, true));
  EXPECT_TRUE(boxes.boxes.empty());
  store.ClosePref();  // valid after a false answer
  EXPECT_TRUE(boxes.boxes.empty());
  // Not even an empty hive is left behind.
  EXPECT_FALSE(std::filesystem::exists(hives.user()));
  EXPECT_FALSE(std::filesystem::exists(hives.machine()));
}

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

TEST_F(OpenPrefTest, ReadOnlyMachineOpeningUsesTheMachineHiveWithoutProbing) {
  seed(HKLM, kLogsKey, "Size", dword(9));
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, false, true));
  EXPECT_EQ(store.MachineRegistry->RootKey(), HKLM);
  EXPECT_FALSE(store.UserRegistry);
  EXPECT_EQ(store.GetPrefInteger("Logs", "Size", 0), 9);
  store.ClosePref();
  EXPECT_FALSE(stored(HKCU, kLogsKey, "Size"));
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

TEST_F(OpenPrefTest, BadKeyPathsAreReportedOrCollapsed) {
  const std::string tooLong = std::string(ProductKey) + "\\" + std::string(300, 'x');
  EXPECT_FALSE(store.OpenPref(cfgPerUserRoam, tooLong, true, false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find("key name too long"), std::string::npos);
  store.ClosePref();

  // Empty names between "\" collapse: these open the Logs key.
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, "\\Software\\\\Corvellan\\Quillbray 4\\Logs\\", true, false));
  store.SetPrefInteger("Logs", "Collapsed", 1);
  store.ClosePref();
  EXPECT_EQ(user("Collapsed"), dword(1));
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(OpenPrefTest, AStoreDestroyedWhileOpenKeepsWhatItWrote) {
  auto other = std::make_unique<TConfigBase>();
  ASSERT_TRUE(other->OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  other->SetPrefString("Logs", "Log Format", "hh:nn");
  other.reset();
  EXPECT_EQ(user("Log Format"), sz("hh:nn"));
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

TEST_F(OpenPrefTest, LocationNames) {
  const std::pair<TPrefLocation, const char*> cases[] = {
      {plRegistry, "Registry"}, {plFile, "File"}, {plOnUSB, "On USB"}, {plRegistryFlat, ""}};
  for (auto [location, name] : cases) {
    PrefLocation = location;
    EXPECT_EQ(store.GetPrefLocationName(), name);
  }
}

TEST_F(OpenPrefTest, FlatFormUsesOneRootAndIgnoresReadOnly) {
  PrefLocation = plRegistryFlat;
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, true, true));
  EXPECT_FALSE(store.MachineWide);
  EXPECT_EQ(store.MachineRegistry->RootKey(), HKCU);  // flag false: the user's root
  EXPECT_FALSE(store.UserRegistry);
  store.SetPrefInteger("Logs", "Flat", 1);  // writable although ReadOnly was asked
  store.ClosePref();
  EXPECT_EQ(user("Flat"), dword(1));
  EXPECT_TRUE(boxes.boxes.empty());

  // With the catalogue's flag set and a writable machine hive, cfgPerMachine goes there.
  SetMachineWidePrefsReader([] { return true; });
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, true, false));
  EXPECT_TRUE(store.MachineWide);
  EXPECT_EQ(store.MachineRegistry->RootKey(), HKLM);
  store.ClosePref();
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_EQ(store.MachineRegistry->RootKey(), HKCU);
  store.ClosePref();
  EXPECT_TRUE(stored(HKLM, ProductKey, "amdk328wlskdjf") == std::nullopt);
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

TEST_F(OpenPrefTest, MachineWideFlagMakesUserScopesMachineWide) {
  SetMachineWidePrefsReader([] { return true; });
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_TRUE(store.MachineWide);
  EXPECT_FALSE(store.UserRegistry);
  store.SetPrefInteger("Logs", "Everyone", 1);
  store.ClosePref();
  EXPECT_EQ(machine("Everyone"), dword(1));
  EXPECT_FALSE(user("Everyone"));
}

TEST_F(OpenPrefTest, SettingsFileWithAScopeOutsideTheThreeAnswersFalseWithTheBox) {
  PrefLocation = plFile;
  EXPECT_FALSE(store.OpenPref(static_cast<TDataScope>(3), kLogsKey, true, false));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("OpenPref Error"));
  EXPECT_FALSE(store.IniFile);
  store.ClosePref();
  EXPECT_EQ(boxes.boxes.size(), 1u);
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
