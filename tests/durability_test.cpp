// The real hives under a killed writer and under two writers at once.
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

constexpr int kValuesPerOpening = 20;

std::string openingKey(int i) { return "Software\\Durability\\Opening " + std::to_string(i); }

std::string integrityCheck(const std::string& hive) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
  std::string result = sqlite3_step(st) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) : "?";
  sqlite3_finalize(st);
  sqlite3_close(db);
  return result;
}

// How many of an opening's values are in the user hive.
int valuesOf(int opening) {
  int found = 0;
  for (int v = 0; v < kValuesPerOpening; ++v)
    if (stored(HKCU, openingKey(opening), "Value " + std::to_string(v)) == dword(opening)) ++found;
  return found;
}

// quillbray-reg export of the whole user hive: its exit status.
int exportStatus(std::string* output = nullptr) {
  FILE* p = ::popen((std::string(QB_REG_TOOL) + " export HKCU 2>&1").c_str(), "r");
  std::string text;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
  const int status = ::pclose(p);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Leaves the hive as a writer killed in the middle of a commit leaves it: an
// unfinished change written into the file, and the journal that takes it
// back. A tiny page cache makes SQLite write into the file before the commit,
// so the state is reached on purpose rather than by a lucky kill.
void leaveHalfWritten(const std::string& hive) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const int rc = sqlite3_exec(db,
                                "PRAGMA cache_size=2; BEGIN IMMEDIATE;"
                                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                "INSERT INTO value(key, name, fold, type, data) "
                                "SELECT 1, 'Unfinished ' || i, 'UNFINISHED ' || i, 4, zeroblob(4) FROM n",
                                nullptr, nullptr, nullptr);
    if (::write(ready[1], &rc, sizeof rc) != sizeof rc) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  int rc = -1;
  ASSERT_EQ(::read(ready[0], &rc, sizeof rc), static_cast<ssize_t>(sizeof rc));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(rc, SQLITE_OK);
  ASSERT_GT(std::filesystem::file_size(hive + "-journal"), 0u) << "no journal left behind";
}

TEST(Durability, AHiveLeftHalfWrittenIsRepairedByAReaderThatMayWriteIt) {
  ScopedHives hives;
  seed(HKCU, "Software\\Kept", "Before", dword(1));
  // Through the registry's read-only opening.
  leaveHalfWritten(hives.user());
  auto key = platform::registry().openKey(HKCU, "", platform::KeyAccess::Read, false);
  ASSERT_TRUE(key);
  EXPECT_FALSE(key->queryValue("Unfinished 1"));
  key.reset();
  EXPECT_EQ(stored(HKCU, "Software\\Kept", "Before"), dword(1));
  EXPECT_FALSE(std::filesystem::exists(hives.user() + "-journal"));
  EXPECT_EQ(integrityCheck(hives.user()), "ok");

  // Through quillbray-reg export, a process of its own.
  leaveHalfWritten(hives.user());
  std::string text;
  EXPECT_EQ(exportStatus(&text), 0) << text;
  EXPECT_NE(text.find("\"Before\"=dword:00000001"), std::string::npos) << text;
  EXPECT_EQ(text.find("Unfinished"), std::string::npos);
}

// A reader that may not write the file cannot roll the change back: it says
// so, naming the hive and what to do, instead of SQLite's own words.
TEST(Durability, AHiveLeftHalfWrittenIsExplainedToAReaderThatMayNotWriteIt) {
  TempDir dir;
  const std::string hive = dir.file("hives/machine.hive");
  ::setenv("QUILLBRAY_MACHINE_HIVE", hive.c_str(), 1);
  ::setenv("QUILLBRAY_USER_HIVE", dir.file("user/user.hive").c_str(), 1);
  seed(HKLM, "Software", "Before", dword(1));
  leaveHalfWritten(hive);
  const bool root = ::geteuid() == 0;
  ::chmod(dir.path().c_str(), 0755);
  ::chmod(dir.file("hives").c_str(), root ? 0755 : 0555);
  ::chmod(hive.c_str(), root ? 0644 : 0444);
  const int rc = runInChild([&] {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
    try {
      platform::registry().openKey(HKLM, "Software", platform::KeyAccess::Read, false);
      return 11;
    } catch (const platform::RegistryError& e) {
      const std::string text = e.what();
      std::fprintf(stderr, "%s\n", text.c_str());
      if (text.find(hive) == std::string::npos || text.find("half-written") == std::string::npos) return 12;
      if (text.find("readonly database") != std::string::npos) return 13;
      return 0;
    }
  });
  EXPECT_EQ(rc, 0);
  ::chmod(dir.file("hives").c_str(), 0755);
  EXPECT_EQ(stored(HKLM, "Software", "Before"), dword(1));  // the owner repairs it
}

