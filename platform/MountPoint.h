// The drive root of a file: on Windows its drive letter with colon or its
// network server and share; on Linux, which has no drives, the mount point of
// the file system that holds it.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The drive root that holds path, ending with the separator; empty when path
// names none.
//   Windows  "E:\Quillbray\prog.exe" => "E:\"   "\\srv\share\q\prog.exe" => "\\srv\share\"
//            "prog.exe" => ""
//   Linux    "/media/usb/quillbray/prog" => "/media/usb/"; empty when path is
//            not absolute or the mounts cannot be read. Links in path are
//            resolved first.
std::string mountPointOf(const std::string& path);

// For tests: while one lives, mountPointOf answers this folder (with the
// separator appended if missing) for every path, as if the program had been started
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
