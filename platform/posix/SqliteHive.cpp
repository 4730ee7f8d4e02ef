// A hive database connection: opening and checking the file, the schema,
// statements and transactions.
//
// Settings chosen for safety over speed where they differ: the rollback journal
// (WAL needs shared memory that network file systems and read-only readers
// cannot rely on), full sync, and writes in BEGIN IMMEDIATE transactions (a
// plain BEGIN lets two read-then-write openings deadlock and one of them fail
// with SQLITE_BUSY; IMMEDIATE makes the second one wait).
#include "platform/posix/SqliteHive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Text.h"

namespace platform {
namespace {


constexpr int kApplicationId = 0x51425247;  // "QBRG"
constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 30000;

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

HiveDatabase::HiveDatabase(std::string path, KeyAccess access, mode_t fileMode)
    : path_(std::move(path)), access_(access) {
  const bool write = access == KeyAccess::ReadWrite;
  if (write) {
    makeParentFolders(path_, fileMode | ((fileMode & 0444) >> 2));
    // Created here rather than by SQLite, which would make it readable by all.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, fileMode);
    if (fd >= 0) ::close(fd);
  }
  const int flags = (write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
                    SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path_.c_str(), &db, flags, nullptr);
  db_.reset(db);
  if (rc != SQLITE_OK) fail("cannot open");
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
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

bool HiveDatabase::isSameFile() const {
  struct stat st {};
  return ::stat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_;
}

void HiveDatabase::rollback() {
  if (!inTransaction_) return;
  inTransaction_ = false;
  sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
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

}  // namespace platform
