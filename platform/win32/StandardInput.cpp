#include "platform/StandardInput.h"

#include <windows.h>

namespace platform {

// A character device may be the NUL device as well as a console: only a
// console has a console mode.
bool standardInputIsTerminal() {
  const HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  return in != INVALID_HANDLE_VALUE && in != nullptr && ::GetFileType(in) == FILE_TYPE_CHAR &&
         ::GetConsoleMode(in, &mode) != 0;
}

}  // namespace platform
