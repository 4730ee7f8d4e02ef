// Opening and closing the store: locations, scopes, boxes.
#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

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
  EXPECT_TRUE(hiveUntouched(hives, HKCU));
  EXPECT_TRUE(hiveUntouched(hives, HKLM));
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

TEST_F(OpenPrefTest, BadKeyPathsAreReportedOrCollapsed) {
  // With machine values to read, a bad path is still the opening's one
  // error, not a machine hive that cannot be read.
  seed(HKLM, kLogsKey, "M", dword(1));
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

}  // namespace
