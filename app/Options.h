// The program's options for users and scripts: --help, --version, --strict,
// --verbose.
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
  bool version = false;  // "--version": print the program's version, import nothing
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

class TVersionInfo;
// The text --version prints, from the program's version resource:
//   quillbray-import (Quillbray) 4.1.0
//   File version 4.1.0.0
//   Copyright (C) 2026 Corvellan
// or, when the program file has none, "quillbray-import: no version
// resource in FILE" and a line end.
std::string VersionText(const TVersionInfo& versionInfo);

}  // namespace quillbray
