// Files: existence, and reads of a regular file, whole or piece by piece.
#pragma once

#include <cstddef>
#include <memory>
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

// A regular file read piece by piece, with the checks of readRegularFile:
// the constructor refuses what is not a regular file and a file larger than
// maxBytes; read refuses a file that grows past it while it is read. Throws
// FileError with readRegularFile's messages.
class RegularFileReader {
 public:
  RegularFileReader(const std::string& path, std::size_t maxBytes);
  ~RegularFileReader();
  RegularFileReader(const RegularFileReader&) = delete;
  RegularFileReader& operator=(const RegularFileReader&) = delete;

  // The size the file had when it was opened.
  std::size_t size() const { return size_; }
  // Up to n bytes into buffer; 0 at the end of the file.
  std::size_t read(char* buffer, std::size_t n);

 private:
  // Each system's: the open file, opened (with its size) and read from.
  struct File;
  struct FileClose {
    void operator()(File* file) const;
  };
  using FilePtr = std::unique_ptr<File, FileClose>;
  static FilePtr open(const std::string& path, std::size_t& size);
  static std::size_t readSome(File& file, const std::string& path, char* buffer, std::size_t n);
  [[noreturn]] void tooLarge() const;

  std::string path_;
  std::size_t maxBytes_;
  std::size_t size_ = 0;
  std::size_t got_ = 0;
  FilePtr file_;
};

}  // namespace platform
