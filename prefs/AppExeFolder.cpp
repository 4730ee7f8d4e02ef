#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "prefs/ConfigBase.h"

namespace quillbray {

std::string ExpandAppExeFolder(const std::string& Text) {
  static constexpr std::string_view kToken = "[AppExeFolder]";
  const std::string folder = platform::extractFilePath(platform::programFilePath());
  std::string text = Text;
  for (std::size_t pos = text.find(kToken); pos != std::string::npos; pos = text.find(kToken, pos + folder.size()))
    text.replace(pos, kToken.size(), folder);
  return platform::expandFileName(text);
}

}  // namespace quillbray
