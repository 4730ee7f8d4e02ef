// Special folders by CSIDL number.
#include "common/Globals.h"
#include "platform/ShellFolders.h"

namespace quillbray {

std::string GetSpecialFolderDir(int csidl) {
  std::string dir = platform::shellFolder(csidl);
  // Folder values end with a separator; an unknown folder stays empty.
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace quillbray
