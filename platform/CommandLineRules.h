// The program's command line as the system hands it, and the rules by which
// a switch's value is read from it: they differ between the systems because
// "/" separates folders on Linux and starts switches on Windows.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ProgramCommandLine {
  // The program's path first, then the arguments, as the runtime splits them.
  std::vector<std::string> argv;
  // The complete command line as the system hands it (UTF-8); nullopt where
  // the system hands the arguments only, and they joined by single blanks
  // stand for it.
  std::optional<std::string> complete;
};

// The command line of this process. Linux takes main's argc and argv; on
// Windows they are ANSI and lose what that code page cannot hold, so the
// wide command line is taken from the system instead.
ProgramCommandLine programCommandLine(int argc, char** argv);

// The value of the switch "/I" + letter ('C' or 'P') on the complete command
// line whose first programLength characters are the program's own path, or
// nullopt when the line holds no occurrence of the switch that counts. The
// value's blanks and control characters at either end are trimmed; its
// letter case stays.
//   Windows: the first occurrence anywhere, in any letter case; the value
//            runs to the first "/" after it or to the end.
//   Linux:   the first occurrence that follows a blank after the program's
//            path; the value runs to the next "/" that follows a blank and
//            starts a switch text, or to the end.
std::optional<std::string> switchValue(std::string_view complete, std::size_t programLength, char letter);

// Whether the arguments after the first one that starts a switch ("/IC" or
// "/IP" anywhere in it, any letter case) belong to a switch's value, so that
// options count only before it. Windows: yes (a value runs to the line's end
// or its next "/"). Linux: no (an option is any whole argument).
bool optionsEndAtFirstSwitch();

// Whether a file name names its folder: it holds "/" (Linux), or "\" or ":"
// (Windows). A name without one is taken in the current directory.
bool hasFolderPart(std::string_view name);

// The folder that completes a bare /IC name: the folder part of the /IP path
// expanded to a full name, ending with the separator.
//   Windows: "C:\Tools" => "C:\"   "C:\Tools\" => "C:\Tools\"
//   Linux:   "/opt/q/prog" => "/opt/q/", and a path whose last part is "."
//            or ".." names that folder itself ("." in /home/me => "/home/me/").
std::string switchFolder(const std::string& productPath);

// The pieces of a command line as the runtime splits it: separated by runs
// of characters with a code of 32 or less outside double quotes, the double
// quotes removed. The first piece is the program's path.
std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace platform
