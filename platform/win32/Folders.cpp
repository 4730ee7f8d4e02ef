// Folders on Windows: CreateDirectoryW, and the system's message for a code.
#include <windows.h>

#include "platform/Folders.h"
#include "platform/win32/Wide.h"

namespace platform {

bool folderExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(win32::widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int createFolder(const std::string& path) {
  if (::CreateDirectoryW(win32::widen(path).c_str(), nullptr)) return 0;
  const DWORD err = ::GetLastError();
  return err == ERROR_ALREADY_EXISTS && folderExists(path) ? 0 : static_cast<int>(err);
}

std::string systemErrorText(int code) { return win32::errorText(static_cast<DWORD>(code)); }

}  // namespace platform
