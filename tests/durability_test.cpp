// The real hives under a killed writer and under two writers at once.
#include <signal.h>
#include <sqlite3.h>
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
  std::fflush(nullptr);
  pid_t pids[2];
  for (int who = 0; who < 2; ++who) {
    pids[who] = ::fork();
    if (pids[who] == 0) ::_exit(writer(who)());
  }
  for (pid_t pid : pids) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  for (int who = 0; who < 2; ++who) {
    const std::string name = "Writer " + std::to_string(who);
    EXPECT_EQ(stored(HKCU, "Software\\Shared", name + " count"), dword(kOpenings)) << name;
    EXPECT_EQ(stored(HKCU, "Software\\Shared", name + " item " + std::to_string(kOpenings - 1)), sz("x"));
  }
  EXPECT_EQ(integrityCheck(hives.user()), "ok");
}

}  // namespace
