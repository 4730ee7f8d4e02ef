// The registry write probe over hive files on Linux: broken files and
// permissions.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

const std::string kProbe = "amdk328wlskdjf";

using ProbeTest = StoreTest;

TEST_F(ProbeTest, NeverRaisesAndAnswersFalseForABrokenHive) {
  std::ofstream(hives.machine()) << "not a hive";
  EXPECT_FALSE(CanWriteRegistryKey(kLogsKey, HKLM));
  EXPECT_EQ(qbtest::readFile(hives.machine()), "not a hive");
}

// A machine hive that this process may not write: as root the check runs in a
// child that gives up root, since root may write any file.
TEST(ProbeWithoutPermission, MachineScopeBecomesLayered) {
  TempDir dir;
  const std::string machineHive = dir.file("machine/machine.hive");
  const std::string userHive = dir.file("user/user.hive");
  ::setenv("QUILLBRAY_MACHINE_HIVE", machineHive.c_str(), 1);
  ::setenv("QUILLBRAY_USER_HIVE", userHive.c_str(), 1);
  seed(HKLM, kLogsKey, "Machine", dword(5));
  std::filesystem::create_directories(dir.file("user"));
  const bool root = ::geteuid() == 0;
  // Everyone may pass through the folders and write the user's; nobody but
  // root may write the machine hive or its folder.
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(dir.file("user").c_str(), 0777);
  ::chmod(dir.file("machine").c_str(), root ? 0755 : 0555);
  ::chmod(machineHive.c_str(), root ? 0644 : 0444);

  const int result = runInChild([&] {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
    BoxRecorder boxes;
    if (CanWriteRegistryKey(kLogsKey, HKLM)) return 11;
    if (CanWriteRegistryKey("Software\\New", HKLM)) return 12;
    TConfigBase store;
    if (!store.OpenPref(cfgPerMachine, kLogsKey, true, false)) return 13;
    if (!store.UserRegistry) return 14;  // layered
    if (store.GetPrefInteger("Logs", "Machine", 0) != 5) return 15;
    store.SetPrefInteger("Logs", "Mine", 1);
    store.ClosePref();
    return boxes.boxes.empty() ? 0 : 16;
  });
  EXPECT_EQ(result, 0);
  // Root, too, refuses a hive another user owns: take it over to look in it.
  if (root) {
    ASSERT_EQ(::chown(userHive.c_str(), 0, 0), 0);
  }
  EXPECT_EQ(stored(HKCU, kLogsKey, "Mine"), dword(1));
  EXPECT_FALSE(stored(HKLM, kLogsKey, "Mine"));
  EXPECT_FALSE(stored(HKLM, kLogsKey, kProbe));
  ::chmod(dir.file("machine").c_str(), 0755);
}

}  // namespace
