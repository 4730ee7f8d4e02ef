// The registry's SQLite hive files on Linux: what the files hold, and files
// that are not hives.
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <fstream>

#include "RegistryKeys.h"

namespace {

using namespace qbtest;
using platform::KeyAccess;
using platform::RegistryError;
using platform::RegistryRoot;
using platform::RegistryValue;

class RegistryHive : public ::testing::Test {
 protected:
  qbtest::ScopedHives hives;
};

// Deleting a tree through the registry removes its rows: nothing is left
// that a damaged-hive walk would find.
TEST_F(RegistryHive, DeletingASubtreeLeavesNoRows) {
  {
    auto key = openRw("top");
    key->openSubKey("a\\b\\c", true)->setValue("deep", dword(1));
    key->openSubKey("a", false)->setValue("x", dword(2));
    key->openSubKey("keep", true)->setValue("y", dword(3));
    key->setValue("own", dword(4));
  }
  ASSERT_TRUE(openRw("top", false)->deleteSubKeyTree("a"));
  openRw("top", false)->deleteValue("own");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(hives.user().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT (SELECT count(*) FROM key), (SELECT count(*) FROM value)", -1, &st, nullptr);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(st, 0), 3);  // root, top, keep: no orphans left
  EXPECT_EQ(sqlite3_column_int(st, 1), 1);
  sqlite3_finalize(st);
  sqlite3_close(db);
}

TEST_F(RegistryHive, ReadingNeverCreatesAHive) {
  EXPECT_FALSE(openRead("Software"));
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software", KeyAccess::ReadWrite, false));
  EXPECT_FALSE(platform::registry().openKey(RegistryRoot::LocalMachine, "", KeyAccess::Read, false));
  EXPECT_FALSE(std::filesystem::exists(hives.machine()));
}

TEST_F(RegistryHive, FilesThatAreNotHivesAreRefusedAndLeftAsTheyAre) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    const char* message;
  } cases[] = {
      {"text file", [](const std::string& p) { std::ofstream(p) << "not a database at all, just some text\n"; },
       "file is not a database"},
      {"other program's database",
       [](const std::string& p) {
         sqlite3* db = nullptr;
         sqlite3_open(p.c_str(), &db);
         sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1)", nullptr, nullptr, nullptr);
         sqlite3_close(db);
       },
       "not a registry hive"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(hives.user());
    c.make(hives.user());
    const std::string before = qbtest::readFile(hives.user());
    for (auto access : {KeyAccess::Read, KeyAccess::ReadWrite}) {
      try {
        platform::registry().openKey(HKCU, "Software", access, true);
        ADD_FAILURE() << "no error";
      } catch (const RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find(hives.user()), std::string::npos) << e.what();
      }
    }
    EXPECT_EQ(qbtest::readFile(hives.user()), before);
  }
}

TEST_F(RegistryHive, AHiveFolderThatCannotBeCreatedIsAClearError) {
  std::ofstream(hives.dir().file("blocker")) << "a file where a folder should be";
  ::setenv("QUILLBRAY_USER_HIVE", hives.dir().file("blocker/sub/user.hive").c_str(), 1);
  try {
    openRw("Software");
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("cannot create folder"), std::string::npos) << e.what();
  }
}

// Opening a pipe would wait for a writer forever: every path that is not a
// regular file is refused before anything opens it. Runs in a child that an
// alarm ends, so a hang fails the case instead of the whole run.
TEST_F(RegistryHive, PathsThatAreNotRegularFilesAreRefusedBeforeOpening) {
  const auto fifo = [](const std::string& p) { ::mkfifo(p.c_str(), 0600); };
  const auto socket = [](const std::string& p) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", p.c_str());
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::close(fd);
  };
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    bool journal;  // the thing sits where the hive's journal goes
    const char* message;
  } cases[] = {
      {"named pipe", fifo, false, "is a named pipe"},
      {"socket", socket, false, "is a socket"},
      {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, false, "is a folder"},
      {"named pipe as journal", fifo, true, "is a named pipe"},
  };
  for (const auto& c : cases) {
    for (auto access : {KeyAccess::Read, KeyAccess::ReadWrite}) {
      SCOPED_TRACE(std::string(c.what) + (access == KeyAccess::Read ? ", reading" : ", writing"));
      qbtest::ScopedHives own;
      if (c.journal) openRw("Software");
      c.make(c.journal ? own.user() + "-journal" : own.user());
      const int rc = qbtest::runInChild([&] {
        ::alarm(10);
        try {
          platform::registry().openKey(HKCU, "Software", access, true);
          return 1;
        } catch (const RegistryError& e) {
          const std::string text = e.what();
          return text.find(c.message) != std::string::npos && text.find(own.user()) != std::string::npos ? 0 : 2;
        }
      });
      EXPECT_EQ(rc, 0) << "1: opened, 2: unclear message, -1: hung or crashed";
    }
  }
}

TEST_F(RegistryHive, AUserHiveMadeThroughALinkToAMissingFileIsPrivate) {
  const std::string target = hives.dir().file("elsewhere.hive");
  ::symlink(target.c_str(), hives.user().c_str());
  const mode_t old = ::umask(022);
  openRw("Software")->setValue("v", dword(1));
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(openRead("Software")->queryValue("v"), dword(1));
}

}  // namespace
