// The program's options for users and scripts: --help, --strict, --verbose.
#pragma once

#include <string>

#include "app/Main.h"

namespace quillbray {

// Exit statuses under --strict (without it the program always answers 0).
inline constexpr int kExitImported = 0;     // every value was stored
inline constexpr int kExitNotImported = 1;  // the file was not imported at all
inline constexpr int kExitSomeFailed = 2;   // imported, but a value or group failed

struct ProgramOptions {
  bool help = false;     // "--help", "-h" or "/?": print the usage, import nothing
  bool strict = false;   // "--strict": say what would pass silently; exit status above
  bool verbose = false;  // "--verbose": one summary line at the end
};

// Takes the options out of the command line. An option counts only as a
// whole argument, exactly as written; the program's own path is never one.
//   prog /IC a.xml --strict    =>  strict; prog /IC a.xml
//   prog /IC --strict.xml      =>  nothing; unchanged
ProgramOptions TakeOptions(CommandLine& commandLine);

// The text --help prints.
std::string UsageText();

}  // namespace quillbray
