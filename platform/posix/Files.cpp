#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string readRegularFile(const std::string& path, std::size_t maxBytes) {
  // O_NONBLOCK: opening a pipe must not wait for a writer.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) fail(path, std::strerror(errno));
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) fail(path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) fail(path, notRegular(st.st_mode));
  if (static_cast<std::size_t>(st.st_size) > maxBytes)
    fail(path, "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB");

  std::string data;
  data.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  // The file may change while it is read: never read past the limit. At the
  // size fstat gave, the end is looked for in a buffer of its own, so that a
  // file that did not grow is held once, not in a string grown to twice it.
  char more[4096];
  for (;;) {
    const bool atSize = got == data.size();
    if (atSize && data.size() >= maxBytes + 1) break;
    const ssize_t n = atSize ? ::read(fd.get(), more, sizeof more) : ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(path, std::strerror(errno));
    }
    if (n == 0) break;
    if (atSize) data.append(more, static_cast<std::size_t>(n));
    got += static_cast<std::size_t>(n);
  }
  if (got > maxBytes) fail(path, "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB");
  data.resize(got);
  return data;
}

}  // namespace platform
