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
namespace {

void putSize(std::string& out, std::size_t n) {
  do {
    out += static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0));
    n >>= 7;
  } while (n != 0);
}

std::size_t takeSize(std::string_view in, std::size_t& at) {
  std::size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(in[at++]);
    n |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return n;
  }
}

// Each value as the sizes of its name and data, its type, its name and its
// data.
std::string pack(std::span<const NamedValue> values) {
  std::string out;
  std::size_t bytes = 0;
  for (const NamedValue& v : values) bytes += v.name.size() + v.value.data.size() + 8;
  out.reserve(bytes);
  for (const NamedValue& v : values) {
    putSize(out, v.name.size());
    putSize(out, v.value.data.size());
    putSize(out, v.value.type);
    out += v.name;
    out.append(reinterpret_cast<const char*>(v.value.data.data()), v.value.data.size());
  }
  return out;
}

std::vector<NamedValue> unpack(std::string_view in) {
  std::vector<NamedValue> values;
  for (std::size_t at = 0; at < in.size();) {
    const std::size_t name = takeSize(in, at), data = takeSize(in, at);
    NamedValue v;
    v.value.type = static_cast<std::uint32_t>(takeSize(in, at));
    v.name.assign(in.substr(at, name));
    at += name;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(in.data() + at);
    v.value.data.assign(bytes, bytes + data);
    at += data;
    values.push_back(std::move(v));
  }
  return values;
}

void putBytes(std::string& out, std::string_view bytes) {
  putSize(out, bytes.size());
  out += bytes;
}

std::string_view takeBytes(std::string_view in, std::size_t& at) {
  const std::size_t n = takeSize(in, at);
  const std::string_view bytes = in.substr(at, n);
  at += n;
  return bytes;
}

}  // namespace

// A write as one record of the log: its kind, key, parent, name, type, data
// and packed values, one after another.
void HiveDatabase::appendToLog(const Write& w) {
  log_ += static_cast<char>(w.kind);
  putSize(log_, static_cast<std::size_t>(w.key));
  putSize(log_, static_cast<std::size_t>(w.parent));
  putBytes(log_, w.name);
  putSize(log_, w.value.type);
  putBytes(log_, std::string_view(reinterpret_cast<const char*>(w.value.data.data()), w.value.data.size()));
  putBytes(log_, w.packed);
}

HiveDatabase::Write HiveDatabase::logRecord(std::size_t& at) const {
  Write w;
  w.kind = static_cast<Write::Kind>(log_[at++]);
  w.key = static_cast<sqlite3_int64>(takeSize(log_, at));
  w.parent = static_cast<sqlite3_int64>(takeSize(log_, at));
  w.name = takeBytes(log_, at);
  w.value.type = static_cast<std::uint32_t>(takeSize(log_, at));
  const std::string_view data = takeBytes(log_, at);
  w.value.data.assign(data.begin(), data.end());
  w.packed = takeBytes(log_, at);
  return w;
}

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
    case Write::Values: {  // only ever replayed
      const std::vector<NamedValue> values = unpack(w.packed);
      std::vector<std::string> folds;
      folds.reserve(values.size());
      for (const NamedValue& v : values) folds.push_back(foldName(v.name));
      applyValues(w.key, values, folds);
      return static_cast<sqlite3_int64>(values.size());
    }
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
    failedWrite(e);
  }
  if (!hiveKeepsReplayLog()) return result;
  if (w.kind == Write::Key) w.key = result;
  appendToLog(w);
  return result;
}

void HiveDatabase::failedWrite(const RegistryError& e) {
  if (inTransaction_) throw;  // only this write failed (called in its handler: keeps its type)
  // SQLite dropped the whole transaction: what was written before this
  // write comes back, and the caller hears that only this one failed.
  const std::string failure = e.what();
  if (!hiveKeepsReplayLog())
    throw RegistryLostError(failure + " (the changes not yet saved were dropped with it)");
  try {
    beginWrite();
  } catch (const RegistryError& again) {
    throw RegistryLostError(failure + "; what was written since the last save could not be kept either (" +
                            again.what() + ")");
  }
  throw RegistryError(failure + " (this change was not made; the changes before it are kept)");
}

void HiveDatabase::replayLog() {
  if (log_.empty()) return;
  try {
    for (std::size_t at = 0; at < log_.size();) apply(logRecord(at), true);
  } catch (const RegistryError&) {
    rollback();
    throw;
  }
}

