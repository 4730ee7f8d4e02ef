// The SQLite hives behind the registry interface.
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <fstream>

#include "TestSupport.h"
#include "platform/Registry.h"

namespace {

using platform::KeyAccess;
using platform::RegistryError;
using platform::RegistryRoot;
using platform::RegistryValue;

constexpr auto HKCU = RegistryRoot::CurrentUser;

std::unique_ptr<platform::RegistryKey> openRw(const std::string& path, bool create = true) {
  return platform::registry().openKey(HKCU, path, KeyAccess::ReadWrite, create);
}
std::unique_ptr<platform::RegistryKey> openRead(const std::string& path) {
  return platform::registry().openKey(HKCU, path, KeyAccess::Read, false);
}

RegistryValue dword(std::uint32_t n) {
  return {platform::REG_DWORD, {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
}

class Registry : public ::testing::Test {
 protected:
  qbtest::ScopedHives hives;
};

TEST_F(Registry, NamesIgnoreLetterCaseAndKeepTheirSpelling) {
  {
    auto key = openRw("Software\\\xC3\x84pfel\\Sub");  // Äpfel
    key->setValue("Mixed Case", dword(7));
    key->setValue("MIXED case", dword(8));  // the same value
    key->close();
  }
  auto key = openRead("SOFTWARE\\\xC3\xA4PFEL\\sub");  // äPFEL
  ASSERT_TRUE(key);
  EXPECT_EQ(key->valueNames(), std::vector<std::string>{"Mixed Case"});
  EXPECT_EQ(key->queryValue("mixed case"), dword(8));
  auto software = openRead("software");
  EXPECT_EQ(software->subKeyNames(), std::vector<std::string>{"\xC3\x84pfel"});
}

TEST_F(Registry, KeyPathsCollapseEmptyNamesAsWindowsDoes) {
  openRw("\\a\\\\b\\")->setValue("v", dword(1));
  for (const char* path : {"a\\b", "\\a\\b", "a\\\\b\\\\", "\\\\a\\b\\"}) {
    SCOPED_TRACE(path);
    auto key = openRead(path);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->queryValue("v"), dword(1));
  }
  EXPECT_EQ(openRead("a")->subKeyNames(), std::vector<std::string>{"b"});
}

TEST_F(Registry, OverLongNamesFailWithAClearErrorAndWriteNothing) {
  const std::string name255(255, 'k');
  EXPECT_TRUE(openRw("a\\" + name255));
  try {
    openRw("a\\" + name255 + "x");
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("key name too long"), std::string::npos);
  }
  // Characters, not bytes: 255 two-byte letters are a valid name.
  std::string wide;
  for (int i = 0; i < 255; ++i) wide += "\xC3\xA4";
  EXPECT_TRUE(openRw(wide));

  auto key = openRw("a");
  key->setValue(std::string(16383, 'v'), dword(1));
  EXPECT_THROW(key->setValue(std::string(16384, 'v'), dword(1)), RegistryError);
  key->close();
  EXPECT_EQ(openRead("a")->subKeyNames().size(), 1u);
  EXPECT_EQ(openRead("a")->valueNames().size(), 1u);
}

TEST_F(Registry, ValuesKeepTypeBytesAndCreationOrder) {
  const RegistryValue values[] = {
      {platform::REG_SZ, {'a', 'b', 0}},
      {platform::REG_BINARY, {}},
      {platform::REG_EXPAND_SZ, {'%', 0}},
      dword(0xFFFFFFFF),
      {7, {1, 2, 3}},
  };
  auto key = openRw("k");
  for (std::size_t i = 0; i < std::size(values); ++i) key->setValue("v" + std::to_string(4 - i), values[i]);
  key->setValue("v4", dword(3));  // an update keeps its place
  key->close();

  auto read = openRead("k");
  EXPECT_EQ(read->valueNames(), (std::vector<std::string>{"v4", "v3", "v2", "v1", "v0"}));
  EXPECT_EQ(read->queryValue("v4"), dword(3));
  EXPECT_EQ(read->queryValue("v3"), values[1]);  // zero bytes, not absent
  EXPECT_EQ(read->queryValue("v0"), values[4]);
  EXPECT_FALSE(read->queryValue("missing"));
}

TEST_F(Registry, DeleteValueAndSubtree) {
  {
    auto key = openRw("top");
    key->openSubKey("a\\b\\c", true)->setValue("deep", dword(1));
    key->openSubKey("a", false)->setValue("x", dword(2));
    key->openSubKey("keep", true)->setValue("y", dword(3));
    key->setValue("own", dword(4));
  }
  auto key = openRw("top", false);
  EXPECT_TRUE(key->deleteValue("OWN"));
  EXPECT_FALSE(key->deleteValue("own"));
  EXPECT_TRUE(key->deleteSubKeyTree("A"));
  EXPECT_FALSE(key->deleteSubKeyTree("a"));
  key->close();

  auto read = openRead("top");
  EXPECT_EQ(read->subKeyNames(), std::vector<std::string>{"keep"});
  EXPECT_TRUE(read->valueNames().empty());
  EXPECT_FALSE(openRead("top\\a\\b\\c"));
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

TEST_F(Registry, ReadingNeverCreatesAHive) {
  EXPECT_FALSE(openRead("Software"));
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software", KeyAccess::ReadWrite, false));
  EXPECT_FALSE(platform::registry().openKey(RegistryRoot::LocalMachine, "", KeyAccess::Read, false));
  EXPECT_FALSE(std::filesystem::exists(hives.machine()));
}

TEST_F(Registry, AnOpeningThatIsNotClosedStillCommits) {
  openRw("k")->setValue("v", dword(5));  // destroyed without close()
  EXPECT_EQ(openRead("k")->queryValue("v"), dword(5));
}

TEST_F(Registry, FilesThatAreNotHivesAreRefusedAndLeftAsTheyAre) {
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

TEST_F(Registry, AHiveFolderThatCannotBeCreatedIsAClearError) {
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
TEST_F(Registry, PathsThatAreNotRegularFilesAreRefusedBeforeOpening) {
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

TEST_F(Registry, AUserHiveMadeThroughALinkToAMissingFileIsPrivate) {
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

TEST_F(Registry, NamesEndAtTheirFirstNul) {
  using namespace std::string_literals;
  auto key = openRw("Software\0Ignored"s);
  key->setValue("Name\0Tail"s, dword(7));
  key->close();
  auto read = openRead("Software");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->valueNames(), std::vector<std::string>{"Name"});
  EXPECT_EQ(read->queryValue("Name\0Other"s), dword(7));
  EXPECT_EQ(read->subKeyNames(), std::vector<std::string>{});
}

TEST_F(Registry, KeysLieAtMost512LevelsBelowTheRoot) {
  const auto path = [](int levels) {
    std::string p;
    for (int i = 0; i < levels; ++i) p += "k\\";
    return p;
  };
  EXPECT_TRUE(openRw(path(512)));
  try {
    openRw(path(513));
    ADD_FAILURE() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("too deep"), std::string::npos) << e.what();
  }
  // Counted from the root, also below an open key; nothing was created.
  EXPECT_THROW(openRw(path(100000)), RegistryError);
  auto deep = openRw(path(500));
  EXPECT_THROW(deep->openSubKey(path(13), true), RegistryError);
  EXPECT_TRUE(deep->openSubKey(path(12), false));
  EXPECT_THROW(deep->openSubKey(path(13), false), RegistryError);
}

}  // namespace
