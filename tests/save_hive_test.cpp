// Saving the catalogue over the hive files on Linux: what other connections
// see while a save runs, and the system's text for a failing call.
#include <sqlite3.h>

#include "HiveFixture.h"
#include "SaveFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using namespace qbtest::save;
using namespace qbtest::catalogue;

using SaveHiveTest = SaveTest;

// What the save wrote before the exception is committed: other connections see it.
TEST_F(SaveHiveTest, AnExceptionFromTheRecentFilesLeavesWhatCameBeforeCommitted) {
  fill(c, allRows(c), 2);
  {
    RecordingRegistry faulty;
    faulty.fault = {"", "file 3", /*nonStandard=*/true, false, 0};
    faulty.faulty = true;
    EXPECT_THROW(c.saveSettings(cgAll), Unexpected);
  }
  EXPECT_TRUE(committed(hives.user(), "Visual Theme"));
  EXPECT_FALSE(committed(hives.user(), "file 3"));
}

// saveFiles catches what escapes it and names the system's last error.
TEST_F(SaveHiveTest, SaveFilesReportsAnEscapingErrorInItsOwnBox) {
  const struct {
    const char* name;
    Fault fault;
    bool leaveOpen;  // a key left open, whose commit fails when saveFiles opens
    bool batched;    // through saveSettings, in a batch
  } cases[] = {
      {"an error that no store guard takes", {"", "file 1", /*nonStandard=*/true, false, ENOSPC}, false, true},
      {"the commit of a key left open", {"", "", false, /*failClose=*/true, EIO}, true, false},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    ScopedHives fresh;
    boxes.boxes.clear();
    c.Files = {"/mnt/a", "/mnt/b"};
    const std::size_t before = c.ErrorBoxesShown;
    {
      RecordingRegistry faulty;
      faulty.fault = tc.fault;
      faulty.faulty = true;
      if (tc.leaveOpen) {
        ASSERT_TRUE(c.OpenPref(cfgPerUserRoam, under("Logs"), true, false));
      }
      // As the store's boxes do, this one waits holding no hive: what the
      // batch wrote so far is committed before it.
      bool free = false, seen = false;
      boxes.look = [&] {
        free = unlocked(fresh.user());
        seen = committed(fresh.user(), "file 0");
      };
      if (tc.batched) {
        c.saveSettings(cgFiles);
      } else {
        c.saveFiles();
      }
      boxes.look = nullptr;
      EXPECT_TRUE(free);
      EXPECT_EQ(seen, !tc.leaveOpen);
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0], (platform::MessageBoxRequest{
                                  std::string("Error saving files (ConfigManager.saveFiles): \r\n") +
                                      std::strerror(tc.fault.lastError),
                                  qbtest::storeCaption("saveFiles Error"), platform::BoxOwner::ApplicationWindow,
                                  kErrorStyle}));
    EXPECT_EQ(c.ErrorBoxesShown, before + 1);
    if (!tc.leaveOpen) {
      // The list was under way: what came before the failure is kept.
      EXPECT_EQ(stored(HKCU, under("Files"), "file 0"), sz("/mnt/a"));
      EXPECT_FALSE(stored(HKCU, under("Files"), "file 1"));
    }
    // The catalogue goes on working.
    boxes.boxes.clear();
    c.saveSettings(cgFiles);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(stored(HKCU, under("Files"), "file 1"), sz("/mnt/b"));
  }
}

// A whole save is one batch: nothing is visible to another connection while
// it runs, and the user hive's lock is held from the first group to the last.
TEST_F(SaveHiveTest, SaveAllCommitsOnce) {
  fill(c, allRows(c), 3);
  RecordingRegistry recording;
  bool lastSeen = false, seenEarly = true, freeEarly = true;
  recording.onUserWrite = [&](const std::string& key) {
    if (key != under("$Temp\\\\Search History")) return;
    lastSeen = true;
    seenEarly = committed(hives.user(), "Visual Theme") || committed(hives.user(), "Uses");
    freeEarly = unlocked(hives.user());
  };
  c.saveSettings(cgAll);
  ASSERT_TRUE(lastSeen);
  EXPECT_FALSE(seenEarly);
  EXPECT_FALSE(freeEarly);
  EXPECT_EQ(recording.begun, 1);
  EXPECT_EQ(recording.commits, 0);
  EXPECT_EQ(recording.ended, 1);
  EXPECT_TRUE(committed(hives.user(), "Visual Theme"));
  EXPECT_TRUE(committed(hives.user(), "Editor Replace History"));
  EXPECT_TRUE(unlocked(hives.user()));
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
