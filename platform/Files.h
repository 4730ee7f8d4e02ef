// Files: existence and whole-file reads.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace platform {

class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True when something that is not a folder exists at path (a file that
// cannot be read still exists).
bool fileExists(const std::string& path);

// The whole content of a regular file of at most maxBytes. Throws FileError
// naming the file and the reason: it cannot be opened, is not a regular file
// (a folder, a pipe or a device is refused without reading from it), or is
// larger than maxBytes.
std::string readRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace platform
