#include "tools/RegConfirm.h"

#include <iostream>

#include "platform/StandardStreams.h"
#include "platform/Text.h"

namespace quillbray {

bool confirm(const std::string& question, const std::string& refusal) {
  // The answer comes from standard input whatever it is, as reg.exe takes it
  // (echo y | quillbray-reg delete ...); input that ends unanswered refuses.
  while (true) {
    std::cout << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
      std::cout << std::endl;  // the question's line ends before the refusal
      std::cerr << "quillbray-reg: " << refusal << '\n';
      return false;
    }
    // A terminal echoes the answer and its line end; from a pipe the line
    // would run on into what follows.
    if (!platform::standardInputIsTerminal()) std::cout << '\n';
    // A line from a file written on Windows ends in CR; blanks around are no answer of their own.
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    answer.erase(0, answer.find_first_not_of(' ') == std::string::npos ? answer.size() : answer.find_first_not_of(' '));
    const std::string up = platform::upperCase(answer);
    if (up == "Y" || up == "YES") return true;
    if (up == "N" || up == "NO") return false;
  }
}

}  // namespace quillbray
