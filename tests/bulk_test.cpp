// Bulk writes: many values of one key in one call, and the store's key memory.
#include <sqlite3.h>

#include "StoreFixture.h"
#include "prefs/StoredForms.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using platform::NamedValue;

// Every value of a hive as a line: key, name, type and bytes, in the order the
// values were created. Two hives that print alike hold the same values.
std::vector<std::string> dump(const std::string& hive) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT key.name || '|' || value.name || '|' || value.fold || '|' || value.type || '|' || "
                     "hex(value.data) FROM value LEFT JOIN key ON key.id = value.key ORDER BY value.rowid",
                     -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW) rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

void runSql(const std::string& hive, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  const std::string text = error ? error : "";
  sqlite3_free(error);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << text;
}

// One typed value as the import has it: written through its guarded write,
// or as its stored form in a bulk call.
struct Typed {
  enum Kind { Integer, Boolean, String, Binary } kind;
  std::string name;
  std::int32_t number = 0;
  std::string text;

  void writeSingly(TConfigBase& store) const {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    switch (kind) {
      case Integer: return store.SetPrefInteger("G", name, number);
      case Boolean: return store.SetPrefBooleanProc("G", name, number != 0);
      case String: return store.SetPrefString("G", name, text);
      case Binary: return store.SetPrefBinaryProc("G", name, bytes);
    }
  }
  NamedValue named() const {
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    switch (kind) {
      case Integer: return {name, StoredInteger(number)};
      case Boolean: return {name, StoredBoolean(number != 0)};
      case String: return {name, StoredString(text)};
      case Binary: break;
    }
    return {name, StoredBinary(bytes)};
  }
};

std::vector<Typed> oddValues() {
  using namespace std::string_literals;
  std::vector<Typed> v = {
      {Typed::Integer, "", -1, ""},                 // the key's default value
      {Typed::Integer, "Number", 0x12345678, ""},
      {Typed::Integer, "Negative", -2, ""},
      {Typed::Boolean, "Flag", 1, ""},
      {Typed::Boolean, "Off", 0, ""},
      {Typed::String, "Text", 0, "some text"},
      {Typed::String, "Empty text", 0, ""},
      {Typed::Binary, "Bytes", 0, "\x00\x01\xFF"s},
      {Typed::Binary, "No bytes", 0, ""},
      {Typed::String, "number", 0, "case-only duplicate: the first spelling stays"},
      {Typed::Integer, "Twice", 1, ""},
      {Typed::String, "Twice", 0, "the later write wins, type and all"},
      {Typed::Integer, "\xC3\x84pfel", 3, ""},      // Äpfel
      {Typed::Integer, "\xC3\xA4PFEL", 4, ""},      // äPFEL: the same name
      {Typed::Integer, std::string(platform::kMaxValueNameLength, 'L'), 5, ""},
      {Typed::Integer, "Cut\0here"s, 6, ""},         // the name ends at its NUL
      {Typed::String, "Cut"s, 0, "the same value as 'Cut\\0here'"},
      {Typed::Integer, "\0hidden"s, 7, ""},          // the default value again
  };
  // Enough for several statements, with names repeated across them.
  for (int i = 0; i < 150; ++i)
    v.push_back({i % 2 ? Typed::String : Typed::Integer, "Value " + std::to_string(i % 97), i, std::to_string(i)});
  return v;
}

struct Form {
  const char* name;
  TPrefLocation location;
  TDataScope scope;
  platform::RegistryRoot root;
};

// Layered with no machine key, flat, and direct (a writable machine hive).
const Form kForms[] = {
    {"layered", plRegistry, cfgPerUserRoam, HKCU},
    {"flat", plRegistryFlat, cfgPerUserRoam, HKCU},
    {"direct", plRegistry, cfgPerMachine, HKLM},
};

class BulkTest : public StoreTest {
 protected:
  std::string hiveOf(platform::RegistryRoot root) const { return root == HKCU ? hives.user() : hives.machine(); }
};

