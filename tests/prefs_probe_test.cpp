// The registry write probe and the machine-scope openings that depend on it.
#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

const std::string kProbe = "amdk328wlskdjf";

using ProbeTest = StoreTest;

TEST_F(ProbeTest, CreatesAMissingKeyAndLeavesNoValueBehind) {
  EXPECT_TRUE(CanWriteRegistryKey(kLogsKey, HKLM));
  {
    auto created = platform::registry().openKey(HKLM, kLogsKey, platform::KeyAccess::Read, false);
    ASSERT_TRUE(created);
    EXPECT_TRUE(created->valueNames().empty());
  }

  seed(HKLM, kLogsKey, "Other", dword(1));
  EXPECT_TRUE(CanWriteRegistryKey(kLogsKey, HKLM));
  EXPECT_FALSE(machine(kProbe));
  EXPECT_EQ(machine("Other"), dword(1));
}

TEST_F(ProbeTest, AMachineOpeningAfterTheProbeGoesToTheMachineHive) {
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, true, false));
  store.SetPrefInteger("Logs", "Shared", 1);
  store.ClosePref();
  EXPECT_EQ(machine("Shared"), dword(1));
  EXPECT_FALSE(machine(kProbe));
  EXPECT_TRUE(hiveUntouched(hives, HKCU));
}

}  // namespace
