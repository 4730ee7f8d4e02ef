#include <errno.h>
#include <limits.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/ProgramFile.h"

namespace platform {

std::string programFilePath() {
  std::vector<char> buf(PATH_MAX);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<std::size_t>(n));
    buf.resize(buf.size() * 2);
  }
}

std::string programFileName() {
  const std::string path = programFilePath();
  return path.substr(path.rfind('/') + 1);
}

std::string captionProgramName(const std::string&) { return programFileName(); }

std::string currentDirectory() {
  std::vector<char> buf(PATH_MAX);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
  std::string dir = buf.data();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace platform
