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

#include "platform/Files.h"
#include "platform/posix/Fd.h"
#include "platform/posix/FileTrust.h"
#include "platform/posix/GuardedVfs.h"


namespace platform {
namespace {


constexpr int kApplicationId = 0x51425247;  // "QBRG"
constexpr int kSchemaVersion = 1;
int busyTimeoutMs = 30000;

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
    // The mode is set explicitly: a umask of 077 would hide the machine
    // hive from every other user.
    if (::mkdir(dir.c_str(), mode) == 0) {
      if (::chmod(dir.c_str(), mode) == 0) continue;
      throw RegistryError("hive '" + file + "': cannot set the mode of folder '" + dir + "': " + std::strerror(errno));
    }
    int error = errno;
    struct stat st {};
    if (error == EEXIST) {
      if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
      error = ENOTDIR;  // a file where the folder should be
    }
    throw RegistryError("hive '" + file + "': cannot create folder '" + dir + "': " + std::strerror(error));
  }
}

const char* fileKind(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

// Opening a pipe or a device would block or read what is not a hive: such a
// path (the hive or its journal) is refused before anything opens it.
void refuseSpecialFile(const std::string& hive, const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return;
  throw RegistryError("hive '" + hive + "': '" + file + "' is " + fileKind(st.st_mode) + ", not a hive file");
}

// Creates a missing hive file with exactly the given mode (whatever the
// umask) before SQLite opens it (SQLite would make it readable by all).
// O_EXCL|O_NOFOLLOW: what another user plants at the name is never taken
// for a new hive.
void createWithMode(const std::string& hive, const std::string& file, mode_t mode) {
  Fd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, mode));
  if (fd.get() < 0) return;  // it exists (checked later), or SQLite's own opening says why
  if (::fchmod(fd.get(), mode) != 0)
    throw RegistryError("hive '" + hive + "': cannot set the mode of '" + file + "': " + std::strerror(errno));
}

// The file a hive path leads to, and the refusals that come before any
// opening: a link another user owns, a pipe or a device, a file or journal
// that is not this user's or root's own.
std::string checkedHiveFile(const std::string& hive) {
  std::string file;
  try {
    file = followTrustedLinks(hive);
  } catch (const FileError& e) {
    throw RegistryError("hive '" + hive + "': " + e.what());
  }
  refuseSpecialFile(hive, file);
  refuseSpecialFile(hive, file + "-journal");
  return file;
}

void refuseUntrusted(const std::string& hive, const std::string& file) {
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0) return;
  try {
    if (S_ISLNK(st.st_mode)) throw FileError("'" + file + "' is a symbolic link; it is not used");
    requireTrusted(file, st);
  } catch (const FileError& e) {
    throw RegistryError("hive '" + hive + "': " + e.what());
  }
}

std::string folderOf(const std::string& file) {
  const auto slash = file.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

}  // namespace

void setHiveWaitMs(int ms) { busyTimeoutMs = ms; }

namespace {
bool keepReplayLog = true;
}
void setHiveReplayLog(bool on) { keepReplayLog = on; }
bool hiveKeepsReplayLog() { return keepReplayLog; }

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

