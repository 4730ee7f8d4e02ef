// Typed access over the hive files on Linux: what other processes may do meanwhile.
#include <sqlite3.h>

#include "StoreFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

using LayeredTest = StoreTest;

// A box waits for the user; meanwhile other processes may use the hive.
TEST_F(LayeredTest, ABoxShownDuringAnOpeningHoldsNoHiveLock) {
  class LockProbe : public platform::MessageBoxes {
   public:
    explicit LockProbe(std::string hive) : hive_(std::move(hive)), scope_(*this) {}
    platform::BoxAnswer show(const platform::MessageBoxRequest&) override {
      sqlite3* db = nullptr;
      sqlite3_open(hive_.c_str(), &db);
      writable = sqlite3_exec(db, "BEGIN IMMEDIATE; COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
      sqlite3_close(db);
      return platform::BoxAnswer::Ok;
    }
    bool writable = false;

   private:
    std::string hive_;
    platform::ScopedMessageBoxes scope_;
  } probe(hives.user());
  seed(HKLM, kLogsKey, "Str", sz("ab"));
  openLayered();
  store.SetPrefInteger("Logs", "Before", 1);
  store.SetPrefInteger("Logs", "Str", 1);  // a type error: the box
  EXPECT_TRUE(probe.writable);
  EXPECT_EQ(user("Before"), dword(1));  // saved before the box
  store.SetPrefInteger("Logs", "After", 2);  // the opening goes on
  store.ClosePref();
  EXPECT_EQ(user("After"), dword(2));
}

}  // namespace
