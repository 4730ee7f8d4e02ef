#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/posix/Fd.h"

namespace platform {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
  throw FileError("cannot read '" + path + "': " + reason);
}

// What a file that is not a regular file is, for the message.
const char* notRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder";
  if (S_ISFIFO(mode)) return "it is a named pipe (FIFO), not a regular file";
  if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
  if (S_ISCHR(mode)) return "it is a character device, not a regular file";
  if (S_ISBLK(mode)) return "it is a block device, not a regular file";
  return "it is not a regular file";
}

}  // namespace

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

struct RegularFileReader::Impl {
  std::string path;
  std::size_t maxBytes = 0;
  std::size_t size = 0;
  std::size_t got = 0;
  Fd fd;
  [[noreturn]] void tooLarge() const {
    fail(path, "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB");
  }
};

RegularFileReader::RegularFileReader(const std::string& path, std::size_t maxBytes) : impl_(std::make_unique<Impl>()) {
  Impl& f = *impl_;
  f.path = path;
  f.maxBytes = maxBytes;
  // O_NONBLOCK: opening a pipe must not wait for a writer.
  f.fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (f.fd.get() < 0) fail(path, std::strerror(errno));
  struct stat st {};
  if (::fstat(f.fd.get(), &st) != 0) fail(path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) fail(path, notRegular(st.st_mode));
  if (static_cast<std::size_t>(st.st_size) > maxBytes) f.tooLarge();
  f.size = static_cast<std::size_t>(st.st_size);
}

RegularFileReader::~RegularFileReader() = default;

std::size_t RegularFileReader::size() const { return impl_->size; }

std::size_t RegularFileReader::read(char* buffer, std::size_t n) {
  Impl& f = *impl_;
  // The file may change while it is read: never read past the limit.
  n = std::min(n, f.maxBytes + 1 - std::min(f.got, f.maxBytes + 1));
  for (;;) {
    const ssize_t r = n == 0 ? 0 : ::read(f.fd.get(), buffer, n);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) fail(f.path, std::strerror(errno));
    f.got += static_cast<std::size_t>(r);
    if (f.got > f.maxBytes) f.tooLarge();
    return static_cast<std::size_t>(r);
  }
}

}  // namespace platform
