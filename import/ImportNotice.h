// What a careful reader of a configuration file is told under --strict and
// --dry-run: each value or group that the format's rules pass over, turn into
// a default, rename or send to another scope, all of which the import does
// without a word.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillbray {

struct ImportNotice {
  std::uint32_t line = 0;
  std::string scope;  // the scope element's name, when the notice is about one
  std::string group;  // the group's decoded name ("" for a loose value or none)
  std::string name;   // the value's decoded name, when the notice is about one
  const char* nameKind = "value";  // what name names: "value", "loose value", "element"
  std::string what;   // what happened: "not stored", "stored as 0" ...
  std::string why;
};

// One line, without its end, safe for a terminal (control characters are
// shown as \xNN):
//   prefs.xml:14: group "Logs", value "Log Unusual Events": stored as false: "true" is not a number
//   prefs.xml:9: scope "PerMachnie": its values go to PerUserRoam: no scope has this name
std::string NoticeText(std::string_view fileName, const ImportNotice& notice);

// The same without the file and line: "group "Logs", value "X": what: why"
// (without ": why" when there is none).
std::string NoticeMessage(const ImportNotice& notice);

}  // namespace quillbray
