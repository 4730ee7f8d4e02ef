// The shell's special folders, asked for by their Windows CSIDL number.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace platform {

// The CSIDL numbers the product asks for, with their Windows values.
constexpr int CSIDL_DESKTOP = 0;
constexpr int CSIDL_PERSONAL = 5;  // documents
constexpr int CSIDL_APPDATA = 26;  // roaming application data
constexpr int CSIDL_LOCAL_APPDATA = 28;
constexpr int CSIDL_COMMON_APPDATA = 35;  // all users' application data
constexpr int CSIDL_PROGRAM_FILES = 38;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 43;  // common files
constexpr int CSIDL_COMMON_DOCUMENTS = 46;

// The folder that stands for a CSIDL number: a full path ending with this
// system's separator ("/home/me/Documents/", "C:\Users\me\Documents\"), or
// empty when the number is unknown or the folder cannot be determined (no
// HOME, for example). The folder need not exist; nothing is created.
// The answer of a living ScopedShellFolders, else systemShellFolder's.
std::string shellFolder(int csidl);

// The system's own answer: the XDG and FHS folders on Linux, SHGetFolderPathW
// on Windows.
std::string systemShellFolder(int csidl);

// For tests: while one lives, shellFolder answers from this table, and
// empty for a number it does not hold, as a shell that knows no such folder.
class ScopedShellFolders {
 public:
  explicit ScopedShellFolders(std::map<int, std::string> folders);
  ~ScopedShellFolders();
  ScopedShellFolders(const ScopedShellFolders&) = delete;
  ScopedShellFolders& operator=(const ScopedShellFolders&) = delete;

 private:
  std::optional<std::map<int, std::string>> previous_;
};

}  // namespace platform
