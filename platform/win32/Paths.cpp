// File names on Windows: GetFullPathNameW, names that ignore letter case, and
// "\", "/" and ":" as the places where a folder part ends.
#include <windows.h>

#include <string>

#include "platform/Paths.h"
#include "platform/win32/Wide.h"

namespace platform {

bool fileNamesIgnoreCase() { return true; }

std::string expandFileName(const std::string& name) {
  const std::wstring wide = win32::widen(name);
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return name;  // nothing to expand against: the name as it stands
    if (n < buffer.size()) {
      buffer.resize(n);
      // GetFullPathNameW keeps a trailing "\" (and turns a trailing "/" into one).
      return win32::narrow(buffer);
    }
    buffer.resize(n);  // n counts the terminating zero when the buffer was short
  }
}

std::string extractFilePath(const std::string& name) {
  const auto end = name.find_last_of("\\/:");
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

}  // namespace platform
