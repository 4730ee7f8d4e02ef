// Batches: a run of openings committed once, under kills and other processes.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "HiveFixture.h"
#include "platform/posix/SqliteHive.h"

namespace {

using namespace quillbray;
using namespace qbtest;

constexpr int kValuesPerGroup = 20;

std::string groupKey(int i) { return "Software\\Batch\\Group " + std::to_string(i); }

// One group of values, as the import writes it; a value name over the
// registry's limit fails with a box.
void writeGroup(TConfigBase& store, int i, bool failFirst = false, const std::string& prefix = "Value ") {
  if (!store.OpenPref(cfgPerUserRoam, groupKey(i), true, false)) return;
  if (failFirst) store.SetPrefInteger("G", std::string(20000, 'x'), 0);
  for (int v = 0; v < kValuesPerGroup; ++v) store.SetPrefInteger("G", prefix + std::to_string(v), i);
  store.ClosePref();
}

int valuesOf(int group, const std::string& prefix = "Value ") {
  int found = 0;
  for (int v = 0; v < kValuesPerGroup; ++v)
    if (stored(HKCU, groupKey(group), prefix + std::to_string(v)) == dword(group)) ++found;
  return found;
}

using BatchTest = StoreTest;

TEST_F(BatchTest, OpeningsInABatchAreCommittedOnceAtItsEnd) {
  {
    TPrefBatch batch(store);
    writeGroup(store, 1);
    writeGroup(store, 2);
    EXPECT_FALSE(committed(hives.user(), "Value 0"));
    {
      TPrefBatch inner(store);  // joins the outer batch
      writeGroup(store, 3);
    }
    EXPECT_FALSE(committed(hives.user(), "Value 0"));
  }
  EXPECT_TRUE(boxes.boxes.empty());
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(valuesOf(i), kValuesPerGroup) << i;
  // Outside a batch each opening commits as it closes again.
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, groupKey(4), true, false));
  store.SetPrefInteger("G", "Alone", 1);
  store.ClosePref();
  EXPECT_TRUE(committed(hives.user(), "Alone"));
}

TEST_F(BatchTest, ABoxCommitsWhatTheBatchWroteAndHoldsNoLock) {
  LookingRecorder looking;
  bool seen = false, free = false;
  looking.look = [&] {
    seen = committed(hives.user(), "Value 0");
    free = unlocked(hives.user());
  };
  {
    TPrefBatch batch(store);
    writeGroup(store, 1);
    writeGroup(store, 2, /*failFirst=*/true);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(free);
    writeGroup(store, 3);
  }
  EXPECT_EQ(looking.boxes.size(), 1u);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(valuesOf(i), kValuesPerGroup) << i;
}

TEST_F(BatchTest, MachineOpeningsAndTheirProbeShareTheBatch) {
  platform::setHiveWaitMs(2000);  // a batch waiting for itself fails fast
  {
    TPrefBatch batch(store);
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(store.OpenPref(cfgPerMachine, groupKey(i), true, false));
      EXPECT_FALSE(store.UserRegistry);  // the machine hive alone
      store.SetPrefInteger("G", "Machine", i);
      store.ClosePref();
      ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, groupKey(i), true, false));
      EXPECT_EQ(store.GetPrefInteger("G", "Machine", -1), i);  // the batch's own write
      store.SetPrefInteger("G", "User", i);
      store.ClosePref();
    }
  }
  platform::setHiveWaitMs(30000);
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
  EXPECT_EQ(stored(HKLM, groupKey(2), "Machine"), dword(2));
  EXPECT_EQ(stored(HKCU, groupKey(2), "User"), dword(2));
  EXPECT_FALSE(stored(HKLM, groupKey(2), "amdk328wlskdjf"));
}

