// Wrapping and cutting a box's text (see BoxText.h).
#include "platform/posix/BoxText.h"

#include <utility>
#include <vector>

#include "platform/Utf8.h"

namespace platform {
namespace {

// One character: its bytes in the text and the columns it takes.
struct Char {
  std::size_t size;
  std::size_t columns;
};

bool wide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// A byte that does not start valid UTF-8 counts as a character of its own,
// so that no valid character is ever split.
Char charAt(std::string_view s, std::size_t i) {
  char32_t c = 0;
  const std::size_t size = decodeUtf8(s, i, c);
  if (size == 0) return {1, 1};
  return {size, c == '\t' ? 8u : wide(c) ? 2u : 1u};
}

std::size_t columnsOf(std::string_view s) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < s.size();) {
    const Char c = charAt(s, i);
    columns += c.columns;
    i += c.size;
  }
  return columns;
}

bool blank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Greedy wrapping of one line: words are added while they fit; a word wider
// than a whole line starts on the current line and is cut where lines end.
void wrapLine(std::string_view line, std::size_t columns, std::vector<std::string>& out) {
  if (columnsOf(line) <= columns) {
    out.emplace_back(line);
    return;
  }
  std::string current;
  std::size_t used = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    std::size_t wordStart = i;
    while (wordStart < line.size() && blank(line[wordStart])) ++wordStart;
    std::size_t wordEnd = wordStart;
    while (wordEnd < line.size() && !blank(line[wordEnd])) ++wordEnd;
    const std::string_view blanks = line.substr(i, wordStart - i);
    const std::string_view word = line.substr(wordStart, wordEnd - wordStart);
    i = wordEnd;
    if (word.empty()) break;  // blanks at the end of a wrapped line
    const std::size_t blanksColumns = columnsOf(blanks);
    const std::size_t wordColumns = columnsOf(word);
    if (used + blanksColumns + wordColumns <= columns) {
      current.append(blanks).append(word);
      used += blanksColumns + wordColumns;
      continue;
    }
    if (wordColumns > columns && used + blanksColumns < columns) {
      // A word too long for any line starts where it stands.
      current.append(blanks);
      used += blanksColumns;
    } else if (!current.empty()) {
      out.push_back(std::exchange(current, {}));
      used = 0;
    }
    for (std::size_t k = 0; k < word.size();) {
      const Char c = charAt(word, k);
      if (used + c.columns > columns && used > 0) {
        out.push_back(std::exchange(current, {}));
        used = 0;
      }
      current.append(word.substr(k, c.size));
      used += c.columns;
      k += c.size;
    }
  }
  if (!current.empty()) out.push_back(std::move(current));
}

}  // namespace

FittedText fitBoxText(std::string_view text, std::size_t columns, std::size_t lines) {
  std::vector<std::string> wrapped;
  for (const std::string_view line : splitLines(text)) wrapLine(line, columns, wrapped);
  FittedText fitted;
  if (lines > 0 && wrapped.size() > lines) {
    wrapped.resize(lines - 1);
    wrapped.emplace_back(kBoxCutLine);
    fitted.cut = true;
  }
  for (std::size_t k = 0; k < wrapped.size(); ++k) {
    if (k > 0) fitted.text += '\n';
    fitted.text += wrapped[k];
  }
  return fitted;
}

FittedText fitBoxCaption(std::string_view caption, std::size_t columns) {
  FittedText fitted;
  for (const std::string_view line : splitLines(caption)) {
    if (!fitted.text.empty()) fitted.text += ' ';
    fitted.text += line;
  }
  if (columnsOf(fitted.text) <= columns) return fitted;
  const std::string_view ellipsis = "...";
  const std::size_t room = columns > ellipsis.size() ? columns - ellipsis.size() : 0;
  std::size_t used = 0;
  std::size_t end = 0;
  while (end < fitted.text.size()) {
    const Char c = charAt(fitted.text, end);
    if (used + c.columns > room) break;
    used += c.columns;
    end += c.size;
  }
  fitted.text.resize(end);
  fitted.text += ellipsis;
  fitted.cut = true;
  return fitted;
}

}  // namespace platform
