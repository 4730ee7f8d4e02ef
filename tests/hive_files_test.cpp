// Hive files and the event log: the modes of what the program creates, hives
// that cannot be reached, and folders that another real user may write.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "StoreFixture.h"
#include "TestSupport.h"
#include "platform/ExclusiveAppend.h"
#include "platform/Registry.h"

namespace {

using platform::KeyAccess;
using platform::RegistryError;
using platform::RegistryRoot;
using qbtest::dword;

const RegistryRoot HKCU = RegistryRoot::CurrentUser;
const RegistryRoot HKLM = RegistryRoot::LocalMachine;

mode_t modeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// The message of what fn throws, or "" when it throws nothing.
template <typename Fn>
std::string refusal(Fn fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST(HiveModes, SetExplicitlyWhateverTheUmask) {
  qbtest::TempDir dir;
  qbtest::ScopedEnv env;
  const std::string machine = dir.file("lib/quillbray/machine.hive"), user = dir.file("cfg/quillbray/user.hive");
  env.set("QUILLBRAY_MACHINE_HIVE", machine);
  env.set("QUILLBRAY_USER_HIVE", user);
  ScopedUmask mask(077);
  qbtest::seed(HKLM, "Software\\X", "v", dword(1));
  qbtest::seed(HKCU, "Software\\X", "v", dword(1));
  EXPECT_EQ(modeOf(machine), 0644u);
  EXPECT_EQ(modeOf(dir.file("lib/quillbray")), 0755u);
  EXPECT_EQ(modeOf(dir.file("lib")), 0755u);
  EXPECT_EQ(modeOf(user), 0600u);
  EXPECT_EQ(modeOf(dir.file("cfg/quillbray")), 0700u);
  EXPECT_EQ(modeOf(dir.path().string()), 0700u) << "a folder that was there is left as it is";
}

// A machine hive behind a folder this user may not enter is not "no hive".
TEST(HiveModes, AHiveThatCannotBeReachedIsNotEmpty) {
  QB_OTHER_USER_OR_SKIP(other);
  qbtest::TempDir dir;
  qbtest::ScopedEnv env;
  ::chmod(dir.path().c_str(), 0755);
  const std::string machine = dir.file("closed/machine.hive");
  env.set("QUILLBRAY_MACHINE_HIVE", machine);
  env.set("QUILLBRAY_USER_HIVE", dir.file("open/user.hive"));
  qbtest::seed(HKLM, "Software\\X", "v", dword(1));
  std::filesystem::create_directories(dir.file("open"));
  ::chown(dir.file("open").c_str(), other.uid, other.gid);
  ::chmod(dir.file("closed").c_str(), 0700);

  EXPECT_EQ(qbtest::runAsUser(other, [&] {
              const std::string why =
                  refusal([] { platform::registry().openKey(HKLM, "Software\\X", KeyAccess::Read, false); });
              return why.find("cannot be read: Permission denied") != std::string::npos &&
                             why.find(machine) != std::string::npos
                         ? 0
                         : 1;
            }),
            0);
  const auto run = qbtest::runProcess({"/usr/bin/setpriv", "--reuid=" + std::to_string(other.uid),
                                       "--regid=" + std::to_string(other.gid), "--clear-groups", QB_REG_TOOL,
                                       "export", "HKLM"},
                                      "/");
  EXPECT_EQ(run.status, 1) << "quillbray-reg export HKLM";
  EXPECT_NE(run.err.find("cannot be read: Permission denied"), std::string::npos) << run.err;
}

// A sticky folder that every user may write, as /tmp is; the second user
// plants things in it, the test process is the victim.
class SharedFolderHives : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    const auto found = qbtest::otherUser(&why);
    if (!found) GTEST_SKIP() << "needs a second user: " << why;
    other = *found;
    ::chmod(dir.path().c_str(), 01777);
    env.set("QUILLBRAY_USER_HIVE", hive);
    env.set("QUILLBRAY_MACHINE_HIVE", dir.file("machine.hive"));
  }
  // Runs fn as the second user; asserts that it worked.
  void plant(const std::function<int()>& fn) { ASSERT_EQ(qbtest::runAsUser(other, fn), 0); }
  std::string write() {
    return refusal([] { qbtest::seed(HKCU, "Software\\X", "v", dword(2)); });
  }
  std::string read() {
    return refusal([] { qbtest::stored(HKCU, "Software\\X", "v"); });
  }

  qbtest::OtherUser other{};
  qbtest::TempDir dir;
  qbtest::ScopedEnv env;
  const std::string hive = dir.file("user.hive"), journal = hive + "-journal", victim = dir.file("victim");
};

TEST_F(SharedFolderHives, APlantedLinkNeverTurnsAnotherFileIntoAHive) {
  std::ofstream(victim) << "keep me";
  plant([&] { return ::symlink(victim.c_str(), hive.c_str()); });
  for (const std::string& why : {write(), read()}) {
    EXPECT_NE(why.find("symbolic link owned by user 'qbtest-other'"), std::string::npos) << why;
  }
  EXPECT_EQ(qbtest::readFile(victim), "keep me");
  // The user's own link is followed, and a missing target is created.
  ASSERT_EQ(::unlink(hive.c_str()), 0);
  ASSERT_EQ(::symlink("real.hive", hive.c_str()), 0);
  EXPECT_EQ(write(), "");
  EXPECT_EQ(modeOf(dir.file("real.hive")), 0600u);
}

