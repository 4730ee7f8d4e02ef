// The temporary-files folder the system names beside the shell's special
// folders.
#pragma once

#include <optional>
#include <string>

namespace platform {

// GetTempPathA's answer as it stands (not checked, no separator appended),
// or empty when there is none: on Linux $TMPDIR, on Windows GetTempPathW's.
// The answer of a living ScopedTempPath, else systemTempPath's.
std::string tempPath();
std::string systemTempPath();

// For tests: while one lives, tempPath answers this text ("" as a failed
// query).
class ScopedTempPath {
 public:
  explicit ScopedTempPath(std::string answer);
  ~ScopedTempPath();
  ScopedTempPath(const ScopedTempPath&) = delete;
  ScopedTempPath& operator=(const ScopedTempPath&) = delete;

 private:
  std::optional<std::string> previous_;
};

}  // namespace platform
