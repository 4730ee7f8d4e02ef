// The drive root of a path on Windows: its drive letter with colon, or the
// server and share of a network path, and a backslash.
//
// Taken from the path's text, not from GetVolumePathNameW: a drive made with
// subst, or a volume mounted in a folder, would give another root than the
// one the user's paths are written with, and those paths are what
// "[ExeDrive]\" replaces.
#include "platform/MountPoint.h"

namespace platform {
namespace {

std::optional<std::string>& mountPointOverride() {
  static std::optional<std::string> folder;
  return folder;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string withBackslash(std::string folder) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

// "C:" of "C:\x", "\\server\share" of "\\server\share\x"; empty for a
// relative path or one without a drive.
std::string drivePart(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') {
    const char c = path[0];
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return path.substr(0, 2);
    return {};
  }
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    // The server ends at the next separator, the share at the one after it.
    std::size_t end = path.find_first_of("\\/", 2);
    if (end == std::string::npos || end == 2) return {};
    end = path.find_first_of("\\/", end + 1);
    return path.substr(0, end == std::string::npos ? path.size() : end);
  }
  return {};
}

}  // namespace

std::string mountPointOf(const std::string& path) {
  if (const auto& folder = mountPointOverride()) return *folder;
  return withBackslash(drivePart(path));
}

ScopedMountPoint::ScopedMountPoint(std::string folder) : previous_(mountPointOverride()) {
  mountPointOverride() = withBackslash(std::move(folder));
}

ScopedMountPoint::~ScopedMountPoint() { mountPointOverride() = previous_; }

}  // namespace platform
