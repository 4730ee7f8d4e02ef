// The registry on Linux: each hive is one SQLite database file.
//
// Schema (docs/hive-format.md is the reference for users):
//   key(id, parent, name, fold)          one row a key; the root is id 1
//   value(key, name, fold, type, data)   one row a value, bytes as Windows stores them
// "fold" is the name's upper-case spelling, under which names are compared.
//
// An opening for writing is one BEGIN IMMEDIATE transaction; an opening for
// reading one read transaction.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "platform/posix/FileTrust.h"
#include "platform/posix/HivePaths.h"
#include "platform/posix/HivePool.h"
#include "platform/posix/SqliteHive.h"

namespace platform {
namespace {

constexpr sqlite3_int64 kRootKey = 1;

// Whether there is a hive file. Only a missing file is "no hive": one this
// user may not reach (a folder it cannot enter) is a hive that cannot be read.
bool hiveExists(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  throw RegistryError("hive '" + path + "' cannot be read: " + std::strerror(errno));
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

// One opening's use of a connection: its transaction, which ends when the
// opening is closed or its last key goes. The connection then goes back to
// the pool. In a batch the batch holds the session too, so closing the
// opening's keys does not end it.
class HiveSession {
 public:
  explicit HiveSession(std::unique_ptr<HiveDatabase> db) : db_(std::move(db)) {}
  ~HiveSession() {
    // Values written before an error stay written: an opening that is not
    // closed still commits. A failure here has nobody to report to.
    try {
      end(true);
    } catch (const RegistryError&) {
    }
  }
  HiveSession(const HiveSession&) = delete;
  HiveSession& operator=(const HiveSession&) = delete;

  HiveDatabase& db() {
    if (!db_) throw RegistryError("key is closed");
    return *db_;
  }

  // Begins writing. A batch session that would have to wait for another
  // process first lets go of every lock the batch holds (beforeWait), so that
  // two batches never wait for each other.
  HiveDatabase& beginWrite() {
    HiveDatabase& hive = db();
    if (beforeWait && !hive.tryBeginWrite()) beforeWait();
    hive.beginWrite();
    return hive;
  }

  // Commits (keep) or drops the changes. A connection whose commit failed is
  // closed rather than pooled.
  void end(bool keep) {
    if (!db_) return;
    std::unique_ptr<HiveDatabase> db = std::move(db_);
    if (keep) db->commit(); else db->rollback();
    returnHive(std::move(db));
  }

  std::function<void()> beforeWait;

 private:
  std::unique_ptr<HiveDatabase> db_;
};

class SqliteKey final : public RegistryKey {
 public:
  SqliteKey(std::shared_ptr<HiveSession> session, sqlite3_int64 id, std::size_t depth, bool writable)
      : session_(std::move(session)), id_(id), depth_(depth), writable_(writable) {}

  std::optional<RegistryValue> queryValue(std::string_view name) override {
    Query q = live().statement("SELECT type, data FROM value WHERE key = ?1 AND fold = ?2");
    q.bind(1, id_).bind(2, foldName(untilNul(name)));
    if (!q.step()) return std::nullopt;
    return RegistryValue{static_cast<std::uint32_t>(q.integer(0)), q.blob(1)};
  }

  void setValue(std::string_view name, const RegistryValue& value) override {
    name = untilNul(name);
    checkValueName(name);
    writableDb().putValue(id_, name, value);
  }

  void setValues(std::span<const NamedValue> values) override {
    bool cut = false;
    for (const NamedValue& v : values) {
      checkValueName(v.name);
      cut = cut || v.name.find('\0') != std::string::npos;
    }
    HiveDatabase& db = writableDb();
    if (!cut) return db.putValues(id_, values);
    // Names end at their first NUL, as setValue takes them.
    std::vector<NamedValue> named(values.begin(), values.end());
    for (NamedValue& v : named) v.name.resize(untilNul(v.name).size());
    db.putValues(id_, named);
  }

  bool deleteValue(std::string_view name) override {
    if (!writable_) return false;  // a read-only opening deletes nothing
    return writableDb().removeValue(id_, untilNul(name));
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

  // Through the index of folded names, so that a walk stays linear in the
  // number of keys; a damaged row whose folded name is not its name's is
  // still found by its name, by a scan of the siblings.
  std::unique_ptr<RegistryKey> openChild(std::string_view name) override {
    std::optional<sqlite3_int64> child;
    {
      Query q = live().statement("SELECT id FROM key WHERE parent = ?1 AND fold = ?2 AND name = ?3");
      q.bind(1, id_).bind(2, foldName(name)).bind(3, name);
      if (q.step()) child = q.integer(0);
    }
    if (!child) {
      Query q = live().statement("SELECT id FROM key WHERE parent = ?1 AND name = ?2");
      q.bind(1, id_).bind(2, name);
      if (!q.step()) return nullptr;
      child = q.integer(0);
    }
    return std::make_unique<SqliteKey>(session_, *child, depth_ + 1, writable_);
  }

  std::int64_t identity() const override { return id_; }

  std::unique_ptr<RegistryKey> openSubKey(std::string_view path, bool create) override {
    return open(id_, depth_, path, create);
  }

  std::unique_ptr<RegistryKey> openFromRoot(std::string_view path, bool create) override {
    return open(kRootKey, 0, path, create);
  }

  bool deleteSubKeyTree(std::string_view path) override {
    if (!writable_) return false;
    HiveDatabase& db = live();
    const auto id = db.findKey(id_, depth_, path, false);
    if (!id || *id == id_) return false;
    writableDb().removeTree(*id);
    return true;
  }

  void close() override { end(true); }
  void flush() override { live().commit(); }
  void discard() override { end(false); }

 private:
  std::unique_ptr<RegistryKey> open(sqlite3_int64 from, std::size_t depth, std::string_view path, bool create) {
    HiveDatabase& db = create ? writableDb() : live();
    const auto id = db.findKey(from, depth, path, create);
    if (!id) return nullptr;
    return std::make_unique<SqliteKey>(session_, *id, depth + splitKeyPath(path, depth).size(), writable_);
  }

  // The last key of an opening ends its transaction; earlier ones let go.
  void end(bool keep) {
    if (!session_) return;
    std::shared_ptr<HiveSession> session = std::move(session_);
    if (session.use_count() == 1) session->end(keep);
  }
  HiveDatabase& live() {
    if (!session_) throw RegistryError("key is closed");
    return session_->db();
  }
  HiveDatabase& writableDb() {
    if (!writable_) throw RegistryError("key is open for reading only");
    if (!session_) throw RegistryError("key is closed");
    return session_->beginWrite();
  }

  std::shared_ptr<HiveSession> session_;
  sqlite3_int64 id_;
  std::size_t depth_;
  bool writable_;
};

class SqliteRegistry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path, KeyAccess access,
                                       bool create) override {
    // A batch's many openings check the pair of hives once (until they are
    // named otherwise).
    if (batchDepth_ == 0 || !sameHivesAsChecked()) {
      checkDistinctHives();
      if (batchDepth_ > 0) rememberCheckedHives();
    }
    const std::string file = hivePath(root);
    const bool write = access == KeyAccess::ReadWrite;
    std::shared_ptr<HiveSession> session;
    try {
      session = sessionFor(root, file, write, create);
    } catch (const RegistryBusyError&) {
      if (batchDepth_ > 0) busy_.insert(file);
      throw;
    }
    if (!session) return nullptr;
    const auto id = session->db().findKey(kRootKey, 0, path, create && write);
    if (!id) {
      if (session.use_count() == 1) session->end(false);
      return nullptr;
    }
    return std::make_unique<SqliteKey>(std::move(session), *id, splitKeyPath(path).size(), write);
  }

  std::string location(RegistryRoot root) override { return hivePath(root); }

  // The hive file and its folder (for the journal) must be writable, or,
  // without a file, the nearest folder that exists, where it would be made.
  bool mayWrite(RegistryRoot root) override {
    const std::string file = hivePath(root);
    struct stat st{};
    if (::stat(file.c_str(), &st) == 0)
      return S_ISREG(st.st_mode) && !distrust(st) && ::access(file.c_str(), W_OK) == 0 &&
             ::access(folderOfPath(file).c_str(), W_OK | X_OK) == 0;
    std::string folder = folderOfPath(file);
    while (::stat(folder.c_str(), &st) != 0 && folder != "/") folder = folderOfPath(folder);
    return S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK | X_OK) == 0;
  }