// Links in the folders above the hive are the kernel's business: a
// configuration folder that is itself a link (a common dotfiles layout) works.
TEST(HiveModes, AHiveBelowALinkedFolderIsUsed) {
  qbtest::TempDir dir;
  qbtest::ScopedEnv env;
  std::filesystem::create_directories(dir.file("real"));
  ASSERT_EQ(::symlink("real", dir.file("linked").c_str()), 0);
  env.set("QUILLBRAY_USER_HIVE", dir.file("linked/user.hive"));
  env.set("QUILLBRAY_MACHINE_HIVE", dir.file("linked/machine.hive"));
  qbtest::seed(HKCU, "Software\\X", "v", dword(1));
  EXPECT_EQ(qbtest::stored(HKCU, "Software\\X", "v"), dword(1));
  EXPECT_TRUE(std::filesystem::exists(dir.file("real/user.hive")));
}

TEST_F(SharedFolderHives, AHiveAnotherUserOwnsOrMayWriteIsRefused) {
  // A real hive, planted whole by the other user.
  plant([&] { return qbtest::runInChild([] { qbtest::seed(HKCU, "Software\\X", "v", dword(9)); return 0; }); });
  ASSERT_TRUE(std::filesystem::exists(hive));
  for (const std::string& why : {write(), read()}) {
    EXPECT_NE(why.find("is owned by user 'qbtest-other'"), std::string::npos) << why;
    EXPECT_NE(why.find(hive), std::string::npos) << why;
  }
  // This user's own hive that everybody may write is no better.
  ASSERT_EQ(::chown(hive.c_str(), 0, 0), 0);
  ASSERT_EQ(::chmod(hive.c_str(), 0666), 0);
  EXPECT_NE(read().find("may be written by every user (mode 0666)"), std::string::npos) << read();
  ASSERT_EQ(::chmod(hive.c_str(), 0600), 0);
  EXPECT_EQ(qbtest::stored(HKCU, "Software\\X", "v"), dword(9));
}

// A journal planted before the first write, and one planted between two
// writes of an opening that is already open, receive nothing.
TEST_F(SharedFolderHives, AJournalAnotherUserPlantedReceivesNothing) {
  for (const bool afterOpening : {false, true}) {
    SCOPED_TRACE(afterOpening ? "planted between two writes" : "planted before");
    std::filesystem::remove(hive);
    std::filesystem::remove(journal);
    auto key = platform::registry().openKey(HKCU, "Software\\X", KeyAccess::ReadWrite, true);
    key->setValue("first", dword(1));
    key->close();
    if (afterOpening) key = platform::registry().openKey(HKCU, "Software\\X", KeyAccess::ReadWrite, true);
    plant([&] {
      const int fd = ::open(journal.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
      return fd >= 0 && ::fchmod(fd, 0666) == 0 && ::close(fd) == 0 ? 0 : 1;
    });
    const std::string why = refusal([&] {
      if (!afterOpening) key = platform::registry().openKey(HKCU, "Software\\X", KeyAccess::ReadWrite, true);
      key->setValue("second", qbtest::binary(std::vector<std::uint8_t>(100000, 'x')));
      key->close();
    });
    key.reset();
    EXPECT_NE(why.find(journal + "' is owned by user 'qbtest-other'"), std::string::npos) << why;
    EXPECT_EQ(std::filesystem::file_size(journal), 0u) << "the hive's old pages went into another user's file";
    ASSERT_EQ(::unlink(journal.c_str()), 0);
    EXPECT_EQ(qbtest::stored(HKCU, "Software\\X", "first"), dword(1));
  }
}

// A journal left as if a writer had stopped half-way: a reader would roll it
// "back" into the hive. Another user's one is neither applied nor removed:
// readers and writers refuse to go on beside it, and say why.
TEST_F(SharedFolderHives, AForeignRollbackJournalIsNeverApplied) {
  qbtest::seed(HKCU, "Software\\X", "v", dword(1));
  const std::string crafted = std::string("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8) + std::string(56, '\x01');
  plant([&] {
    std::ofstream(journal, std::ios::binary) << crafted;
    return ::chmod(journal.c_str(), 0644);
  });
  for (const std::string& why : {read(), write()}) {
    EXPECT_NE(why.find(journal + "' is owned by user 'qbtest-other'"), std::string::npos) << why;
    EXPECT_EQ(qbtest::readFile(journal), crafted);
  }
  ASSERT_EQ(::unlink(journal.c_str()), 0);
  EXPECT_EQ(qbtest::stored(HKCU, "Software\\X", "v"), dword(1));
}

TEST_F(SharedFolderHives, TheEventLogIsNotAppendedThroughAPlantedLink) {
  std::ofstream(victim) << "keep me";
  const std::string log = dir.file("events.log");
  plant([&] { return ::symlink(victim.c_str(), log.c_str()); });
  const std::string why = refusal([&] { platform::appendExclusive(log, "entry\r\n"); });
  EXPECT_NE(why.find("symbolic link owned by user 'qbtest-other'"), std::string::npos) << why;
  EXPECT_EQ(qbtest::readFile(victim), "keep me");

  // Nor into a log file another user owns.
  ASSERT_EQ(::unlink(log.c_str()), 0);
  plant([&] { return (std::ofstream(log) << "theirs\n") ? ::chmod(log.c_str(), 0666) : 1; });
  EXPECT_NE(refusal([&] { platform::appendExclusive(log, "entry\r\n"); }).find("is owned by user 'qbtest-other'"),
            std::string::npos);
  EXPECT_EQ(qbtest::readFile(log), "theirs\n");
}

}  // namespace
