// Reading a regular file within a size limit, on every system; opening it
// and reading from it are each system's (posix/Files.cpp, win32/Files.cpp).
#include "platform/Files.h"

#include <algorithm>

namespace platform {

RegularFileReader::RegularFileReader(const std::string& path, std::size_t maxBytes)
    : path_(path), maxBytes_(maxBytes), file_(open(path, size_)) {
  if (size_ > maxBytes_) tooLarge();
}

RegularFileReader::~RegularFileReader() = default;

void RegularFileReader::tooLarge() const {
  throw FileError("cannot read '" + path_ + "': the file is larger than " + std::to_string(maxBytes_ / (1024 * 1024)) +
                  " MiB");
}

std::size_t RegularFileReader::read(char* buffer, std::size_t n) {
  // The file may change while it is read: never read past the limit.
  n = std::min(n, maxBytes_ + 1 - std::min(got_, maxBytes_ + 1));
  const std::size_t got = n == 0 ? 0 : readSome(*file_, path_, buffer, n);
  got_ += got;
  if (got_ > maxBytes_) tooLarge();
  return got;
}

std::string readRegularFile(const std::string& path, std::size_t maxBytes) {
  RegularFileReader file(path, maxBytes);
  std::string data(file.size(), '\0');
  std::size_t got = 0;
  while (got < data.size()) {
    const std::size_t n = file.read(data.data() + got, data.size() - got);
    if (n == 0) break;
    got += n;
  }
  data.resize(got);
  // At the size the file had, the end is looked for in a buffer of its own,
  // so that a file that did not grow is held once, not in a string grown to
  // twice its size.
  if (got == file.size()) {
    char more[4096];
    while (const std::size_t n = file.read(more, sizeof more)) data.append(more, n);
  }
  return data;
}

}  // namespace platform
