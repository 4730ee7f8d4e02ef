// Splitting a command line into its pieces (see CommandLineRules.h).
#include "platform/CommandLineRules.h"

namespace platform {

std::vector<std::string> splitCommandLine(std::string_view line) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::vector<std::string> pieces;
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) return pieces;
    std::string piece;
    bool quoted = false;
    for (; i < line.size() && (quoted || !blank(line[i])); ++i) {
      if (line[i] == '"')
        quoted = !quoted;
      else
        piece += line[i];
    }
    pieces.push_back(std::move(piece));
  }
}

}  // namespace platform
