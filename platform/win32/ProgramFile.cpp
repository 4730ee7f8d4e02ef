// The program's own file (GetModuleFileNameW) and the current directory.
#include <windows.h>

#include <string>

#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "platform/win32/Wide.h"

namespace platform {

std::string programFilePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    // A name that fills the buffer was cut: ask again with more room.
    if (n < buffer.size()) {
      buffer.resize(n);
      return win32::narrow(buffer);
    }
    if (buffer.size() >= 32768) return {};  // longer than any Windows path
    buffer.resize(buffer.size() * 2);
  }
}

std::string programFileName() {
  const std::string path = programFilePath();
  return path.substr(extractFilePath(path).size());
}

std::string captionProgramName(const std::string& productExeName) { return productExeName; }

std::string currentDirectory() {
  std::wstring buffer;
  for (;;) {
    const DWORD need = ::GetCurrentDirectoryW(0, nullptr);
    if (need == 0) return {};
    buffer.assign(need, L'\0');
    const DWORD n = ::GetCurrentDirectoryW(need, buffer.data());
    if (n == 0) return {};
    if (n < need) {  // else the directory changed to a longer one meanwhile
      buffer.resize(n);
      break;
    }
  }
  std::string dir = win32::narrow(buffer);
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir;
}

}  // namespace platform
