// Folder creation, level by level, with the failure written to the event log.
#include "common/Globals.h"
#include "platform/Folders.h"
#include "platform/PathRules.h"
#include "platform/Paths.h"
#include "settings/ConfigManager.h"

namespace quillbray {
namespace {

// Creates the missing levels, parents first; answers 0 or the error code of
// the first level that could not be created. One trailing separator is
// removed; then a root (what the platform counts as present: "" on Linux,
// fewer than three characters on Windows) and a path that is its own parent
// folder ("C:\" once cut to "C:") count as present. The parent is the
// folder part ("/a/b" => "/a/", "C:\a" => "C:\", "b" => "").
int createLevels(std::string dir) {
  if (!dir.empty() && platform::isPathSeparator(dir.back())) dir.pop_back();
  const std::string parent = platform::extractFilePath(dir);
  if (platform::countsAsPresent(dir) || platform::folderExists(dir) || parent == dir) return 0;
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
