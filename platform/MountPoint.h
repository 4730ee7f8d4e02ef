// The mount point that holds a file: the stand-in for a Windows drive root.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The mount point of the file system that holds path, ending with "/"
// ("/media/usb/quillbray/prog" => "/media/usb/"); empty when path is not
// absolute or the mounts cannot be read. Links in path are resolved first.
std::string mountPointOf(const std::string& path);

// The same answer from the text of a mountinfo file (the form of
// /proc/self/mountinfo), for a path taken as it stands: the longest mount
// point that is path itself or one of its folders; of equal ones the last,
// which covers the others.
std::string mountPointIn(std::string_view mountinfo, std::string_view path);

// For tests: while one lives, mountPointOf answers this folder (with a "/"
// appended if missing) for every path, as if the program had been started
// from that drive.
class ScopedMountPoint {
 public:
  explicit ScopedMountPoint(std::string folder);
  ~ScopedMountPoint();
  ScopedMountPoint(const ScopedMountPoint&) = delete;
  ScopedMountPoint& operator=(const ScopedMountPoint&) = delete;

 private:
  std::optional<std::string> previous_;
};

}  // namespace platform
