// Folder creation.
#include <filesystem>
#include <system_error>

#include "common/Globals.h"

namespace quillbray {

// Placeholder until the event log lands: creates the folder, logs nothing.
bool ForceDirectoriesEx(const std::string& dir) {
  if (dir.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::is_directory(dir, ec);
}

}  // namespace quillbray
