// One hive database connection and its prepared statements.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace platform {

class HiveDatabase;

// A prepared statement, reset and unbound each time it is handed out.
class Statement {
 public:
  Statement(HiveDatabase& db, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int i, sqlite3_int64 v);
  Statement& bind(int i, std::string_view text);
  Statement& bindBlob(int i, const std::vector<std::uint8_t>& data);
  // As bind and bindBlob without a copy: the bytes must stay until the
  // statement is reset.
  Statement& bindView(int i, std::string_view text);
  Statement& bindBlobView(int i, const std::vector<std::uint8_t>& data);
  // True while it yields a row; throws RegistryError on failure.
  bool step();
  // Runs a statement that yields no rows and resets it: SQLITE_OK or the
  // failure's code, without throwing.
  int run();
  void reset();

  sqlite3_int64 integer(int col) const;
  std::string text(int col) const;
  std::vector<std::uint8_t> blob(int col) const;

 private:
  HiveDatabase& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// One use of a statement: it is reset when the use ends, so that no read
// lock outlives it (a lock left behind would keep other processes' commits
// waiting).
class Query {
 public:
  explicit Query(Statement& s) : s_(&s) {}
  Query(Query&& other) noexcept : s_(other.s_) { other.s_ = nullptr; }
  Query& operator=(Query&&) = delete;
  ~Query() {
    if (s_) s_->reset();
  }
  Query& bind(int i, sqlite3_int64 v) { return s_->bind(i, v), *this; }
  Query& bind(int i, std::string_view text) { return s_->bind(i, text), *this; }
  Query& bindBlob(int i, const std::vector<std::uint8_t>& data) { return s_->bindBlob(i, data), *this; }
  bool step() { return s_->step(); }
  sqlite3_int64 integer(int col) const { return s_->integer(col); }
  std::string text(int col) const { return s_->text(col); }
  std::vector<std::uint8_t> blob(int col) const { return s_->blob(col); }

 private:
  Statement* s_;
};

// How long an opening waits for a hive that another process holds, in
// milliseconds (30 s); tests shorten it. Applies to connections opened later.
void setHiveWaitMs(int ms);

// Whether a write transaction keeps a log of its writes, to replay them when
// SQLite drops the transaction (on by default; see Registry::setAllOrNothing).
void setHiveReplayLog(bool on);
bool hiveKeepsReplayLog();

// An open hive file. Throws RegistryError when the file cannot be opened, is
// not a regular file, is not a database, or is another program's database;
// such a file is never changed.
//
// A write transaction keeps a log of what it wrote: SQLite drops the whole
// transaction on some failures (disk full, I/O errors), and the log brings
// back what was written before the failing write, so that values written
// before an error stay written.
class HiveDatabase {
 public:
  // A writable opening creates the file (with fileMode, also through a link
  // that names a missing file) and its missing folders (readable and
  // searchable where the file is readable). A reading opening of a hive that
  // a killed writer left half-written repairs it when this process may write
  // the file, and otherwise fails with a message that says what to do.
  HiveDatabase(std::string path, KeyAccess access, mode_t fileMode);
  HiveDatabase(const HiveDatabase&) = delete;
  HiveDatabase& operator=(const HiveDatabase&) = delete;

  sqlite3* handle() const { return db_.get(); }
  const std::string& path() const { return path_; }
  KeyAccess access() const { return access_; }
  // Whether the path still names the file this connection opened (it may
  // have been deleted or replaced since).
  bool isSameFile() const;
  // False for a read-only connection to a hive whose schema is not yet written.
  bool ready() const { return ready_; }

  // A use of the statement for this SQL text, which must be a string literal:
  // the statements are cached by its address.
  Query statement(const char* sql);

  // The key at path below `from` (which lies `depth` levels below the root);
  // nothing when a level is missing and create is false. Within a
  // transaction each step found is remembered, so that opening the same or a
  // neighbouring key again reads no key rows; the memory goes with the
  // transaction and with any deleted key. `levels`, when given, is set to the
  // number of names in the path.
  std::optional<sqlite3_int64> findKey(sqlite3_int64 from, std::size_t depth, std::string_view path, bool create,
                                       std::size_t* levels = nullptr);

