// One hive database connection and its prepared statements.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
  // True while it yields a row; throws RegistryError on failure.
  bool step();
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

// An open hive file. Throws RegistryError when the file cannot be opened, is
// not a database, or is another program's database; such a file is never
// changed.
class HiveDatabase {
 public:
  // A writable opening creates the file (with fileMode) and its missing
  // folders (readable and searchable where the file is readable).
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

  // The key at path below `from`; nothing when a level is missing and create
  // is false.
  std::optional<sqlite3_int64> findKey(sqlite3_int64 from, std::string_view path, bool create);

  // Both hold the hive's lock until commit(): reading shares it with other
  // readers, writing excludes other writers (who wait for it).
  void beginRead();
  void beginWrite();
  // Makes the transaction's changes durable; throws when that fails.
  void commit();
  // Ends the transaction without keeping its changes.
  void rollback();

  [[noreturn]] void fail(const char* what);

 private:
  void exec(const std::string& sql);
  int pragmaInt(const char* sql);
  void createSchema();

  struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  };

  std::string path_;
  KeyAccess access_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::unique_ptr<sqlite3, Closer> db_;  // declared before the statements, which go first
  bool ready_ = false;
  bool inTransaction_ = false;
  std::map<const char*, std::unique_ptr<Statement>> statements_;
};

}  // namespace platform
