#include "platform/SystemFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {

std::string tempPath() {
  const char* dir = std::getenv("TMPDIR");
  return dir ? dir : "";
}

std::string accountHomeFolder() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  while (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == ERANGE && buf.size() < (1u << 20))
    buf.resize(buf.size() * 2);
  if (!found || !found->pw_dir || found->pw_dir[0] != '/') return {};
  std::string home = found->pw_dir;
  if (home.back() != '/') home += '/';
  return home;
}

}  // namespace platform
