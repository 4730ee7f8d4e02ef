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

struct RegularFileReader::File {
  Fd fd;
};

void RegularFileReader::FileClose::operator()(File* file) const { delete file; }

RegularFileReader::FilePtr RegularFileReader::open(const std::string& path, std::size_t& size) {
  FilePtr file(new File);
  // O_NONBLOCK: opening a pipe must not wait for a writer.
  file->fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file->fd.get() < 0) fail(path, std::strerror(errno));
  struct stat st {};
  if (::fstat(file->fd.get(), &st) != 0) fail(path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) fail(path, notRegular(st.st_mode));
  size = static_cast<std::size_t>(st.st_size);
  return file;
}

std::size_t RegularFileReader::readSome(File& file, const std::string& path, char* buffer, std::size_t n) {
  for (;;) {
    const ssize_t r = ::read(file.fd.get(), buffer, n);
    if (r >= 0) return static_cast<std::size_t>(r);
    if (errno != EINTR) fail(path, std::strerror(errno));
  }
}

}  // namespace platform
