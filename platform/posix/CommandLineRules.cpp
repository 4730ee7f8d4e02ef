// The command line on Linux: main's arguments, and switches that count only
// after a blank, so that "/" can go on separating folders.
#include "platform/CommandLineRules.h"

#include "platform/Paths.h"

namespace platform {
namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Whether a switch text ("/IC" or "/IP", any letter case; only `which` when
// given) starts at pos, right after a blank. A "/" anywhere else belongs to a
// path.
bool switchAt(std::string_view line, std::size_t pos, char which = 0) {
  if (pos == 0 || pos + 2 >= line.size() || !isBlank(line[pos - 1]) || line[pos] != '/' ||
      upperAscii(line[pos + 1]) != 'I')
    return false;
  const char letter = upperAscii(line[pos + 2]);
  return which ? letter == which : letter == 'C' || letter == 'P';
}

}  // namespace

ProgramCommandLine programCommandLine(int argc, char** argv) {
  ProgramCommandLine line;
  for (int i = 0; i < argc; ++i) line.argv.emplace_back(argv[i]);
  return line;
}

std::optional<std::string> switchValue(std::string_view line, std::size_t programLength, char letter) {
  // The program's own path comes first and may hold anything, even " /icons".
  std::size_t start = programLength;
  while (start < line.size() && !switchAt(line, start, letter)) ++start;
  if (start >= line.size()) return std::nullopt;
  start += 3;
  std::size_t end = start;
  while (end < line.size() && !switchAt(line, end)) ++end;
  while (start < end && isBlank(line[start])) ++start;
  while (end > start && isBlank(line[end - 1])) --end;
  return std::string(line.substr(start, end - start));
}

bool optionsEndAtFirstSwitch() { return false; }

bool hasFolderPart(std::string_view name) { return name.find('/') != std::string_view::npos; }

std::string switchFolder(const std::string& productPath) {
  const std::string full = expandFileName(productPath);
  const std::string last = productPath.substr(productPath.rfind('/') + 1);  // all of it when there is no "/"
  // "." and ".." name folders themselves, though their expanded form has no
  // trailing "/" that would say so.
  std::string folder = last == "." || last == ".." ? full : extractFilePath(full);
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace platform
