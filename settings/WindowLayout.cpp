// The window-layout sub-key, named after the running program.
#include "platform/Paths.h"
#include "settings/ConfigManager.h"

namespace quillbray {

std::string windowLayoutSubKey(const std::string& programFile) {
  std::string name = programFile.substr(platform::extractFilePath(programFile).size());
  // The last extension only: "a.b.exe" keeps "a.b". A name whose only dot
  // leads it (".q") is all extension, as on Windows.
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
  return "Windows\\" + name + "_MainWin";
}

}  // namespace quillbray