  // The writes, each logged (see above). They begin the write transaction.
  void putValue(sqlite3_int64 key, std::string_view name, const RegistryValue& value);
  // Writes the values in order (a later one of the same name wins) with
  // multi-row statements, all or nothing; one log entry for the call. Names
  // are taken as they are (the caller cuts them at a NUL and checks them).
  void putValues(sqlite3_int64 key, std::span<const NamedValue> values);
  bool removeValue(sqlite3_int64 key, std::string_view name);
  void removeTree(sqlite3_int64 key);

  // Both hold the hive's lock until commit(): reading shares it with other
  // readers, writing excludes other writers (who wait for it).
  void beginRead();
  void beginWrite();
  // As beginWrite, but answers false at once when another process holds the hive.
  bool tryBeginWrite();
  bool inTransaction() const { return inTransaction_; }
  // Makes the transaction's changes durable; throws when that fails.
  void commit();
  // Ends the transaction without keeping its changes.
  void rollback();

  [[noreturn]] void fail(const char* what);

 private:
  struct Write {
    enum Kind { Key, Value, Values, DeleteValue, DeleteTree } kind = Key;
    sqlite3_int64 key = 0;     // the key written to; for Key the new key's id
    sqlite3_int64 parent = 0;  // Key: its parent
    std::string name;
    RegistryValue value;
    std::string packed;  // Values: the call's values one after another (name, type and data)
  };

  // One step of a key path: the parent's id and the name as it was asked for.
  struct KeyStep {
    sqlite3_int64 parent;
    std::string_view name;
  };
  struct KeyStepHash {
    using is_transparent = void;
    std::size_t operator()(const KeyStep& s) const {
      return std::hash<std::string_view>()(s.name) ^ (static_cast<std::size_t>(s.parent) * 0x9E3779B97F4A7C15ull);
    }
    std::size_t operator()(const std::pair<sqlite3_int64, std::string>& s) const {
      return (*this)(KeyStep{s.first, s.second});
    }
  };
  struct KeyStepEqual {
    using is_transparent = void;
    static KeyStep view(const KeyStep& s) { return s; }
    static KeyStep view(const std::pair<sqlite3_int64, std::string>& s) { return {s.first, s.second}; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
      return view(a).parent == view(b).parent && view(a).name == view(b).name;
    }
  };

  void open();
  void readHeader(int& id, int& tables);
  void exec(const std::string& sql);
  // Runs a statement of its own (BEGIN, COMMIT...) prepared once, as
  // Statement::run (a statement that cannot be prepared answers its code);
  // the SQL text must be a string literal (see statement()).
  int run(const char* sql);
  int pragmaInt(const char* sql);
  void createSchema();
  bool begin(const char* sql);
  // Applies one write; answers the rows it changed (Key: the new id).
  sqlite3_int64 apply(const Write& w, bool replaying);
  sqlite3_int64 logged(Write w);
  // Says what a failed write means for the transaction, bringing back what
  // SQLite dropped, and throws. Called only in the write's handler.
  [[noreturn]] void failedWrite(const RegistryError& e);
  // The multi-row upsert of `rows` rows (a power of two up to kBulkRows).
  Statement& bulkStatement(std::size_t rows);
  void applyValues(sqlite3_int64 key, std::span<const NamedValue> values, const std::vector<std::string>& folds);
  void undoSavepoint();
  void forgetKeys() { keySteps_.clear(); }
  void replayLog();
  void recoverHotJournal();

  struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };

  std::string path_;  // as named, for messages and the pool
  std::string file_;  // the file it leads to: links followed only when this user or root owns them
  KeyAccess access_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::unique_ptr<sqlite3, Closer> db_;  // declared before the statements, which go first
  bool ready_ = false;
  bool inTransaction_ = false;
  int lastError_ = SQLITE_OK;  // extended code of the last failure
  // The open write transaction's writes, for replay: one record after
  // another (appendToLog), a few bytes beyond their names and data each, as
  // a large import logs every value it writes.
  std::string log_;
  void appendToLog(const Write& w);
  Write logRecord(std::size_t& at) const;
  std::map<const char*, std::unique_ptr<Statement>> statements_;
  static constexpr std::size_t kBulkRows = 64;
  std::array<std::unique_ptr<Statement>, 7> bulk_;  // 1, 2, 4 ... 64 rows
  std::unordered_map<std::pair<sqlite3_int64, std::string>, sqlite3_int64, KeyStepHash, KeyStepEqual> keySteps_;
};

}  // namespace platform