  void beginBatch() override { ++batchDepth_; }
  void setAllOrNothing(bool on) override { setHiveReplayLog(!on); }

  void commitBatch() override {
    std::string failures;
    for (auto& [file, session] : batch_) {
      try {
        session->db().commit();
      } catch (const RegistryError& e) {
        failures += failures.empty() ? e.what() : std::string("\r\n") + e.what();
      }
    }
    if (!failures.empty()) throw RegistryError(failures);
  }

  void endBatch() override {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    auto sessions = std::move(batch_);
    batch_.clear();
    busy_.clear();
    checked_.reset();
    std::string failures;
    for (auto& [file, session] : sessions) {
      session->beforeWait = nullptr;
      try {
        // A key still open keeps its connection and commits again when closed.
        if (session.use_count() == 1) session->end(true); else session->db().commit();
      } catch (const RegistryError& e) {
        failures += failures.empty() ? e.what() : std::string("\r\n") + e.what();
      }
    }
    if (!failures.empty()) throw RegistryError(failures);
  }

 private:
  // The session an opening of the file uses: the batch's when it has one
  // (reads then see what the batch wrote); else a new one, which a batch
  // keeps when it writes. Null when there is no hive to open.
  std::shared_ptr<HiveSession> sessionFor(RegistryRoot root, const std::string& file, bool write, bool create) {
    if (batchDepth_ > 0) {
      if (busy_.count(file))
        throw RegistryBusyError("hive '" + file +
                                "' is busy: another program kept it locked, and it is not waited for again");
      if (const auto it = batch_.find(file); it != batch_.end()) {
        if (write) it->second->beginWrite();
        return it->second;
      }
    }
    // A missing hive holds no keys; only an opening that creates makes one.
    if (!(write && create) && !hiveExists(file)) return nullptr;
    const mode_t mode = root == RegistryRoot::CurrentUser ? 0600 : 0644;  // the user's own, or readable by all
    std::unique_ptr<HiveDatabase> db = takeHive(file, write ? KeyAccess::ReadWrite : KeyAccess::Read, mode);
    if (!db->ready()) return nullptr;  // created by another process, schema not yet written
    auto session = std::make_shared<HiveSession>(std::move(db));
    if (write && batchDepth_ > 0) {
      session->beforeWait = [this] { commitBatch(); };
      session->beginWrite();
      batch_[file] = session;
    } else if (write) {
      session->db().beginWrite();
    } else {
      // A reading opening is one read transaction too: its reads take the
      // hive's lock once instead of once each.
      session->db().beginRead();
    }
    return session;
  }

  // The hive paths as the environment names them, without the stats of
  // checkDistinctHives: nothing, for no user hive.
  static std::optional<std::pair<std::string, std::string>> namedHives() {
    try {
      return std::make_pair(hivePath(RegistryRoot::CurrentUser), hivePath(RegistryRoot::LocalMachine));
    } catch (const RegistryError&) {
      return std::nullopt;
    }
  }
  bool sameHivesAsChecked() const { return checked_ && namedHives() == checked_; }
  void rememberCheckedHives() {
    if (auto named = namedHives()) checked_ = std::move(*named);
  }

  int batchDepth_ = 0;
  std::optional<std::pair<std::string, std::string>> checked_;  // in a batch: the pair found distinct
  std::map<std::string, std::shared_ptr<HiveSession>> batch_;
  std::set<std::string> busy_;
};

}  // namespace

void setRegistryView(RegistryView) {}  // a hive has one view

Registry& platformRegistry() {
  static SqliteRegistry registry;
  return registry;
}

}  // namespace platform
