// The exclusive append: an advisory flock held while the text is written.
// flock is taken without waiting, so a writer that finds the file held fails
// at once and its caller decides whether to try again.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/ExclusiveAppend.h"
#include "platform/posix/Fd.h"
#include "platform/posix/FileTrust.h"

namespace platform {
namespace {

[[noreturn]] void fail(const char* what, const std::string& path, const std::string& reason) {
  throw FileError(std::string(what) + " \"" + path + "\": " + reason);
}

}  // namespace

void appendExclusive(const std::string& path, std::string_view text) {
  // O_NONBLOCK keeps a FIFO at the path from blocking the open; the file is
  // checked to be a regular one before anything is written. In a folder that
  // others may write, a link is followed only when this user or root owns
  // it, and a log that another user owns or may write is not appended to.
  Fd file;
  try {
    file = openTrusted(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY, 0666);
  } catch (const FileError& e) {
    fail("Cannot open file", path, e.what());
  }
  if (file.get() < 0) fail("Cannot open file", path, std::strerror(errno));
  struct stat st {};
  if (::fstat(file.get(), &st) != 0) fail("Cannot open file", path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) fail("Cannot open file", path, "not a regular file");
  while (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) fail("Cannot open file", path, "the file is in use by another process");
    fail("Cannot lock file", path, std::strerror(errno));
  }
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(file.get(), text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write to file", path, std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  if (file.release() != 0) fail("Cannot close file", path, std::strerror(errno));
}

}  // namespace platform
