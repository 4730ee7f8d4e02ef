// The version resource of a file on disk, read with pread: only the headers
// and the block itself are read, never the whole program file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/VersionResource.h"

namespace platform {
namespace {

class FileSource : public ByteSource {
 public:
  explicit FileSource(const std::string& fileName) : fd_(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<std::uint64_t>(st.st_size);
  }
  ~FileSource() override {
    if (fd_ >= 0) ::close(fd_);
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::size_t count, unsigned char* out) const override {
    if (offset > size_ || count > size_ - offset) return false;
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;  // 0 for anything that is not a regular file
};

}  // namespace

std::uint32_t getFileVersionInfoSize(const std::string& fileName) {
  return static_cast<std::uint32_t>(findVersionResource(FileSource(fileName)).size());
}

bool getFileVersionInfo(const std::string& fileName, std::uint32_t size, unsigned char* buffer) {
  const std::vector<unsigned char> block = findVersionResource(FileSource(fileName));
  if (block.empty() || block.size() > size) return false;
  std::copy(block.begin(), block.end(), buffer);
  return true;
}

}  // namespace platform
