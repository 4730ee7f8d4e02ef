// Typed reads, writes and deletes in the direct and layered forms.
#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

using LayeredTest = StoreTest;

TEST_F(LayeredTest, IntegerWritesOnlyWhenItMakesADifference) {
  seed(HKLM, kLogsKey, "Backup Count", dword(5));
  const auto setInOwnOpening = [&](std::int32_t n) {
    openLayered();
    store.SetPrefInteger("Logs", "Backup Count", n);
    store.ClosePref();
  };
  setInOwnOpening(5);
  EXPECT_FALSE(user("Backup Count"));
  setInOwnOpening(6);
  EXPECT_EQ(user("Backup Count"), dword(6));
  setInOwnOpening(5);  // set once, the user's value stays
  EXPECT_EQ(user("Backup Count"), dword(5));
  EXPECT_EQ(machine("Backup Count"), dword(5));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LayeredTest, EachTypeComparesWithTheMachineValueByItsOwnRule) {
  seed(HKLM, kLogsKey, "S", sz("ABC"));
  seed(HKLM, kLogsKey, "B", binary({1, 2, 3, 4}));
  seed(HKLM, kLogsKey, "F", dword(1));
  openLayered();
  const std::vector<std::uint8_t> same = {1, 2, 3, 4}, longer = {1, 2, 3, 4, 0, 0, 0, 0};
  store.SetPrefString("Logs", "S", "ABC");
  store.SetPrefBinaryProc("Logs", "B", same);
  store.SetPrefBooleanProc("Logs", "F", true);
  EXPECT_FALSE(user("S") || user("B") || user("F"));

  store.SetPrefString("Logs", "S", "abc");  // letter case counts
  store.SetPrefBinaryProc("Logs", "B", longer);  // a different size differs
  store.SetPrefBooleanProc("Logs", "F", false);
  store.ClosePref();
  EXPECT_EQ(user("S"), sz("abc"));
  EXPECT_EQ(user("B"), binary(longer));
  EXPECT_EQ(user("F"), dword(0));
}

TEST_F(LayeredTest, ForcedUserStringsAreAlwaysWritten) {
  seed(HKLM, kLogsKey, "S", sz("same"));
  store.ForceUserStrings = true;
  openLayered();
  store.SetPrefString("Logs", "S", "same");
  store.ClosePref();
  EXPECT_EQ(user("S"), sz("same"));
}

