// Windows: a program started with a command line written out exactly, as the
// system hands it to the program (GetCommandLineW), not built from arguments.
#pragma once

#include <string>

#include "TestSupport.h"

namespace qbtest {

// Runs the command line in folder cwd with standard input from NUL. The
// program is the line's first piece, or `program` when that is given. Its
// output comes back as written: lines end in CR LF.
ProcessRun runCommandLine(const std::wstring& commandLine, const std::string& cwd, const std::string& program = "");

}  // namespace qbtest
