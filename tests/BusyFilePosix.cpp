// Linux: an exclusive flock on a descriptor of the test's own. flock locks
// belong to the open file, so the writer's own open of the same file meets
// it even in this process.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <stdexcept>

#include "BusyFile.h"

namespace qbtest {

struct BusyFile::Held {
  int fd = -1;
};

BusyFile::BusyFile(const std::string& path) : held_(std::make_unique<Held>()) {
  held_->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (held_->fd < 0 || ::flock(held_->fd, LOCK_EX) != 0) {
    if (held_->fd >= 0) ::close(held_->fd);
    throw std::runtime_error("cannot hold " + path);
  }
}

BusyFile::~BusyFile() { release(); }

void BusyFile::release() {
  if (!held_ || held_->fd < 0) return;
  ::close(held_->fd);  // closing lets the lock go
  held_->fd = -1;
}

}  // namespace qbtest
