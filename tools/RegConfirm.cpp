#include "tools/RegConfirm.h"

#include <unistd.h>

#include <iostream>

#include "platform/Text.h"

namespace quillbray {

bool confirm(const std::string& question, const std::string& refusal) {
  if (!::isatty(STDIN_FILENO)) {
    std::cerr << "quillbray-reg: " << refusal << '\n';
    return false;
  }
  while (true) {
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    const std::string up = platform::upperCase(answer);
    if (up == "Y" || up == "YES") return true;
    if (up == "N" || up == "NO") return false;
  }
}

}  // namespace quillbray