TEST_F(BulkTest, StoresWhatTheSingleWritesStoreInEveryForm) {
  const std::vector<Typed> values = oddValues();
  std::vector<NamedValue> named;
  for (const Typed& t : values) named.push_back(t.named());
  for (const Form& form : kForms) {
    SCOPED_TRACE(form.name);
    PrefLocation = form.location;
    std::vector<std::string> singly, together;
    {
      ScopedHives fresh;
      {
        TPrefBatch batch(store);
        ASSERT_TRUE(store.OpenPref(form.scope, kLogsKey, true, false));
        for (const Typed& t : values) t.writeSingly(store);
        store.ClosePref();
      }
      singly = dump(form.root == HKCU ? fresh.user() : fresh.machine());
    }
    {
      ScopedHives fresh;
      {
        TPrefBatch batch(store);
        ASSERT_TRUE(store.OpenPref(form.scope, kLogsKey, true, false));
        EXPECT_TRUE(store.SetPrefValues("G", named));
        store.ClosePref();
      }
      together = dump(form.root == HKCU ? fresh.user() : fresh.machine());
    }
    EXPECT_EQ(boxes.boxes.size(), 0u);
    EXPECT_FALSE(singly.empty());
    EXPECT_EQ(together, singly);
  }
}

// SQLite inserts the rows of one statement in turn: of two rows with the same
// name the later updates the earlier, also across the statements of one call
// (64 + 32 + 4 rows) and outside a batch.
TEST_F(BulkTest, TheLaterOfTwoEqualNamesWinsWithinAndAcrossStatements) {
  for (const std::size_t count : {2u, 3u, 64u, 100u, 200u}) {
    SCOPED_TRACE(count);
    std::vector<NamedValue> values;
    for (std::size_t i = 0; i < count; ++i)
      values.push_back({(i % 2 ? "SAME " : "same ") + std::to_string(i / 2 % 33), dword(static_cast<std::uint32_t>(i))});
    const std::string key = "Software\\Same " + std::to_string(count);
    platform::registry().openKey(HKCU, key, platform::KeyAccess::ReadWrite, true)->setValues(values);
    auto read = platform::registry().openKey(HKCU, key, platform::KeyAccess::Read, false);
    ASSERT_TRUE(read);
    const std::size_t names = std::min<std::size_t>(33, (count + 1) / 2);
    ASSERT_EQ(read->valueNames().size(), names);
    for (std::size_t n = 0; n < names; ++n) {
      std::size_t last = 0;
      for (std::size_t i = 0; i < count; ++i)
        if (i / 2 % 33 == n) last = i;
      EXPECT_EQ(read->valueNames()[n], "same " + std::to_string(n));  // the first spelling
      EXPECT_EQ(read->queryValue("Same " + std::to_string(n)), dword(static_cast<std::uint32_t>(last)));
    }
  }
}

TEST_F(BulkTest, AnswersFalseAndWritesNothingWhereTheOpeningCannotTakeThem) {
  const std::vector<NamedValue> values = {{"A", dword(1)}, {"B", sz("b")}};
  EXPECT_FALSE(store.SetPrefValues("G", values));  // nothing open

  seed(HKLM, kLogsKey, "Machine", dword(9));  // a machine key: each value must be compared
  openLayered();
  EXPECT_FALSE(store.SetPrefValues("G", values));
  store.ClosePref();
  EXPECT_FALSE(user("A"));

  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, false, true));  // read-only
  EXPECT_FALSE(store.SetPrefValues("G", values));
  store.ClosePref();

  // A name over the registry's limit: refused before anything is written.
  const std::vector<NamedValue> tooLong = {{"A", dword(1)},
                                           {std::string(platform::kMaxValueNameLength + 1, 'x'), dword(2)}};
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, "Software\\Elsewhere", true, false));
  EXPECT_FALSE(store.SetPrefValues("G", tooLong));
  store.ClosePref();
  EXPECT_FALSE(stored(HKCU, "Software\\Elsewhere", "A"));

  TempDir dir;
  ScopedEnv env;
  env.set("XDG_CONFIG_HOME", dir.file("config"));
  env.set("XDG_DATA_HOME", dir.file("data"));
  env.set("XDG_CONFIG_DIRS", dir.file("machine"));
  PrefLocation = plFile;
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_FALSE(store.SetPrefValues("G", values));
  store.ClosePref();
  EXPECT_EQ(boxes.boxes.size(), 0u);
}

