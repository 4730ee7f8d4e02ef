// The command line as the program received it.
#pragma once

#include <string>
#include <vector>

namespace quillbray {

// argv[0] first.
struct CommandLine {
  std::vector<std::string> argv;
  // argv joined by single blanks: the "complete command line".
  std::string complete() const;
};

}  // namespace quillbray
