// Linux paths: "/" separates folders; the Windows fall-backs have Linux
// stand-ins.
#include "platform/PathRules.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {
namespace {

// The home folder of the process's account in the password database, ending
// with "/"; empty when the account has no entry or its home is not absolute.
// HOME is not consulted: the fall-back is for when HOME names nothing.
std::string accountHomeFolder() {
  const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
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

std::string slashes(std::string text) {
  for (char& c : text)
    if (c == '\\') c = '/';
  return text;
}

}  // namespace

char pathSeparator() { return '/'; }

bool isPathSeparator(char c) { return c == '/'; }

std::string nativePath(std::string_view windowsPath) { return slashes(std::string(windowsPath)); }

std::string withTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string documentsFallback() {
  // As a shell's "~" finds the home folder without HOME.
  const std::string home = accountHomeFolder();
  return (home.empty() ? "/" : home) + "Documents/";
}

std::string tempFallback() { return "/tmp/"; }

std::string commonAppDataFallback() { return "/etc/xdg/"; }

// A value with a token may come from Windows, where the rest of the path is
// separated by "\"; here that separator is "/".
std::string textAroundTokens(std::string text) { return slashes(std::move(text)); }

bool namesNoFolder(std::string_view folder) { return folder.empty() || folder == "/"; }

bool countsAsPresent(std::string_view folder) { return folder.empty(); }

}  // namespace platform