// A statement the hive refuses in the middle of a call (the third of
// 64 + 32 + 4 rows): the call's first two statements go too, the
// transaction's earlier values stay, and the same values then go one by one.
TEST_F(BulkTest, ARefusedCallLeavesNothingOfItAndKeepsTheTransaction) {
  seed(HKCU, kLogsKey, "Existing", dword(1));
  runSql(hives.user(),
         "CREATE TRIGGER refuse BEFORE INSERT ON value WHEN NEW.name = 'Poison' "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END");
  std::vector<NamedValue> values;
  for (int i = 0; i < 100; ++i) values.push_back({"Value " + std::to_string(i), dword(static_cast<std::uint32_t>(i))});
  values[97].name = "Poison";
  {
    TPrefBatch batch(store);
    openLayered();
    store.SetPrefInteger("G", "Before", 1);
    EXPECT_FALSE(store.SetPrefValues("G", values));
    EXPECT_TRUE(boxes.boxes.empty());
    store.SetPrefInteger("G", "After", 2);
    store.ClosePref();
  }
  EXPECT_EQ(user("Existing"), dword(1));
  EXPECT_EQ(user("Before"), dword(1));
  EXPECT_EQ(user("After"), dword(2));
  EXPECT_FALSE(user("Value 0"));
  EXPECT_FALSE(user("Value 96"));
  EXPECT_FALSE(user("Value 99"));
}

// Out of space for one call's values: SQLite drops the whole transaction; the
// call leaves nothing, what came before it comes back, and later writes go on.
TEST_F(BulkTest, ACallThatRunsOutOfSpaceLeavesNothingAndKeepsWhatCameBefore) {
  seed(HKCU, kLogsKey, "Existing", dword(1));
  const int rc = runInChild([] {
    if (!limitFileSize(512 * 1024)) return 10;
    BoxRecorder boxes;
    TConfigBase store;
    TPrefBatch batch(store);
    if (!store.OpenPref(cfgPerUserRoam, kLogsKey, true, false)) return 11;
    store.SetPrefInteger("Logs", "Before", 1);
    std::vector<NamedValue> values;
    for (int i = 0; i < 10; ++i) values.push_back({"Value " + std::to_string(i), dword(7)});
    if (!store.SetPrefValues("Logs", values)) return 12;
    std::vector<NamedValue> huge = values;
    for (NamedValue& v : huge) v.name += " again";
    huge[5].value = sz(std::string(10 * 1024 * 1024, 'x'));
    if (store.SetPrefValues("Logs", huge)) return 13;
    if (!boxes.boxes.empty()) return 14;
    store.SetPrefInteger("Logs", "After", 2);
    store.ClosePref();
    return boxes.boxes.empty() ? 0 : 15;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(user("Existing"), dword(1));
  EXPECT_EQ(user("Before"), dword(1));
  EXPECT_EQ(user("Value 9"), dword(7));  // an earlier call, brought back
  EXPECT_FALSE(user("Value 0 again"));
  EXPECT_FALSE(user("Value 9 again"));
  EXPECT_EQ(user("After"), dword(2));
}

// Where the registry keeps no copy of the unsaved changes, a call that loses
// them says so in a box and is not to be written again one by one.
TEST_F(BulkTest, ACallThatLosesTheUnsavedChangesSaysSo) {
  const int rc = runInChild([] {
    if (!limitFileSize(512 * 1024)) return 10;
    platform::registry().setAllOrNothing(true);
    BoxRecorder boxes;
    TConfigBase store;
    TPrefBatch batch(store);
    if (!store.OpenPref(cfgPerUserRoam, kLogsKey, true, false)) return 11;  // keys made in the lost transaction
    store.SetPrefInteger("Logs", "Before", 1);
    const std::vector<NamedValue> huge = {{"A", dword(1)}, {"Huge", sz(std::string(10 * 1024 * 1024, 'x'))}};
    if (!store.SetPrefValues("Logs", huge)) return 12;
    if (boxes.boxes.size() != 1) return 13;
    std::fprintf(stderr, "%s\n", boxes.boxes[0].text.c_str());
    if (boxes.boxes[0].text.find("SetPrefValues: ") != 0) return 14;
    if (boxes.boxes[0].text.find("dropped with it") == std::string::npos) return 15;
    store.ClosePref();
    // The keys are made again, not taken for the ids that went with it.
    if (!store.OpenPref(cfgPerUserRoam, kLogsKey, true, false)) return 16;
    store.SetPrefInteger("Logs", "After", 2);
    store.ClosePref();
    return boxes.boxes.size() == 1 ? 0 : 17;
  });
  EXPECT_EQ(rc, 0);
  EXPECT_FALSE(user("Before"));
  EXPECT_FALSE(user("A"));
  EXPECT_EQ(user("After"), dword(2));
}

// The ids of keys found are remembered within a transaction: deleting and
// creating a key again, in the batch or by another process after a save,
// must not send writes to the id that is gone.
TEST_F(BulkTest, RememberedKeysFollowDeletesAndSaves) {
  const std::string sub = kLogsKey + "\\Sub";
  {
    TPrefBatch batch(store);
    ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, sub, true, false));
    store.SetPrefInteger("G", "First", 1);
    store.ClosePref();
    openLayered();
    EXPECT_TRUE(store.DeletePrefKey("Sub"));
    store.ClosePref();
    ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, sub, true, false));
    ASSERT_TRUE(store.SetPrefValues("G", std::vector<NamedValue>{{"Second", dword(2)}}));
    store.ClosePref();

    EXPECT_EQ(store.ReleasePrefLocks(), "");  // saved: another process may change the keys now
    runSql(hives.user(),
           "INSERT INTO key(parent, name, fold) SELECT id, 'Other', 'OTHER' FROM key WHERE fold = 'LOGS';"
           "DELETE FROM value WHERE key IN (SELECT id FROM key WHERE fold = 'SUB');"
           "DELETE FROM key WHERE fold = 'SUB';"
           "INSERT INTO key(parent, name, fold) SELECT id, 'Sub', 'SUB' FROM key WHERE fold = 'LOGS';");
    ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, sub, true, false));
    store.SetPrefInteger("G", "Third", 3);
    store.ClosePref();
  }
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(stored(HKCU, sub, "First"));
  EXPECT_FALSE(stored(HKCU, sub, "Second"));  // deleted by the other process
  EXPECT_EQ(stored(HKCU, sub, "Third"), dword(3));
  for (const std::string& row : dump(hives.user()))
    EXPECT_EQ(row.find("|Second|"), std::string::npos) << "a value of a deleted key: " << row;
}

