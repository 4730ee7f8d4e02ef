#include "tools/WholeFile.h"

#include <filesystem>
#include <iostream>

#include "platform/ReplaceFile.h"

namespace quillbray {

void writeWhole(const std::string& fileName, const std::string& bytes) { platform::replaceFile(fileName, bytes); }

bool mayReplace(const std::string& fileName, bool overwrite) {
  // The name is UTF-8 on every system (a narrow path is the ANSI code page on Windows).
  const std::filesystem::path path(std::u8string(fileName.begin(), fileName.end()));
  if (overwrite || !std::filesystem::exists(std::filesystem::symlink_status(path))) return true;
  std::cerr << "quillbray-reg: the file '" << fileName << "' exists; nothing was written (use /y to overwrite it)\n";
  return false;
}

}  // namespace quillbray
