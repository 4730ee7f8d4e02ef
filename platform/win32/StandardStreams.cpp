// Standard error and standard input on Windows. A console gets the text as
// UTF-16 (WriteConsoleW), whatever its code page; a file or pipe gets the
// program's UTF-8 bytes with lines ending in CR LF, as the C++ streams'
// text mode writes the program's other messages beside them.
#include "platform/StandardStreams.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

bool isConsole(HANDLE handle) {
  DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) != 0;
}

// WriteConsoleW is limited per call on older systems; 8,000 units is safe.
constexpr std::size_t kConsoleChunk = 8000;

bool writeConsole(HANDLE handle, std::wstring_view text) {
  while (!text.empty()) {
    const std::size_t chunk = text.size() < kConsoleChunk ? text.size() : kConsoleChunk;
    DWORD written = 0;
    if (!::WriteConsoleW(handle, text.data(), static_cast<DWORD>(chunk), &written, nullptr) || written == 0)
      return false;
    text.remove_prefix(written);
  }
  return true;
}

// "\n" becomes "\r\n" unless the text has it so already.
std::string withCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool writeFile(HANDLE handle, std::string_view text) {
  while (!text.empty()) {
    const DWORD chunk = text.size() < 0x10000000 ? static_cast<DWORD>(text.size()) : 0x10000000;
    DWORD written = 0;
    if (!::WriteFile(handle, text.data(), chunk, &written, nullptr) || written == 0) return false;
    text.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool writeToStderr(std::string_view text) noexcept {
  const DWORD savedError = ::GetLastError();
  bool done = false;
  try {
    const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
      done = isConsole(handle) ? writeConsole(handle, win32::widen(text)) : writeFile(handle, withCrLf(text));
  } catch (...) {
    // Out of memory for the wide text: the text is lost, the process is not.
  }
  ::SetLastError(savedError);
  return done;
}

// Only a console has a console mode, so the NUL device, a character device
// too, is not taken for one.
bool standardInputIsTerminal() noexcept {
  const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && isConsole(handle);
}

}  // namespace platform
