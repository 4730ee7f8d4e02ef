// Which sections, names and values one line of the format can hold so that
// they read back as written: the same rules for every system's writer.
#include "platform/IniFile.h"

namespace platform {
namespace {

bool blankByte(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }  // as the reader trims

std::string unquoted(std::string v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

// Text of printable ASCII without the characters the reader gives a meaning
// (quotes, comment and section marks, "="): what the checks above let
// through reads back as written, with no need to write and read it.
bool plainText(const std::string& s) {
  for (const char c : s)
    if (c < 0x20 || c > 0x7E || c == '"' || c == '\'' || c == ';' || c == '#' || c == '[' || c == ']' || c == '=')
      return false;
  return true;
}

bool plainEntry(const std::string& section, const std::string& name, const std::string& value) {
  return plainText(section) && plainText(name) && plainText(value);
}

}  // namespace

std::string iniValueText(const std::string& value) {
  if (value.empty() || !(blankByte(value.front()) || blankByte(value.back()))) return value;
  return '"' + value + '"';
}

// Names and values that one line of the format cannot hold, so that a
// section, a name and a value read back as written (a value that comes in a
// pair of quotes without them).
// The reader drops blanks, control characters and DEL at both ends of a line
// and of a name, splits lines at CR and LF, and takes a file's leading
// U+FEFF for a byte-order mark.
void checkIniEntry(const std::string& section, const std::string& name, const std::string& value) {
  const std::string breaks("\r\n\0", 3);
  const auto holdsBreak = [&](const std::string& s) { return s.find_first_of(breaks) != std::string::npos; };
  const auto blankEnd = [](const std::string& s) {
    return !s.empty() && (blankByte(s.front()) || blankByte(s.back()));
  };
  const auto why = [&]() -> std::string {
    if (holdsBreak(section)) return "the section name '" + section + "' holds a line break or a zero byte";
    if (section.find(']') != std::string::npos) return "the section name '" + section + "' holds \"]\"";
    if (blankEnd(section))
      return "the section name '" + section +
             "' starts or ends with a blank, a control character or DEL, which reading drops";
    if (holdsBreak(name)) return "the value name '" + name + "' holds a line break or a zero byte";
    if (name.empty()) return "the value name is empty";
    if (blankEnd(name))
      return "the value name '" + name +
             "' starts or ends with a blank, a control character or DEL, which reading drops";
    if (name.find('=') != std::string::npos) return "the value name '" + name + "' holds \"=\"";
    if (name.front() == '[' || name.front() == ';')
      return "the value name '" + name + "' starts with \"[\" or \";\", which reads as a section or a comment";
    if (name.rfind("\xEF\xBB\xBF", 0) == 0)
      return "the value name '" + name + "' starts with U+FEFF, which reads as a byte-order mark at a file's start";
    if (holdsBreak(value)) return "the value of '" + name + "' holds a line break or a zero byte";
    if (plainEntry(section, name, value)) return {};
    // What the reader makes of the lines, as the first ones of a new file:
    // the value as given, or without the pair of quotes it came in.
    IniDocument doc;
    doc.set(section, name, iniValueText(value));
    const IniDocument back = IniDocument::parse(doc.text());
    const auto read = back.value(section, name);
    if (back.names(section) != std::vector<std::string>{name} || !read || unquoted(*read) != unquoted(value))
      return "the value '" + name + "' in [" + section + "] would not read back as written";
    return {};
  }();
  if (!why.empty()) throw IniFileError(why);
}

}  // namespace platform