TEST_F(BulkTest, ADeletedKeyIsNotFoundAgainInTheSameOpening) {
  auto key = platform::registry().openKey(HKCU, "Software\\Tree", platform::KeyAccess::ReadWrite, true);
  ASSERT_TRUE(key->openSubKey("A\\B", true));
  EXPECT_TRUE(key->deleteSubKeyTree("A"));
  EXPECT_FALSE(key->openSubKey("A\\B", false));
  auto again = key->openSubKey("A\\B", true);
  again->setValues(std::vector<NamedValue>{{"v", dword(1)}});
  key->close();
  again->close();
  EXPECT_EQ(stored(HKCU, "Software\\Tree\\A\\B", "v"), dword(1));
}

// A batch checks the pair of hives once, and again when they are named otherwise.
TEST_F(BulkTest, ABatchStillRefusesOneFileForBothHives) {
  platform::registry().beginBatch();
  seed(HKCU, "Software\\A", "v", dword(1));
  {
    ScopedEnv env;
    env.set("QUILLBRAY_MACHINE_HIVE", hives.user());
    try {
      platform::registry().openKey(HKLM, "Software", platform::KeyAccess::Read, false);
      ADD_FAILURE() << "one file opened as both hives";
    } catch (const platform::RegistryError& e) {
      EXPECT_NE(std::string(e.what()).find("name the same file"), std::string::npos) << e.what();
    }
  }
  platform::registry().endBatch();
  EXPECT_EQ(stored(HKCU, "Software\\A", "v"), dword(1));
}

}  // namespace
