// quillbray-import and quillbray-reg run as a user runs them.
#pragma once

#include <string>
#include <vector>

#include "TestSupport.h"

namespace qbtest {

struct ProgramRun {
  int exitCode = -1;
  std::string stderrText;
  std::string stdoutText;
};

// Runs the program with exactly these arguments (no shell) in a folder.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& cwd) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProcessRun run = runProcess(argv, cwd);
  return {run.status, run.err, run.out};
}

inline ProgramRun runImport(const std::vector<std::string>& args, const std::string& cwd) {
  return runProgram(QB_IMPORT_TOOL, args, cwd);
}

}  // namespace qbtest
