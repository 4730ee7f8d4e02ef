#include "tools/WholeFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "platform/Files.h"
#include "platform/posix/FileTrust.h"

namespace quillbray {

void writeWhole(const std::string& fileName, const std::string& bytes) {
  platform::TempFileBeside temp(fileName);
  temp.write(bytes);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(temp.fd(), 0666 & ~mask) != 0)
    throw platform::FileError("'" + temp.path() + "': " + std::strerror(errno));
  temp.syncAndClose();
  temp.renameOver(fileName);
  platform::syncFolder(platform::folderOfPath(fileName));
}

bool mayReplace(const std::string& fileName, bool overwrite) {
  if (overwrite || !std::filesystem::exists(std::filesystem::symlink_status(fileName))) return true;
  std::cerr << "quillbray-reg: the file '" << fileName << "' exists; nothing was written (use /y to overwrite it)\n";
  return false;
}

}  // namespace quillbray
