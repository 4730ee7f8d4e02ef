#include "platform/ReplaceFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/Files.h"
#include "platform/posix/FileTrust.h"

namespace platform {

void replaceFile(const std::string& fileName, std::string_view bytes) {
  TempFileBeside temp(fileName);
  temp.write(bytes);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(temp.fd(), 0666 & ~mask) != 0) throw FileError("'" + temp.path() + "': " + std::strerror(errno));
  temp.syncAndClose();
  temp.renameOver(fileName);
  // The rename lasts once the folder is synced.
  syncFolder(folderOfPath(fileName));
}

}  // namespace platform
