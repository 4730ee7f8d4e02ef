// Mount points from /proc/self/mountinfo.
#include "platform/MountPoint.h"
#include "platform/posix/MountInfo.h"

#include <stdlib.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace platform {
namespace {

std::optional<std::string>& mountPointOverride() {
  static std::optional<std::string> folder;
  return folder;
}

// mountinfo writes blanks, tabs, newlines and "\" in a path as "\ooo".
std::string unescape(std::string_view field) {
  std::string out;
  const auto octal = [&](std::size_t k) { return k < field.size() && field[k] >= '0' && field[k] <= '7'; };
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// The fifth blank-separated field of a mountinfo line: the mount point.
std::optional<std::string> mountPointField(std::string_view line) {
  std::size_t start = 0;
  for (int field = 0; field < 4; ++field) {
    start = line.find(' ', start);
    if (start == std::string_view::npos) return std::nullopt;
    ++start;
  }
  const std::size_t end = line.find(' ', start);
  const std::string point = unescape(line.substr(start, end == std::string_view::npos ? end : end - start));
  if (point.empty() || point[0] != '/') return std::nullopt;
  return point;
}

bool holds(std::string_view point, std::string_view path) {
  if (point == "/") return true;
  return path.starts_with(point) && (path.size() == point.size() || path[point.size()] == '/');
}

std::string withSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string mountPointIn(std::string_view mountinfo, std::string_view path) {
  if (path.empty() || path[0] != '/') return {};
  std::string best;
  while (!mountinfo.empty()) {
    const std::size_t end = mountinfo.find('\n');
    const std::string_view line = mountinfo.substr(0, end);
    mountinfo = end == std::string_view::npos ? std::string_view() : mountinfo.substr(end + 1);
    auto point = mountPointField(line);
    // A trailing "/" is not written by the kernel, but would not change the folder.
    while (point && point->size() > 1 && point->back() == '/') point->pop_back();
    if (point && holds(*point, path) && point->size() >= best.size()) best = std::move(*point);
  }
  return withSlash(best);
}

std::string mountPointOf(const std::string& path) {
  if (const auto& folder = mountPointOverride()) return *folder;
  if (path.empty() || path[0] != '/') return {};
  // The mounts are listed with links resolved; a path that does not exist is
  // looked up as it stands.
  std::string real = path;
  if (std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free); resolved)
    real = resolved.get();
  std::ifstream in("/proc/self/mountinfo", std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return mountPointIn(text.str(), real);
}

ScopedMountPoint::ScopedMountPoint(std::string folder) : previous_(mountPointOverride()) {
  mountPointOverride() = withSlash(std::move(folder));
}

ScopedMountPoint::~ScopedMountPoint() { mountPointOverride() = previous_; }

}  // namespace platform
