// The registry on Linux: each hive is one SQLite database file.
//
// Schema (docs/hive-format.md is the reference for users):
//   key(id, parent, name, fold)          one row a key; the root is id 1
//   value(key, name, fold, type, data)   one row a value, bytes as Windows stores them
// "fold" is the name's upper-case spelling, under which names are compared.
//
// Settings chosen for safety over speed where they differ: the rollback journal
// (WAL needs shared memory that network file systems and read-only readers
// cannot rely on), full sync, and a writable opening that is one BEGIN IMMEDIATE
// transaction (a plain BEGIN lets two read-then-write openings deadlock and one
// of them fail with SQLITE_BUSY; IMMEDIATE makes the second one wait).
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "platform/posix/HivePaths.h"
#include "platform/posix/SqliteHive.h"

namespace platform {
namespace {

constexpr int kApplicationId = 0x51425247;  // "QBRG"
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 30000;
constexpr sqlite3_int64 kRootKey = 1;

constexpr const char* kSchema =
    "CREATE TABLE key("
    "  id INTEGER PRIMARY KEY,"
    "  parent INTEGER REFERENCES key(id),"
    "  name TEXT NOT NULL,"
    "  fold TEXT NOT NULL);"
    "CREATE UNIQUE INDEX key_child ON key(parent, fold);"
    "CREATE TABLE value("
    "  key INTEGER NOT NULL REFERENCES key(id),"
    "  name TEXT NOT NULL,"
    "  fold TEXT NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX value_name ON value(key, fold);"
    "INSERT INTO key(id, parent, name, fold) VALUES(1, NULL, '', '');";

// Creates every missing folder of the file's path.
void makeParentFolders(const std::string& file, mode_t mode) {
  for (std::size_t pos = file.find('/', 1); pos != std::string::npos; pos = file.find('/', pos + 1)) {
    const std::string dir = file.substr(0, pos);
    if (::mkdir(dir.c_str(), mode) == 0) continue;
    int error = errno;
    struct stat st {};
    if (error == EEXIST) {
      if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
      error = ENOTDIR;  // a file where the folder should be
    }
    throw RegistryError("hive '" + file + "': cannot create folder '" + dir + "': " + std::strerror(error));
  }
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// The two roots must be two files: one process holds both open at once (the
// machine's for reading, the user's for writing), and one file would make its
// own commit wait for its own read lock.
void checkDistinctHives() {
  std::string user;
  try {
    user = hivePath(RegistryRoot::CurrentUser);
  } catch (const RegistryError&) {
    return;  // no user hive at all: nothing to compare
  }
  const std::string machine = hivePath(RegistryRoot::LocalMachine);
  struct stat a {}, b {};
  const bool same = user == machine || (::stat(user.c_str(), &a) == 0 && ::stat(machine.c_str(), &b) == 0 &&
                                        a.st_dev == b.st_dev && a.st_ino == b.st_ino);
  if (same)
    throw RegistryError("the user hive and the machine hive name the same file ('" + user +
                        "'): set QUILLBRAY_USER_HIVE and QUILLBRAY_MACHINE_HIVE to two files");
}

}  // namespace

// --- Statement -------------------------------------------------------------

Statement::Statement(HiveDatabase& db, const char* sql) : db_(db) {
  if (sqlite3_prepare_v3(db.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK)
    db.fail("prepare");
}
Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int i, sqlite3_int64 v) {
  sqlite3_bind_int64(stmt_, i, v);
  return *this;
}
Statement& Statement::bind(int i, std::string_view text) {
  sqlite3_bind_text(stmt_, i, text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
  return *this;
}
Statement& Statement::bindBlob(int i, const std::vector<std::uint8_t>& data) {
  // A null pointer would store NULL; an empty value is a zero-length blob.
  static const std::uint8_t empty = 0;
  sqlite3_bind_blob(stmt_, i, data.empty() ? &empty : data.data(), static_cast<int>(data.size()),
                    SQLITE_TRANSIENT);
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  db_.fail("query");
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

sqlite3_int64 Statement::integer(int col) const { return sqlite3_column_int64(stmt_, col); }
std::string Statement::text(int col) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
  return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
}
std::vector<std::uint8_t> Statement::blob(int col) const {
  const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, col));
  const int n = sqlite3_column_bytes(stmt_, col);
  return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
}

// --- HiveDatabase ----------------------------------------------------------

HiveDatabase::HiveDatabase(std::string path, KeyAccess access) : path_(std::move(path)) {
  const bool write = access == KeyAccess::ReadWrite;
  if (write) makeParentFolders(path_, 0755);
  const int flags = (write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
                    SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path_.c_str(), &db, flags, nullptr);
  db_.reset(db);
  if (rc != SQLITE_OK) fail("cannot open");
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  if (write && sqlite3_db_readonly(db, "main") == 1)
    throw RegistryError("hive '" + path_ + "': not writable (permission denied or read-only file system)");

  // Both read in one transaction: another process may be writing the schema.
  exec("BEGIN");
  int id = 0, tables = 0;
  try {
    id = pragmaInt("PRAGMA application_id");
    tables = pragmaInt("SELECT count(*) FROM sqlite_schema");
  } catch (...) {
    sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  exec("COMMIT");
  if (id == kApplicationId) {
    if (pragmaInt("PRAGMA user_version") > kSchemaVersion)
      throw RegistryError("hive '" + path_ + "': written by a newer version of the program");
    ready_ = true;
  } else if (id != 0 || tables != 0) {
    throw RegistryError("hive '" + path_ + "': not a registry hive (another program's database)");
  }
  if (write) {
    exec("PRAGMA journal_mode=DELETE");
    exec("PRAGMA synchronous=FULL");
    if (!ready_) createSchema();
  }
}

void HiveDatabase::createSchema() {
  // Another process may be creating it at the same moment: decide under the lock.
  exec("BEGIN IMMEDIATE");
  try {
    if (pragmaInt("PRAGMA application_id") != kApplicationId) {
      exec(kSchema);
      exec("PRAGMA application_id=" + std::to_string(kApplicationId));
      exec("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    }
    exec("COMMIT");
  } catch (...) {
    sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  ready_ = true;
}

void HiveDatabase::exec(const std::string& sql) {
  if (sqlite3_exec(handle(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql.c_str());
}

int HiveDatabase::pragmaInt(const char* sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(handle(), sql, -1, &stmt, nullptr) != SQLITE_OK) fail("cannot read");
  const int rc = sqlite3_step(stmt);
  const int v = rc == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
  sqlite3_finalize(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail("cannot read");
  return v;
}

Query HiveDatabase::statement(const char* sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) it = statements_.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
  return Query(*it->second);
}

void HiveDatabase::fail(const char* what) {
  std::string msg = "hive '" + path_ + "': " + what + ": " + (db_ ? sqlite3_errmsg(handle()) : "out of memory");
  // Some errors (disk full, I/O) make SQLite roll the whole transaction back.
  if (inTransaction_ && sqlite3_get_autocommit(handle())) {
    inTransaction_ = false;
    msg += " (the changes of this opening were lost)";
  }
  throw RegistryError(msg);
}

void HiveDatabase::beginRead() {
  if (inTransaction_) return;
  exec("BEGIN");
  inTransaction_ = true;
}

void HiveDatabase::beginWrite() {
  if (inTransaction_) return;
  exec("BEGIN IMMEDIATE");
  inTransaction_ = true;
}

void HiveDatabase::commit() {
  if (!inTransaction_) return;
  inTransaction_ = false;
  if (sqlite3_exec(handle(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    const std::string msg = sqlite3_errmsg(handle());
    // A failed COMMIT may leave the transaction open; end it so the lock is released.
    if (!sqlite3_get_autocommit(handle())) sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw RegistryError("hive '" + path_ + "': cannot save changes: " + msg);
  }
}

std::optional<sqlite3_int64> HiveDatabase::findKey(sqlite3_int64 from, std::string_view path, bool create) {
  const auto names = splitKeyPath(path);
  sqlite3_int64 id = from;
  for (std::string_view name : names) {
    const std::string fold = foldName(name);
    Query find = statement("SELECT id FROM key WHERE parent = ?1 AND fold = ?2");
    find.bind(1, id).bind(2, fold);
    if (find.step()) {
      id = find.integer(0);
      continue;
    }
    if (!create) return std::nullopt;
    statement("INSERT INTO key(parent, name, fold) VALUES(?1, ?2, ?3)").bind(1, id).bind(2, name).bind(3, fold).step();
    id = sqlite3_last_insert_rowid(handle());
  }
  return id;
}

// --- SqliteKey ---------------------------------------------------------------

namespace {

class SqliteKey final : public RegistryKey {
 public:
  SqliteKey(std::shared_ptr<HiveDatabase> db, sqlite3_int64 id, bool writable)
      : db_(std::move(db)), id_(id), writable_(writable) {}

  ~SqliteKey() override {
    // Values written before an error stay written: an opening that is not
    // closed still commits. A failure here has nobody to report to.
    if (db_ && db_.use_count() == 1) {
      try {
        db_->commit();
      } catch (const RegistryError&) {
      }
    }
  }

  std::optional<RegistryValue> queryValue(std::string_view name) override {
    Query q = live().statement("SELECT type, data FROM value WHERE key = ?1 AND fold = ?2");
    q.bind(1, id_).bind(2, foldName(name));
    if (!q.step()) return std::nullopt;
    return RegistryValue{static_cast<std::uint32_t>(q.integer(0)), q.blob(1)};
  }

  void setValue(std::string_view name, const RegistryValue& value) override {
    checkValueName(name);
    writableDb()
        .statement(
            "INSERT INTO value(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
            "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data")
        .bind(1, id_)
        .bind(2, name)
        .bind(3, foldName(name))
        .bind(4, static_cast<sqlite3_int64>(value.type))
        .bindBlob(5, value.data)
        .step();
  }

  bool deleteValue(std::string_view name) override {
    HiveDatabase& db = writableDb();
    db.statement("DELETE FROM value WHERE key = ?1 AND fold = ?2").bind(1, id_).bind(2, foldName(name)).step();
    return sqlite3_changes(db.handle()) > 0;
  }

  std::vector<std::string> valueNames() override {
    Query q = live().statement("SELECT name FROM value WHERE key = ?1 ORDER BY rowid");
    q.bind(1, id_);
    std::vector<std::string> names;
    while (q.step()) names.push_back(q.text(0));
    return names;
  }

  std::vector<std::string> subKeyNames() override {
    Query q = live().statement("SELECT name FROM key WHERE parent = ?1 ORDER BY fold, name");
    q.bind(1, id_);
    std::vector<std::string> names;
    while (q.step()) names.push_back(q.text(0));
    return names;
  }

  std::unique_ptr<RegistryKey> openSubKey(std::string_view path, bool create) override {
    HiveDatabase& db = create ? writableDb() : live();
    const auto id = db.findKey(id_, path, create);
    if (!id) return nullptr;
    return std::make_unique<SqliteKey>(db_, *id, writable_);
  }

  bool deleteSubKeyTree(std::string_view path) override {
    HiveDatabase& db = writableDb();
    const auto id = db.findKey(id_, path, false);
    if (!id || *id == id_) return false;
    // Both statements run inside this opening's transaction: the subtree goes
    // at once or not at all.
    db.statement(
          "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
          "SELECT key.id FROM key JOIN tree ON key.parent = tree.id) "
          "DELETE FROM value WHERE key IN tree")
        .bind(1, *id)
        .step();
    db.statement(
          "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL "
          "SELECT key.id FROM key JOIN tree ON key.parent = tree.id) "
          "DELETE FROM key WHERE id IN tree")
        .bind(1, *id)
        .step();
    return true;
  }

  void close() override {
    if (!db_) return;
    std::shared_ptr<HiveDatabase> db = std::move(db_);
    if (db.use_count() == 1) db->commit();
  }

 private:
  HiveDatabase& live() {
    if (!db_) throw RegistryError("key is closed");
    return *db_;
  }
  HiveDatabase& writableDb() {
    if (!writable_) throw RegistryError("key is open for reading only");
    HiveDatabase& db = live();
    db.beginWrite();
    return db;
  }

  std::shared_ptr<HiveDatabase> db_;
  sqlite3_int64 id_;
  bool writable_;
};

class SqliteRegistry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path, KeyAccess access,
                                       bool create) override {
    checkDistinctHives();
    const std::string file = hivePath(root);
    const bool write = access == KeyAccess::ReadWrite;
    if (!write && !fileExists(file)) return nullptr;  // a missing hive holds no keys
    auto db = std::make_shared<HiveDatabase>(file, access);
    if (!db->ready()) return nullptr;  // created by another process, schema not yet written
    // A reading opening is one read transaction too: its reads take the
    // hive's lock once instead of once each.
    if (write) db->beginWrite(); else db->beginRead();
    const auto id = db->findKey(kRootKey, path, create && write);
    if (!id) return nullptr;
    return std::make_unique<SqliteKey>(std::move(db), *id, write);
  }
};

}  // namespace

Registry& platformRegistry() {
  static SqliteRegistry registry;
  return registry;
}

}  // namespace platform