TEST_F(LayeredTest, ReadsFallBackFromUserToMachineToDefault) {
  seed(HKLM, kLogsKey, "Both", sz("machine"));
  seed(HKLM, kLogsKey, "MachineOnly", dword(7));
  seed(HKCU, kLogsKey, "Both", sz("user"));
  openLayered();
  EXPECT_EQ(store.GetPrefString("Logs", "Both", "d"), "user");
  EXPECT_EQ(store.GetPrefInteger("Logs", "MachineOnly", 0), 7);
  EXPECT_TRUE(store.GetPrefBoolean("Logs", "MachineOnly", false));
  EXPECT_EQ(store.GetPrefString("Logs", "Neither", "default"), "default");
  std::uint8_t buffer[4] = {9, 9, 9, 9};
  EXPECT_EQ(store.GetPrefBinary("Logs", "Neither", buffer), -1);
  EXPECT_EQ(buffer[0], 9);
  store.ClosePref();
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LayeredTest, DeleteTouchesOnlyTheUserValue) {
  seed(HKLM, kLogsKey, "N", dword(1));
  seed(HKCU, kLogsKey, "N", dword(2));
  openLayered();
  EXPECT_TRUE(store.DeletePrefValue("Logs", "N"));
  EXPECT_EQ(store.GetPrefInteger("Logs", "N", 0), 1);
  EXPECT_FALSE(store.DeletePrefValue("Logs", "N"));  // no box for a missing value
  EXPECT_FALSE(store.DeletePrefKey("Missing"));
  store.ClosePref();
  EXPECT_EQ(machine("N"), dword(1));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(LayeredTest, DeletePrefKeyRemovesTheWholeSubtree) {
  seed(HKCU, kLogsKey + "\\Sub\\Deeper", "X", dword(1));
  seed(HKCU, kLogsKey + "\\Sub", "Y", dword(1));
  openLayered();
  EXPECT_TRUE(store.DeletePrefKey("sub"));
  store.ClosePref();
  EXPECT_FALSE(platform::registry().openKey(HKCU, kLogsKey + "\\Sub", platform::KeyAccess::Read, false));
}

TEST_F(LayeredTest, ValueNamesComeFromTheUserElseTheMachineAndMoveTheAccessor) {
  seed(HKLM, kLogsKey + "\\Names", "M1", dword(1));
  seed(HKLM, kLogsKey + "\\Names", "M2", dword(1));
  openLayered();
  std::vector<std::string> list;
  store.GetPrefValueNames("Logs", "Names", list);
  EXPECT_EQ(list, (std::vector<std::string>{"M1", "M2"}));
  store.ClosePref();

  seed(HKCU, kLogsKey + "\\Names", "U1", dword(1));
  openLayered();
  list.clear();
  store.GetPrefValueNames("Logs", "Names", list);
  EXPECT_EQ(list, std::vector<std::string>{"U1"});  // not merged
  store.SetPrefInteger("Logs", "Moved", 1);  // lands in the listed sub-key
  std::vector<std::string> untouched = {"keep"};
  store.GetPrefValueNames("Logs", "NoSuchKey", untouched);
  EXPECT_EQ(untouched, std::vector<std::string>{"keep"});
  store.ClosePref();
  EXPECT_EQ(user("Moved", kLogsKey + "\\Names"), dword(1));
}

// A sub-key that starts with "\" is a path from the root, for the test of
// its existence as for the move; one that is not there leaves the opening
// on its key.
TEST_F(LayeredTest, ValueNamesOfAPathFromTheRootLeaveTheOpeningAsItWasWhenMissing) {
  seed(HKCU, kLogsKey + "\\Sub", "Below", dword(1));  // Logs\Sub, but no root-level Sub
  seed(HKCU, "Software\\Elsewhere", "There", dword(1));
  openLayered();
  std::vector<std::string> list = {"keep"};
  store.GetPrefValueNames("Logs", "\\Sub", list);
  EXPECT_EQ(list, std::vector<std::string>{"keep"});
  store.SetPrefInteger("Logs", "StillHere", 1);
  store.GetPrefValueNames("Logs", "\\Software\\Elsewhere", list);
  EXPECT_EQ(list, std::vector<std::string>{"There"});
  store.SetPrefInteger("Logs", "MovedThere", 1);
  store.ClosePref();
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
  EXPECT_EQ(user("StillHere"), dword(1));
  EXPECT_EQ(user("MovedThere", "Software\\Elsewhere"), dword(1));
}

// Stored types that a read or a layered write cannot use, with the message.
TEST_F(LayeredTest, WrongStoredTypesFailWithTheirMessagesAndWriteNothing) {
  seed(HKLM, kLogsKey, "Str", sz("ab"));
  seed(HKLM, kLogsKey, "LongStr", sz("longer"));
  seed(HKLM, kLogsKey, "Long", {platform::REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}});
  seed(HKLM, kLogsKey, "Int", dword(3));
  seed(HKLM, kLogsKey, "Bin", binary({1, 2}));
  openLayered();
  struct Case {
    std::function<void()> call;
    const char* text;
    std::string caption;
  } cases[] = {
      {[&] { store.SetPrefInteger("Logs", "Str", 1); }, "SetPrefInteger: Invalid data type for 'Str'",
       qbtest::storeCaption("Error: SetPrefInteger")},
      // Data too long for an integer fails before its type is looked at.
      {[&] { store.SetPrefInteger("Logs", "LongStr", 1); }, "SetPrefInteger: Failed to get data for 'LongStr'",
       qbtest::storeCaption("Error: SetPrefInteger")},
      {[&] { store.SetPrefBooleanProc("Logs", "Long", true); },
       "SetPrefBooleanProc: Failed to get data for 'Long'", qbtest::storeCaption("Error: SetPrefBooleanProc")},
      {[&] { store.SetPrefString("Logs", "Int", "x"); }, "SetPrefString: Invalid data type for 'Int'",
       qbtest::storeCaption("Error: SetPrefString")},
      {[&] { store.SetPrefBinaryProc("Logs", "Str", std::vector<std::uint8_t>{1}); },
       "SetPrefBinaryProc: Invalid data type for 'Str'", qbtest::storeCaption("Error: SetPrefBinaryProc")},
      {[&] { EXPECT_EQ(store.GetPrefInteger("Logs", "Bin", -5), -5); },
       "GetPrefInteger: Invalid data type for 'Bin'", qbtest::storeCaption("Error: GetPrefInteger")},
      {[&] { EXPECT_EQ(store.GetPrefString("Logs", "Bin", "d"), "d"); }, "GetPrefString: Invalid data type for 'Bin'",
       qbtest::storeCaption("Error: GetPrefString")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    boxes.boxes.clear();
    c.call();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0], (platform::MessageBoxRequest{c.text, c.caption, platform::BoxOwner::None, kErrorStyle}));
  }
  store.SetPrefInteger("Logs", "After", 1);  // the store stays open and usable
  store.ClosePref();
  for (const char* name : {"Str", "LongStr", "Long", "Int", "Bin"}) EXPECT_FALSE(user(name)) << name;
  EXPECT_EQ(user("After"), dword(1));
}

