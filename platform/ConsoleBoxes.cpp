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

// Whether the caption holds the word on its own ("prog Error: x" holds
// "Error"; "Errors" does not).
bool holdsWord(const std::string& caption, const std::string& word) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  for (std::size_t at = caption.find(word); at != std::string::npos; at = caption.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || !letter(caption[at - 1])) && (end == caption.size() || !letter(caption[end]))) return true;
  }
  return false;
}

std::string consoleForm(const MessageBoxRequest& box) {
  std::string out = box.caption;
  // The icon as a word before the caption, unless the caption says it already.
  if (const char* word = iconWord(box.style); word && !holdsWord(box.caption, word)) out = std::string(word) + ": " + out;
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
