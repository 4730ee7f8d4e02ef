// The whole content of a regular file, on every system.
#include "platform/Files.h"

namespace platform {

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
