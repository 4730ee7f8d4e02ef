#include "platform/StandardInput.h"

#include <unistd.h>

namespace platform {

bool standardInputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

}  // namespace platform
