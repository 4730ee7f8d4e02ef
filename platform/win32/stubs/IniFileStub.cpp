// Stand-in until the Windows settings-file form lands.
#include "platform/IniFile.h"

namespace platform {
std::unique_ptr<IniFile> openIniFile(const std::string& fileName) {
  throw IniFileError("Unable to write to " + fileName + "\nnot available in this build");
}
void checkIniEntry(const std::string&, const std::string&, const std::string&) {}
void setIniWriteHooks(IniWriteHooks) {}
}  // namespace platform
