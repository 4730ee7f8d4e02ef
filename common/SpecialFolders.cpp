// Special folders by CSIDL number.
#include "common/Globals.h"
#include "platform/PathRules.h"
#include "platform/ShellFolders.h"

namespace quillbray {

std::string GetSpecialFolderDir(int csidl) {
  const std::string dir = platform::shellFolder(csidl);
  // Folder values end with a separator; an unknown folder stays empty.
  return dir.empty() ? dir : platform::withTrailingSeparator(dir);
}

}  // namespace quillbray
