#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/Folders.h"

namespace platform {

bool folderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int createFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return 0;
  const int err = errno;
  return err == EEXIST && folderExists(path) ? 0 : err;
}

std::string systemErrorText(int code) { return std::strerror(code); }

}  // namespace platform
