// A hive's writes and their log.
//
// Every write of a transaction is logged as it succeeds. SQLite drops the
// whole transaction on some failures (disk full, I/O errors, a file size
// limit); the next write then begins a new transaction and replays the log,
// so the values written before a failed write stay written. Keys are replayed
// with the ids they were given, which the opening's keys keep using.
#include "platform/Text.h"
#include "platform/posix/SqliteHive.h"

namespace platform {

sqlite3_int64 HiveDatabase::apply(const Write& w, bool replaying) {
  switch (w.kind) {
    case Write::Key:
      if (replaying) {
        statement("INSERT INTO key(id, parent, name, fold) VALUES(?1, ?2, ?3, ?4)")
            .bind(1, w.key).bind(2, w.parent).bind(3, w.name).bind(4, foldName(w.name)).step();
        return w.key;
      }
      statement("INSERT INTO key(parent, name, fold) VALUES(?1, ?2, ?3)")
          .bind(1, w.parent).bind(2, w.name).bind(3, foldName(w.name)).step();
      return sqlite3_last_insert_rowid(handle());
    case Write::Value:
      statement(
          "INSERT INTO value(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
          "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data")
          .bind(1, w.key).bind(2, w.name).bind(3, foldName(w.name))
          .bind(4, static_cast<sqlite3_int64>(w.value.type)).bindBlob(5, w.value.data).step();
      return sqlite3_changes(handle());
    case Write::DeleteValue:
      statement("DELETE FROM value WHERE key = ?1 AND fold = ?2").bind(1, w.key).bind(2, foldName(w.name)).step();
      return sqlite3_changes(handle());
    case Write::DeleteTree:
      // Both statements run inside the transaction: the subtree goes at once
      // or not at all.
      statement(
          "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT key.id FROM key JOIN tree ON key.parent = tree.id) "
          "DELETE FROM value WHERE key IN tree")
          .bind(1, w.key).step();
      statement(
          "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT key.id FROM key JOIN tree ON key.parent = tree.id) "
          "DELETE FROM key WHERE id IN tree")
          .bind(1, w.key).step();
      return 1;
  }
  return 0;
}

sqlite3_int64 HiveDatabase::logged(Write w) {
  beginWrite();
  sqlite3_int64 result = 0;
  try {
    result = apply(w, false);
  } catch (const RegistryError& e) {
    if (inTransaction_) throw;  // only this write failed
    // SQLite dropped the whole transaction: what was written before this
    // write comes back, and the caller hears that only this one failed.
    const std::string failure = e.what();
    if (!hiveKeepsReplayLog())
      throw RegistryError(failure + " (the changes not yet saved were dropped with it)");
    try {
      beginWrite();
    } catch (const RegistryError& again) {
      throw RegistryError(failure + "; what was written since the last save could not be kept either (" +
                          again.what() + ")");
    }
    throw RegistryError(failure + " (this change was not made; the changes before it are kept)");
  }
  if (!hiveKeepsReplayLog()) return result;
  if (w.kind == Write::Key) w.key = result;
  log_.push_back(std::move(w));
  return result;
}

void HiveDatabase::replayLog() {
  if (log_.empty()) return;
  try {
    for (const Write& w : log_) apply(w, true);
  } catch (const RegistryError&) {
    rollback();
    throw;
  }
}

std::optional<sqlite3_int64> HiveDatabase::findKey(sqlite3_int64 from, std::size_t depth, std::string_view path,
                                                   bool create) {
  sqlite3_int64 id = from;
  for (std::string_view name : splitKeyPath(path, depth)) {
    Query find = statement("SELECT id FROM key WHERE parent = ?1 AND fold = ?2");
    find.bind(1, id).bind(2, foldName(name));
    if (find.step()) {
      id = find.integer(0);
      continue;
    }
    if (!create) return std::nullopt;
    Write w;
    w.kind = Write::Key;
    w.parent = id;
    w.name = name;
    id = logged(std::move(w));
  }
  return id;
}

void HiveDatabase::putValue(sqlite3_int64 key, std::string_view name, const RegistryValue& value) {
  Write w;
  w.kind = Write::Value;
  w.key = key;
  w.name = name;
  w.value = value;
  logged(std::move(w));
}

bool HiveDatabase::removeValue(sqlite3_int64 key, std::string_view name) {
  Write w;
  w.kind = Write::DeleteValue;
  w.key = key;
  w.name = name;
  return logged(std::move(w)) > 0;
}

void HiveDatabase::removeTree(sqlite3_int64 key) {
  Write w;
  w.kind = Write::DeleteTree;
  w.key = key;
  logged(std::move(w));
}

}  // namespace platform
