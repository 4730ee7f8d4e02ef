// The console form of message boxes (see ConsoleBoxes.h).
#include "platform/ConsoleBoxes.h"

#include <iostream>

#include "platform/StandardStreams.h"

namespace platform {
namespace {

const char* iconWord(std::uint32_t style) {
  switch (style & 0xF0) {
    case MB_ICONERROR: return "Error";
    case MB_ICONWARNING: return "Warning";
    case MB_ICONQUESTION: return "Question";
    case MB_ICONINFORMATION: return "Information";
    default: return nullptr;
  }
}

}  // namespace

bool isYesNo(std::uint32_t style) { return (style & 0xF) == MB_YESNO; }

std::string plainLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string consoleForm(const MessageBoxRequest& box) {
  std::string out = box.caption;
  if (const char* word = iconWord(box.style)) out = std::string(word) + ": " + out;
  return out + '\n' + plainLines(box.text) + '\n';
}

BoxAnswer ConsoleBoxes::show(const MessageBoxRequest& box) {
  const bool question = isYesNo(box.style);
  try {
    const std::string out = consoleForm(box);
    if (!question) {
      writeToStderr(out);
      return BoxAnswer::Ok;
    }
    if (!standardInputIsTerminal()) {
      writeToStderr(out + "(no terminal to ask: answered No)\n");
      return BoxAnswer::No;
    }
    // Nobody can answer a question they could not read.
    if (!writeToStderr(out + "[y/N] ")) return BoxAnswer::No;
    std::string line;
    std::getline(std::cin, line);
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y') ? BoxAnswer::Yes : BoxAnswer::No;
  } catch (...) {
    return question ? BoxAnswer::No : BoxAnswer::Ok;
  }
}

}  // namespace platform