std::optional<sqlite3_int64> HiveDatabase::findKey(sqlite3_int64 from, std::size_t depth, std::string_view path,
                                                   bool create, std::size_t* levels) {
  // Only a transaction keeps the key table as it was read.
  constexpr std::size_t kMaxSteps = 4096;  // a walk over many keys keeps only the latest
  const bool remember = inTransaction_;
  sqlite3_int64 id = from;
  const std::vector<std::string_view> names = splitKeyPath(path, depth);
  if (levels) *levels = names.size();
  for (std::string_view name : names) {
    if (remember) {
      if (const auto it = keySteps_.find(KeyStep{id, name}); it != keySteps_.end()) {
        id = it->second;
        continue;
      }
    }
    const sqlite3_int64 parent = id;
    Query find = statement("SELECT id FROM key WHERE parent = ?1 AND fold = ?2");
    find.bind(1, id).bind(2, foldName(name));
    if (find.step()) {
      id = find.integer(0);
    } else {
      if (!create) return std::nullopt;
      Write w;
      w.kind = Write::Key;
      w.parent = id;
      w.name = name;
      id = logged(std::move(w));
    }
    // A write that SQLite dropped with its transaction has forgotten the steps.
    if (remember && inTransaction_) {
      if (keySteps_.size() >= kMaxSteps) forgetKeys();
      keySteps_.emplace(std::pair<sqlite3_int64, std::string>(parent, name), id);
    }
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
  forgetKeys();  // the subtree's ids are gone (a failed delete only costs lookups)
  logged(std::move(w));
}

Statement& HiveDatabase::bulkStatement(std::size_t rows) {
  std::size_t slot = 0;
  while ((std::size_t{1} << slot) < rows) ++slot;
  std::unique_ptr<Statement>& st = bulk_.at(slot);
  if (!st) {
    // ?1 is the key; each row then binds its name, fold, type and data.
    std::string sql = "INSERT INTO value(key, name, fold, type, data) VALUES";
    for (std::size_t r = 0; r < rows; ++r) {
      const std::size_t p = 2 + 4 * r;
      sql += (r ? ",(?1,?" : "(?1,?") + std::to_string(p) + ",?" + std::to_string(p + 1) + ",?" +
             std::to_string(p + 2) + ",?" + std::to_string(p + 3) + ")";
    }
    // Rows of one statement are inserted in turn: a later row of the same
    // name updates the earlier one, as a second putValue would.
    sql += " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data";
    st = std::make_unique<Statement>(*this, sql.c_str());
  }
  return *st;
}

void HiveDatabase::applyValues(sqlite3_int64 key, std::span<const NamedValue> values,
                               const std::vector<std::string>& folds) {
  std::size_t done = 0;
  while (done < values.size()) {
    // The largest statement that fits what is left: 100 values are 64 + 32 + 4.
    std::size_t rows = kBulkRows;
    while (rows > values.size() - done) rows /= 2;
    Statement& st = bulkStatement(rows);
    Query use(st);  // resets the statement, and so drops the borrowed bytes, when done
    st.bind(1, key);
    for (std::size_t r = 0; r < rows; ++r) {
      const NamedValue& v = values[done + r];
      const int p = static_cast<int>(2 + 4 * r);
      st.bindView(p, v.name)
          .bindView(p + 1, folds[done + r])
          .bind(p + 2, static_cast<sqlite3_int64>(v.value.type))
          .bindBlobView(p + 3, v.value.data);
    }
    st.step();
    done += rows;
  }
}

void HiveDatabase::undoSavepoint() {
  try {
    statement("ROLLBACK TO bulk").step();
    statement("RELEASE bulk").step();
  } catch (const RegistryError&) {
    // This call's statements cannot be undone alone: the whole transaction
    // goes, as when SQLite drops it, and the log brings back what came before.
    if (!inTransaction_) return;
    inTransaction_ = false;
    forgetKeys();
    sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void HiveDatabase::putValues(sqlite3_int64 key, std::span<const NamedValue> values) {
  if (values.empty()) return;
  std::vector<std::string> folds;
  folds.reserve(values.size());
  for (const NamedValue& v : values) folds.push_back(foldName(v.name));
  beginWrite();
  // One statement is all or nothing by itself; more need a savepoint.
  const bool several = values.size() > kBulkRows || (values.size() & (values.size() - 1)) != 0;
  try {
    if (several) statement("SAVEPOINT bulk").step();
    try {
      applyValues(key, values, folds);
      if (several) statement("RELEASE bulk").step();
    } catch (const RegistryError&) {
      if (several && inTransaction_) undoSavepoint();
      throw;
    }
  } catch (const RegistryError& e) {
    failedWrite(e);
  }
  if (!hiveKeepsReplayLog()) return;
  Write w;
  w.kind = Write::Values;
  w.key = key;
  w.packed = pack(values);
  appendToLog(w);
}

}  // namespace platform