Statement& Statement::bindView(int i, std::string_view text) {
  sqlite3_bind_text(stmt_, i, text.empty() ? "" : text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
  return *this;
}
Statement& Statement::bindBlobView(int i, const std::vector<std::uint8_t>& data) {
  static const std::uint8_t empty = 0;
  sqlite3_bind_blob(stmt_, i, data.empty() ? &empty : data.data(), static_cast<int>(data.size()), SQLITE_STATIC);
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  db_.fail("query");
}

int Statement::run() {
  const int rc = sqlite3_step(stmt_);
  sqlite3_reset(stmt_);
  return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
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
  file_ = checkedHiveFile(path_);
  if (write) {
    makeParentFolders(file_, fileMode | ((fileMode & 0444) >> 2));
    createWithMode(path_, file_, fileMode);
  }
  refuseUntrusted(path_, file_);
  refuseUntrusted(path_, file_ + "-journal");
  open();
  if (write && sqlite3_db_readonly(handle(), "main") == 1)
    throw RegistryError("hive '" + path_ + "': not writable (permission denied or read-only file system)");

  int id = 0, tables = 0;
  try {
    readHeader(id, tables);
  } catch (const RegistryError&) {
    if (lastError_ != SQLITE_READONLY_ROLLBACK) throw;
    recoverHotJournal();
    readHeader(id, tables);
  }
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

void HiveDatabase::open() {
  // Only possible before SQLite's first use. The program keeps no memory
  // statistics: without them SQLite takes no global lock for each
  // allocation. Statement journals stay in memory: each holds the pages of
  // one statement, and spilled to a temporary file they cost a write and a
  // file for every statement of a large import.
  static const int unused = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) + sqlite3_config(SQLITE_CONFIG_STMTJRNL_SPILL, -1);
  static_cast<void>(unused);
  const int flags = (access_ == KeyAccess::ReadWrite ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                     : SQLITE_OPEN_READONLY) |
                    SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(file_.c_str(), &db, flags, guardedVfsName());
  db_.reset(db);
  if (rc != SQLITE_OK) fail("cannot open");
  sqlite3_busy_timeout(db, busyTimeoutMs);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  struct stat st {};
  if (::stat(file_.c_str(), &st) == 0) {
    device_ = st.st_dev;
    inode_ = st.st_ino;
  }
}

// Both read in one transaction: another process may be writing the schema.
void HiveDatabase::readHeader(int& id, int& tables) {
  exec("BEGIN");
  try {
    id = pragmaInt("PRAGMA application_id");
    tables = pragmaInt("SELECT count(*) FROM sqlite_schema");
  } catch (...) {
    sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  exec("COMMIT");
}

// A writer killed in the middle of a commit leaves a journal that only a
// connection allowed to write may roll back; until then every read-only
// connection fails. Roll it back through a short writable connection when
// this process may write the file and its folder (the journal is deleted).
void HiveDatabase::recoverHotJournal() {
  if (::faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0 ||
      ::faccessat(AT_FDCWD, folderOf(file_).c_str(), W_OK, AT_EACCESS) != 0)
    throw RegistryError("hive '" + path_ +
                        "' was left half-written by a program that stopped while writing it, and this user may not "
                        "repair it: open it once as a user who may write it (for example, as its owner, run "
                        "'quillbray-reg export'), which rolls the unfinished change back");
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file_.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                 guardedVfsName());
  std::unique_ptr<sqlite3, Closer> repair(raw);
  if (rc == SQLITE_OK) {
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    // Reading under a shared lock is what rolls a hot journal back.
    if (sqlite3_exec(raw, "BEGIN; SELECT count(*) FROM sqlite_schema; COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
      return;
  }
  const std::string refusal = takeJournalRefusal();
  throw RegistryError("hive '" + path_ + "': cannot repair it after a program stopped while writing it: " +
                      (!refusal.empty() ? refusal : raw ? sqlite3_errmsg(raw) : "out of memory"));
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

// The transaction statements run at every opening: prepared once, they cost
// no parsing each time.
int HiveDatabase::run(const char* sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) {
    try {
      it = statements_.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
    } catch (const RegistryError&) {
      return lastError_ != SQLITE_OK ? lastError_ : SQLITE_ERROR;  // not even prepared
    }
  }
  return it->second->run();
}

Query HiveDatabase::statement(const char* sql) {
  auto it = statements_.find(sql);
  if (it == statements_.end()) it = statements_.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
  return Query(*it->second);
}

void HiveDatabase::fail(const char* what) {
  lastError_ = db_ ? sqlite3_extended_errcode(handle()) : SQLITE_NOMEM;
  // Some failures (disk full, I/O errors) make SQLite drop the whole
  // transaction; the next write begins a new one and replays the log.
  if (inTransaction_ && sqlite3_get_autocommit(handle())) {
    inTransaction_ = false;
    forgetKeys();  // the keys it created are gone
  }
  // A refused journal shows as SQLite's "unable to open": say why.
  const std::string refusal = takeJournalRefusal();
  if (!refusal.empty() && (lastError_ & 0xFF) == SQLITE_CANTOPEN)
    throw RegistryError("hive '" + path_ + "': " + refusal);
  const std::string reason = db_ ? sqlite3_errmsg(handle()) : "out of memory";
  if ((lastError_ & 0xFF) == SQLITE_BUSY)
    throw RegistryBusyError("hive '" + path_ + "' is busy: another program has kept it locked for more than " +
                            std::to_string(busyTimeoutMs / 1000) + " seconds");
  throw RegistryError("hive '" + path_ + "': " + what + ": " + reason);
}

bool HiveDatabase::begin(const char* sql) {
  if (inTransaction_) return true;
  takeJournalRefusal();  // one left by an earlier look at the hive is not this transaction's
  if (run(sql) != SQLITE_OK) fail(sql);
  inTransaction_ = true;
  return true;
}

void HiveDatabase::beginRead() {
  if (inTransaction_) return;
  for (bool repaired = false;; repaired = true) {
    begin("BEGIN");
    try {
      // Takes the shared lock now, where a half-written hive shows itself.
      Query q = statement("PRAGMA schema_version");
      q.step();
      return;
    } catch (const RegistryError&) {
      rollback();
      if (repaired || lastError_ != SQLITE_READONLY_ROLLBACK) throw;
    }
    recoverHotJournal();
  }
}

void HiveDatabase::beginWrite() {
  if (inTransaction_) return;
  begin("BEGIN IMMEDIATE");
  replayLog();
}

bool HiveDatabase::tryBeginWrite() {
  if (inTransaction_) return true;
  sqlite3_busy_timeout(handle(), 0);
  const int rc = run("BEGIN IMMEDIATE");
  sqlite3_busy_timeout(handle(), busyTimeoutMs);
  if ((rc & 0xFF) == SQLITE_BUSY) return false;
  if (rc != SQLITE_OK) fail("BEGIN IMMEDIATE");
  inTransaction_ = true;
  replayLog();
  return true;
}

bool HiveDatabase::isSameFile() const {
  struct stat st {};
  return ::stat(file_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_;
}

void HiveDatabase::rollback() {
  log_.clear();
  forgetKeys();
  if (!inTransaction_) return;
  inTransaction_ = false;
  run("ROLLBACK");
}

void HiveDatabase::commit() {
  if (!inTransaction_) {
    if (!log_.empty()) beginWrite();  // a dropped transaction: bring it back first
    else return;
  }
  inTransaction_ = false;
  forgetKeys();  // another process may change the keys once the lock is gone
  if (run("COMMIT") != SQLITE_OK) {
    const std::string refusal = takeJournalRefusal();
    const std::string msg = refusal.empty() ? sqlite3_errmsg(handle()) : refusal;
    log_.clear();
    // A failed COMMIT may leave the transaction open; end it so the lock is released.
    if (!sqlite3_get_autocommit(handle())) sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw RegistryError("hive '" + path_ + "': cannot save changes: " + msg +
                        " (what was written since the last save is lost)");
  }
  log_.clear();
}

}  // namespace platform
