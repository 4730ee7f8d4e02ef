#include "platform/posix/HivePool.h"

#include <unistd.h>

#include <vector>

namespace platform {
namespace {

constexpr std::size_t kMaxIdle = 4;

struct Pool {
  pid_t owner = ::getpid();
  std::vector<std::unique_ptr<HiveDatabase>> idle;
};

Pool& pool() {
  static Pool p;
  // A forked child must not use (or close) its parent's connections: SQLite's
  // file locks belong to the parent process.
  if (p.owner != ::getpid()) {
    for (auto& db : p.idle) static_cast<void>(db.release());
    p.idle.clear();
    p.owner = ::getpid();
  }
  return p;
}

}  // namespace

std::unique_ptr<HiveDatabase> takeHive(const std::string& path, KeyAccess access, mode_t fileMode) {
  auto& idle = pool().idle;
  for (auto it = idle.begin(); it != idle.end(); ++it) {
    if ((*it)->path() != path || (*it)->access() != access) continue;
    std::unique_ptr<HiveDatabase> db = std::move(*it);
    idle.erase(it);
    if (db->isSameFile()) return db;
    break;  // the file was replaced: this connection is closed, a new one opened
  }
  return std::make_unique<HiveDatabase>(path, access, fileMode);
}

void returnHive(std::unique_ptr<HiveDatabase> db) {
  auto& idle = pool().idle;
  if (idle.size() >= kMaxIdle) idle.erase(idle.begin());
  idle.push_back(std::move(db));
}

}  // namespace platform
