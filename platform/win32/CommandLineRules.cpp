// The command line on Windows: the system's own wide command line, and a
// switch's value read from it as the product always has.
#include "platform/CommandLineRules.h"

#include <windows.h>

#include "platform/Paths.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

}  // namespace

ProgramCommandLine programCommandLine(int, char**) {
  ProgramCommandLine line;
  line.complete = win32::narrow(::GetCommandLineW());
  line.argv = splitCommandLine(*line.complete);
  return line;
}

std::optional<std::string> switchValue(std::string_view line, std::size_t, char letter) {
  // The upper-case copy only has to find "/IC" or "/IP", which are ASCII, and
  // must keep every character where it stands: only ASCII letters change.
  std::string upper(line);
  for (char& c : upper) c = upperAscii(c);
  const std::string text = std::string("/I") + upperAscii(letter);
  const std::size_t at = upper.find(text);
  if (at == std::string::npos) return std::nullopt;
  std::string_view value = line.substr(at + text.size());
  value = value.substr(0, value.find('/'));
  while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
  return std::string(value);
}

bool optionsEndAtFirstSwitch() { return true; }

bool hasFolderPart(std::string_view name) { return name.find_first_of("\\:") != std::string_view::npos; }

std::string switchFolder(const std::string& productPath) {
  std::string folder = extractFilePath(expandFileName(productPath));
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace platform
