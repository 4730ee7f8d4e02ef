// Folder creation, level by level, with the failure written to the event log.
#include "common/Globals.h"
#include "platform/Folders.h"
#include "settings/ConfigManager.h"

namespace quillbray {
namespace {

// The folder that holds path ("/a/b" => "/a/", "/a" => "/", "b" => "").
std::string parentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates the missing levels, parents first; answers 0 or the error code of
// the first level that could not be created. The root (empty once its "/" is
// removed) and a name without a folder part that is its own parent count as
// present.
int createLevels(std::string dir) {
  if (!dir.empty() && dir.back() == '/') dir.pop_back();
  if (dir.empty() || platform::folderExists(dir) || parentFolder(dir) == dir) return 0;
  const std::string parent = parentFolder(dir);
  if (!parent.empty())
    if (const int err = createLevels(parent); err != 0) return err;
  return platform::createFolder(dir);
}

// The system's text for the code without what ends it: trailing spaces,
// control characters and full stops.
std::string errorText(int code) {
  std::string text = platform::systemErrorText(code);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.')) text.pop_back();
  return text;
}

}  // namespace

bool ForceDirectoriesEx(const std::string& dir) {
  if (platform::folderExists(dir)) return true;
  if (dir.empty()) return false;
  const int err = createLevels(dir);
  if (err == 0) return true;
  if (ConfigManager && ConfigManager->LogUnusualEvents) {
    LogUnusualEvent("ForceDirectoriesEx error: Could not create the directory\r\n  " + dir + "\r\n  ErrCode: " +
                        std::to_string(err) + "\r\n  " + errorText(err) + "\r\n",
                    true);
  }
  return false;
}

}  // namespace quillbray
