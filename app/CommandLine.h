// The command line as the program received it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillbray {

// argv[0] first.
struct CommandLine {
  CommandLine(std::vector<std::string> arguments = {}, std::optional<std::string> systemLine = std::nullopt)
      : argv(std::move(arguments)), line(std::move(systemLine)) {}

  std::vector<std::string> argv;
  // The complete command line as the system handed it, where it hands one
  // (Windows); the options stay in it.
  std::optional<std::string> line;
  // The "complete command line": `line`, else argv joined by single blanks.
  std::string complete() const;
};

}  // namespace quillbray