// A write that fails for want of space loses only itself: the values written
// before it in the opening stay, the later ones go on, and the box says so.
TEST(Durability, AFailedWriteKeepsTheValuesBeforeItAndGoesOn) {
  ScopedHives hives;
  seed(HKCU, kLogsKey, "Existing", dword(1));
  const int rc = runInChild([] {
    if (!limitFileSize(512 * 1024)) return 10;
    BoxRecorder boxes;
    TConfigBase store;
    if (!store.OpenPref(cfgPerUserRoam, kLogsKey, true, false)) return 11;
    store.SetPrefInteger("Logs", "Before", 1);
    store.SetPrefString("Logs", "Huge", std::string(10 * 1024 * 1024, 'x'));
    store.SetPrefInteger("Logs", "After", 2);
    store.ClosePref();
    if (boxes.boxes.size() != 1) return 12;
    const std::string& text = boxes.boxes[0].text;
    std::fprintf(stderr, "%s\n", text.c_str());
    if (text.find("SetPrefString: Failed to set data for 'Huge'") != 0) return 13;
    if (text.find("the changes before it are kept") == std::string::npos) return 14;
    return 0;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(stored(HKCU, kLogsKey, "Before"), dword(1));
  EXPECT_FALSE(stored(HKCU, kLogsKey, "Huge"));
  EXPECT_EQ(stored(HKCU, kLogsKey, "After"), dword(2));
  EXPECT_EQ(stored(HKCU, kLogsKey, "Existing"), dword(1));
  EXPECT_EQ(integrityCheck(hives.user()), "ok");
}

TEST(Durability, AKilledWriterLosesAtMostTheOpeningInProgress) {
  ScopedHives hives;
  int progress[2];
  ASSERT_EQ(::pipe(progress), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(progress[0]);
    BoxRecorder boxes;
    TConfigBase store;
    for (int i = 0;; ++i) {
      if (!store.OpenPref(cfgPerUserRoam, openingKey(i), true, false)) ::_exit(2);
      for (int v = 0; v < kValuesPerOpening; ++v) store.SetPrefInteger("G", "Value " + std::to_string(v), i);
      store.ClosePref();
      if (!boxes.boxes.empty()) ::_exit(3);
      // Told only once ClosePref has returned: this opening must survive.
      if (::write(progress[1], &i, sizeof i) != sizeof i) ::_exit(4);
    }
  }
  ::close(progress[1]);
  int lastClosed = -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(700);
  while (std::chrono::steady_clock::now() < until && ::read(progress[0], &lastClosed, sizeof lastClosed) > 0) {
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << WEXITSTATUS(status);
  int reported = 0;
  while (::read(progress[0], &reported, sizeof reported) == sizeof reported) lastClosed = reported;
  ::close(progress[0]);
  ASSERT_GT(lastClosed, 5) << "too few openings to show anything";

  // Readers come first: a kill in the middle of a commit leaves a journal
  // that the first of them must roll back.
  EXPECT_NO_THROW(platform::registry().openKey(HKCU, "", platform::KeyAccess::Read, false));
  EXPECT_EQ(exportStatus(), 0);
  EXPECT_EQ(integrityCheck(hives.user()), "ok");
  for (int i = 0; i <= lastClosed; ++i) ASSERT_EQ(valuesOf(i), kValuesPerOpening) << "opening " << i;
  // The opening in progress is there whole or not at all.
  const int partial = valuesOf(lastClosed + 1);
  EXPECT_TRUE(partial == 0 || partial == kValuesPerOpening) << partial;
}

TEST(Concurrency, TwoProcessesWritingOneHiveBothSucceed) {
  ScopedHives hives;
  constexpr int kOpenings = 40;
  const auto writer = [](int who) {
    return [who] {
      BoxRecorder boxes;
      TConfigBase store;
      for (int i = 0; i < kOpenings; ++i) {
        // Both read and write the same key: the pattern that deadlocks a
        // plain deferred transaction.
        if (!store.OpenPref(cfgPerUserRoam, "Software\\Shared", true, false)) break;
        const std::string name = "Writer " + std::to_string(who);
        store.SetPrefInteger("G", name + " count", store.GetPrefInteger("G", name + " count", 0) + 1);
        store.SetPrefString("G", name + " item " + std::to_string(i), "x");
        store.ClosePref();
      }
      for (const auto& box : boxes.boxes) std::fprintf(stderr, "box: %s\n", box.text.c_str());
      return boxes.boxes.empty() ? 0 : 1;
    };
  };
  EXPECT_EQ(runAtOnce(2, [&](int who) { return writer(who)(); }), (std::vector<int>{0, 0}));
  for (int who = 0; who < 2; ++who) {
    const std::string name = "Writer " + std::to_string(who);
    EXPECT_EQ(stored(HKCU, "Software\\Shared", name + " count"), dword(kOpenings)) << name;
    EXPECT_EQ(stored(HKCU, "Software\\Shared", name + " item " + std::to_string(kOpenings - 1)), sz("x"));
  }
  EXPECT_EQ(integrityCheck(hives.user()), "ok");
}

}  // namespace
