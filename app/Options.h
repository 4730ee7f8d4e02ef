// The program's options for users and scripts: --help, --version, --strict,
// --verbose, --dry-run, --lint, --undo-file, --location.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "prefs/PrefLocation.h"

namespace quillbray {

// Exit statuses under --strict, --dry-run, --lint and --undo-file (without them the program
// answers 0, except for a --location that names no location).
inline constexpr int kExitImported = 0;     // every value was stored
inline constexpr int kExitNotImported = 1;  // the file was not imported at all
inline constexpr int kExitSomeFailed = 2;   // imported, but a value or group failed or was not stored as written

struct ProgramOptions {
  bool help = false;     // "--help", "-h" or "/?": print the usage, import nothing
  bool version = false;  // "--version": print the program's version, import nothing
  bool strict = false;   // "--strict": say what would pass silently; exit status above
  bool verbose = false;  // "--verbose": one summary line at the end
  bool dryRun = false;   // "--dry-run": check and show what the import would do, write nothing
  bool lint = false;     // "--lint": check the file against the product's catalogue, write nothing
  // "--undo-file FILE" or "--undo-file=FILE": a .reg file that puts back what
  // the import changes, written before the first change ("" when no name
  // follows).
  std::optional<std::string> undoFile;
  // "--location NAME" or "--location=NAME": where preferences are stored
  // (PrefLocationFromOptionName); none given: the registry.
  std::optional<TPrefLocation> location;
  std::optional<std::string> badLocation;  // a --location that names none (empty: no name given)
  // Arguments that start with "--" and are no option: named on standard
  // error and ignored.
  std::vector<std::string> unknown;
};

// Takes the options out of the command line. An option counts only as a
// whole argument, exactly as written; the program's own path is never one.
// Where the system hands the complete line (Windows), the options are first
// taken out of it: each whole word outside double quotes that is an option,
// anywhere, inside or after an unquoted switch value too (a value there runs
// to the next "/"), and the arguments are split again from what is left:
//   prog /IC new.xml --dry-run       =>  dry run; prog /IC new.xml
//   prog /IC "my --strict.xml"       =>  nothing; unchanged
// Any other argument that starts with "--" and holds no "." or "/" (which
// would make it part of a file name) is taken out as unknown, unless it
// follows a bare "/IC" or "/IP", whose value it then is.
//   prog /IC a.xml --strict    =>  strict; prog /IC a.xml
//   prog /IC --strict.xml      =>  nothing; unchanged
//   prog /IC a.xml --stric     =>  unknown "--stric"; prog /IC a.xml
//   prog /IC my --notes.xml    =>  nothing; unchanged
//   prog /IC --notes           =>  nothing; unchanged
ProgramOptions TakeOptions(CommandLine& commandLine);

// The text --help prints.
std::string UsageText();

}  // namespace quillbray
