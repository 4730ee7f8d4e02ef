#include "platform/posix/GuardedVfs.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <utility>

#include "platform/posix/FileTrust.h"

namespace platform {
namespace {

constexpr int kJournalFiles = SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_SUPER_JOURNAL | SQLITE_OPEN_WAL;

thread_local std::string journalRefusal;

sqlite3_vfs* base() { return static_cast<sqlite3_vfs*>(sqlite3_vfs_find(nullptr)); }

int guardedOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  auto* real = static_cast<sqlite3_vfs*>(vfs->pAppData);
  if (name && (flags & kJournalFiles)) {
    struct stat st {};
    if (::lstat(name, &st) != 0) {
      // A new journal is made with O_EXCL|O_NOFOLLOW: one planted after this
      // look fails the opening instead of receiving the pages.
      if (flags & SQLITE_OPEN_CREATE) flags |= SQLITE_OPEN_EXCLUSIVE;
    } else if (S_ISLNK(st.st_mode) || !S_ISREG(st.st_mode)) {
      journalRefusal = "its journal '" + std::string(name) + "' is " +
                       (S_ISLNK(st.st_mode) ? "a symbolic link" : "not a regular file") +
                       "; it is not used (remove it if nothing is writing the hive)";
      return SQLITE_CANTOPEN;
    } else if (const auto why = distrust(st)) {
      journalRefusal = "its journal '" + std::string(name) + "' " + *why +
                       "; it is not used, since another user could have put anything in it (remove it)";
      return SQLITE_CANTOPEN;
    }
  }
  return real->xOpen(real, name, file, flags, outFlags);
}

sqlite3_vfs* makeGuarded() {
  static sqlite3_vfs vfs = *base();
  vfs.pNext = nullptr;
  vfs.zName = "quillbray-guarded";
  vfs.pAppData = base();
  vfs.xOpen = guardedOpen;
  sqlite3_vfs_register(&vfs, 0);
  return &vfs;
}

}  // namespace

const char* guardedVfsName() {
  static const sqlite3_vfs* vfs = makeGuarded();
  return vfs->zName;
}

std::string takeJournalRefusal() { return std::exchange(journalRefusal, std::string()); }

}  // namespace platform
