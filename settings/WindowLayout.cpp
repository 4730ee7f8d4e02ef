// The window-layout sub-key, named after the running program.
#include "settings/ConfigManager.h"

namespace quillbray {

std::string windowLayoutSubKey(const std::string& programFile) {
  std::string name = programFile.substr(programFile.find_last_of('/') + 1);
  // The last extension only: "a.b.exe" keeps "a.b". A name whose only dot
  // leads it (".q") is all extension, as on Windows.
  if (const auto dot = name.find_last_of('.'); dot != std::string::npos) name.erase(dot);
  return "Windows\\" + name + "_MainWin";
}

}  // namespace quillbray
