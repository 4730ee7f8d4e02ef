// What other connections see of a hive file on Linux, for the tests of
// commits and locks.
#pragma once

#include <sqlite3.h>

#include "StoreFixture.h"

namespace qbtest {

// What another connection sees of a hive: its committed state.
inline bool committed(const std::string& hive, const std::string& valueName) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM value WHERE name = ?1", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, valueName.c_str(), -1, SQLITE_TRANSIENT);
  const bool found = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) > 0;
  sqlite3_finalize(st);
  sqlite3_close(db);
  return found;
}

// Whether another connection could take a hive's write lock at once.
inline bool unlocked(const std::string& hive) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(hive.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  const bool ok = sqlite3_exec(db, "BEGIN IMMEDIATE; ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

}  // namespace qbtest
