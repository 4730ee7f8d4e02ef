// Finding a folder's path inside a text, as file names compare.
#include "common/Globals.h"
#include "platform/PathRules.h"
#include "platform/Paths.h"

namespace quillbray {

std::vector<std::string> SplitAtFolder(const std::string& text, const std::string& folder) {
  if (platform::namesNoFolder(folder)) return {text};
  if (platform::fileNamesIgnoreCase()) return SplitIgnoreCase(text, folder);
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + folder.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace quillbray
