// What the process's standard input is.
#pragma once

namespace platform {

// True when standard input is an interactive terminal (a console on
// Windows), which echoes what is typed, line end included; false for a
// file, a pipe or no input at all.
bool standardInputIsTerminal();

}  // namespace platform