// Another process holds the user hive for the whole run: the batch waits for
// it once; the later groups fail at once instead of each waiting again.
TEST_F(BatchTest, AHiveThatStaysBusyIsWaitedForOnce) {
  seed(HKCU, "Software", "Seed", dword(1));
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  std::fflush(nullptr);
  const pid_t holder = ::fork();
  if (holder == 0) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(hives.user().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    const int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (::write(ready[1], &rc, sizeof rc) != sizeof rc) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  int rc = -1;
  ASSERT_EQ(::read(ready[0], &rc, sizeof rc), static_cast<ssize_t>(sizeof rc));
  ASSERT_EQ(rc, SQLITE_OK);
  platform::setHiveWaitMs(200);
  {
    TPrefBatch batch(store);
    for (int i = 0; i < 3; ++i) writeGroup(store, i);
  }
  platform::setHiveWaitMs(30000);
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(boxes.boxes.size(), 3u);
  EXPECT_NE(boxes.boxes[0].text.find("is busy: another program has kept it locked"), std::string::npos)
      << boxes.boxes[0].text;
  for (int i = 1; i < 3; ++i)
    EXPECT_NE(boxes.boxes[i].text.find("not waited for again"), std::string::npos) << boxes.boxes[i].text;
}

// Killed at any moment, a batched run leaves the hive as it was before it or
// as it was at its last box: whole groups, up to a box. Every tenth group
// starts with a failing value, so every tenth group boundary is a box.
TEST(BatchDurability, AKilledBatchLeavesTheHiveAsBeforeOrAtItsLastBox) {
  ScopedHives hives;
  int progress[2];
  ASSERT_EQ(::pipe(progress), 0);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(progress[0]);
    BoxRecorder boxes;
    TConfigBase store;
    TPrefBatch batch(store);
    for (int i = 0;; ++i) {
      const std::size_t before = boxes.boxes.size();
      writeGroup(store, i, i % 10 == 0);
      // Told once the box has committed the groups before this one.
      if (boxes.boxes.size() > before && ::write(progress[1], &i, sizeof i) != sizeof i) ::_exit(4);
    }
  }
  ::close(progress[1]);
  int lastBox = -1;
  // Wait for a few boxes, then kill wherever the writer is.
  for (int seen = 0; seen < 5 && ::read(progress[0], &lastBox, sizeof lastBox) == sizeof lastBox; ++seen) {
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  for (int reported; ::read(progress[0], &reported, sizeof reported) == sizeof reported;) lastBox = reported;
  ::close(progress[0]);
  ASSERT_GE(lastBox, 40);

  int present = 0;
  while (valuesOf(present) == kValuesPerGroup) ++present;
  EXPECT_GE(present, lastBox) << "groups before the last box were lost";
  EXPECT_EQ(present % 10, 0) << "the hive holds groups that no box committed";
  for (int i = present; i < present + 20; ++i) EXPECT_EQ(valuesOf(i), 0) << "part of group " << i;
}

// Two batched runs and a reader at once: each run waits for the other's
// batch, nothing is lost, nobody sees a box.
TEST(BatchConcurrency, TwoBatchesAndAReaderAtOnceLoseNothing) {
  ScopedHives hives;
  constexpr int kGroups = 30;
  const auto run = [](int who) {
    return [who] {
      BoxRecorder boxes;
      TConfigBase store;
      if (who == 2) {  // the reader
        for (int n = 0; n < 200; ++n) {
          if (!store.OpenPref(cfgPerUserRoam, groupKey(n % kGroups), false, true)) continue;
          store.GetPrefInteger("G", "Writer 0 0", 0);
          store.ClosePref();
        }
      } else {
        TPrefBatch batch(store);
        for (int i = 0; i < kGroups; ++i) writeGroup(store, i, false, "Writer " + std::to_string(who) + " ");
      }
      for (const auto& box : boxes.boxes) std::fprintf(stderr, "box: %s\n", box.text.c_str());
      return boxes.boxes.empty() ? 0 : 1;
    };
  };
  EXPECT_EQ(runAtOnce(3, [&](int who) { return run(who)(); }), (std::vector<int>{0, 0, 0}));
  for (int who = 0; who < 2; ++who)
    for (int i = 0; i < kGroups; ++i)
      EXPECT_EQ(valuesOf(i, "Writer " + std::to_string(who) + " "), kValuesPerGroup) << who << " " << i;
}

}  // namespace