TEST_F(LayeredTest, AnEmptyValueOfAnyTypeReadsAsEmptyString) {
  seed(HKCU, kLogsKey, "Empty", binary({}));
  openLayered();
  EXPECT_EQ(store.GetPrefString("Logs", "Empty", "d"), "");
  store.ClosePref();
}

TEST_F(StoreTest, AReadOnlyOpeningDeletesNothingAndSaysFalse) {
  seed(HKCU, kLogsKey, "V", dword(1));
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, false, true));
  EXPECT_FALSE(store.DeletePrefValue("Logs", "V"));
  EXPECT_FALSE(store.DeletePrefValue("Logs", "Missing"));
  EXPECT_FALSE(store.DeletePrefKey("Sub"));
  store.ClosePref();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(user("V"), dword(1));
}

using DirectTest = StoreTest;

TEST_F(DirectTest, MachineScopeWithAWritableMachineHiveGoesThereAlone) {
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, true, false));
  EXPECT_FALSE(store.UserRegistry);
  EXPECT_EQ(store.MachineRegistry->RootKey(), HKLM);
  store.SetPrefInteger("Logs", "I", -2);
  store.SetPrefString("Logs", "S", "\xC3\xA4 text");
  store.SetPrefBooleanProc("Logs", "B", true);
  store.SetPrefBinaryProc("Logs", "X", std::vector<std::uint8_t>{0, 255});
  EXPECT_EQ(store.GetPrefInteger("Logs", "I", 0), -2);
  EXPECT_EQ(store.GetPrefString("Logs", "S", ""), "\xC3\xA4 text");
  EXPECT_TRUE(store.GetPrefBoolean("Logs", "B", false));
  store.ClosePref();
  EXPECT_EQ(machine("I"), dword(0xFFFFFFFE));
  EXPECT_EQ(machine("S"), sz("\xC3\xA4 text"));
  EXPECT_EQ(machine("B"), dword(1));
  EXPECT_EQ(machine("X"), binary({0, 255}));
  EXPECT_TRUE(hiveUntouched(hives, HKCU));
}

TEST_F(DirectTest, BinaryReadsCheckPresenceAndSize) {
  seed(HKLM, kLogsKey, "Ten", binary(std::vector<std::uint8_t>(10, 7)));
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, true, false));
  std::uint8_t buffer[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(store.PrefSlots.GetPrefBinary("Logs", "Missing", buffer), -1);
  EXPECT_EQ(buffer[0], 1);
  try {
    store.PrefSlots.GetPrefBinary("Logs", "Ten", buffer);  // a raw slot raises to its caller
    FAIL() << "no error";
  } catch (const PrefError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Ten'");
  }
  EXPECT_EQ(buffer[0], 1);
  EXPECT_TRUE(boxes.boxes.empty());
  std::uint8_t big[16] = {};
  EXPECT_EQ(store.GetPrefBinary("Logs", "Ten", big), 10);
  EXPECT_EQ(big[9], 7);
  store.ClosePref();
}

TEST_F(StoreTest, EveryGuardedOperationOnAClosedStoreShowsItsBox) {
  const std::vector<std::uint8_t> bytes = {1};
  struct Case {
    std::function<void()> call;
    std::string op;
    std::string message;
  } cases[] = {
      {[&] { store.SetPrefInteger("G", "N", 1); }, "SetPrefInteger", "Error writing integer to preferences: SetPrefInteger"},
      {[&] { store.SetPrefString("G", "N", "s"); }, "SetPrefString", "Error writing string to preferences: SetPrefString"},
      {[&] { store.SetPrefBooleanProc("G", "N", true); }, "SetPrefBooleanProc",
       "Error reading boolean from preferences: SetPrefBooleanProc"},
      {[&] { store.SetPrefBinaryProc("G", "N", bytes); }, "SetPrefBinaryProc",
       "Error reading binary from preferences: SetPrefBinaryProc"},
      {[&] { EXPECT_FALSE(store.DeletePrefValue("G", "N")); }, "DeletePrefValue",
       "Error reading string from preferences: DeletePrefValue"},
      {[&] { EXPECT_FALSE(store.DeletePrefKey("K")); }, "DeletePrefKey",
       "Error reading string from preferences: DeletePrefKey"},
      {[&] { EXPECT_EQ(store.GetPrefInteger("G", "N", 4), 4); }, "GetPrefInteger",
       "Error reading integer from preferences: GetPrefInteger"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.op);
    boxes.boxes.clear();
    c.call();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0], (platform::MessageBoxRequest{c.op + ": " + c.message, qbtest::storeCaption("Error: ") + c.op,
                                                           platform::BoxOwner::None, kErrorStyle}));
  }
  EXPECT_TRUE(hiveUntouched(hives, HKCU));
}

}  // namespace
