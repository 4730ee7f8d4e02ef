#include "platform/SystemFolders.h"

#include <cstdlib>

namespace platform {

std::string systemTempPath() {
  const char* dir = std::getenv("TMPDIR");
  return dir ? dir : "";
}

}  // namespace platform
