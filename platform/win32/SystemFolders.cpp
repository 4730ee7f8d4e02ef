// The temporary-files folder: GetTempPathW's answer.
#include <windows.h>

#include <string>

#include "platform/SystemFolders.h"
#include "platform/win32/Wide.h"

namespace platform {

std::string systemTempPath() {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD n = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return win32::narrow(buffer);
    }
    buffer.resize(n + 1);  // n is the length the answer needs
  }
}

}  // namespace platform
