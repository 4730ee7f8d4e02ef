#include "platform/Paths.h"

#include <vector>

#include "platform/ProgramFile.h"

namespace platform {

bool fileNamesIgnoreCase() { return false; }

std::string expandFileName(const std::string& name) {
  const std::string full = !name.empty() && name[0] == '/' ? name : currentDirectory() + name;
  if (full.empty() || full[0] != '/') return name;  // no current directory to expand against
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= full.size()) {
    std::size_t end = full.find('/', start);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const auto& p : parts) out += "/" + p;
  const bool folder = full.back() == '/' || full.ends_with("/.") || full.ends_with("/..");
  if (out.empty() || folder) out += "/";
  return out;
}

std::string extractFilePath(const std::string& name) {
  const auto slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

}  // namespace platform
