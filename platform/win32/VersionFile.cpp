// The version resource of a file on disk, read by the system's version API.
// The block is then queried by the portable reader, which answers as
// VerQueryValueW does and checks every offset against the block.
#include "platform/VersionResource.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {

std::uint32_t getFileVersionInfoSize(const std::string& fileName) {
  DWORD unused = 0;
  return ::GetFileVersionInfoSizeW(win32::widen(fileName).c_str(), &unused);
}

bool getFileVersionInfo(const std::string& fileName, std::uint32_t size, unsigned char* buffer) {
  return ::GetFileVersionInfoW(win32::widen(fileName).c_str(), 0, size, buffer) != 0;
}

}  // namespace platform
