#include "app/Options.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "common/VersionInfo.h"
#include "platform/CommandLineRules.h"
#include "platform/Text.h"
#include "platform/UsageNotes.h"

namespace quillbray {
namespace {

// "/IC" or "/IP" alone, in any letter case: the next argument is its value.
bool isBareSwitch(const std::string& arg) {
  const std::string upper = platform::upperCase(arg);
  return upper == "/IC" || upper == "/IP";
}

// Whether a switch starts in the argument ("/IC" or "/IP" anywhere in it).
bool startsSwitch(const std::string& arg) {
  const std::string upper = platform::upperCase(arg);
  return upper.find("/IC") != std::string::npos || upper.find("/IP") != std::string::npos;
}

// An argument a user meant as an option: "--" and a word. One that holds a
// "." or "/" may be part of a file name ("/IC my --notes.xml").
bool looksLikeOption(const std::string& arg) {
  return arg.starts_with("--") && arg.find_first_of("./") == std::string::npos;
}

// Applies one option (argument or word); `next` gives the word after it,
// for the name of "--location". False for what is no option.
bool applyOption(ProgramOptions& options, const std::string& arg, const std::function<std::optional<std::string>()>& next) {
  const auto setLocation = [&](const std::optional<std::string>& name) {
    const auto location = name ? PrefLocationFromOptionName(*name) : std::nullopt;
    if (location) options.location = location;
    else options.badLocation = name.value_or("");
  };
  if (arg == "--help" || arg == "-h" || arg == "/?") options.help = true;
  else if (arg == "--version") options.version = true;
  else if (arg == "--strict") options.strict = true;
  else if (arg == "--verbose") options.verbose = true;
  else if (arg == "--dry-run") options.dryRun = true;
  else if (arg == "--lint") options.lint = true;
  else if (arg == "--undo-file") options.undoFile = next().value_or("");
  else if (arg.starts_with("--undo-file=")) options.undoFile = arg.substr(12);
  else if (arg == "--location") setLocation(next());
  else if (arg.starts_with("--location=")) setLocation(arg.substr(11));
  else return false;
  return true;
}

// A word of the system's command line: a run of characters other than
// blanks, where blanks inside double quotes belong to the word.
struct LineWord {
  std::size_t begin, end;
  bool quoted;  // holds a double quote: a name as written, never an option
};

std::vector<LineWord> lineWords(std::string_view line) {
  std::vector<LineWord> words;
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) break;
    LineWord w{i, i, false};
    bool inQuotes = false;
    for (; i < line.size() && (inQuotes || !blank(line[i])); ++i)
      if (line[i] == '"') inQuotes = !inQuotes, w.quoted = true;
    w.end = i;
    words.push_back(w);
  }
  return words;
}

// Takes the options out of the system's complete line, where a switch's
// value would otherwise swallow them (it runs to the next "/"): each whole
// word outside double quotes that is an option counts wherever it stands,
// inside or after an unquoted switch value too; the program's path (the
// first word) never does. The arguments are split again from what is left.
void takeOptionWords(CommandLine& commandLine, ProgramOptions& options) {
  std::string& line = *commandLine.line;
  const std::vector<LineWord> words = lineWords(line);
  std::string kept;
  std::size_t from = 0;  // the first character not yet copied to `kept`
  for (std::size_t k = 1; k < words.size(); ++k) {
    const LineWord& w = words[k];
    const std::string word = line.substr(w.begin, w.end - w.begin);
    if (w.quoted) continue;
    std::size_t end = w.end;
    const bool taken = applyOption(options, word, [&]() -> std::optional<std::string> {
      if (k + 1 >= words.size()) return std::nullopt;
      const LineWord& name = words[++k];
      end = name.end;
      const auto pieces = platform::splitCommandLine(line.substr(name.begin, name.end - name.begin));
      return pieces.empty() ? std::string() : pieces.front();
    });
    if (!taken) continue;
    // The option goes with the blanks before it.
    std::size_t start = w.begin;
    while (start > from && static_cast<unsigned char>(line[start - 1]) <= 32) --start;
    kept.append(line, from, start - from);
    from = end;
  }
  if (from == 0) return;  // no option on the line
  kept.append(line, from, std::string::npos);
  line = std::move(kept);
  commandLine.argv = platform::splitCommandLine(line);
}

}  // namespace

ProgramOptions TakeOptions(CommandLine& commandLine) {
  ProgramOptions options;
  if (commandLine.argv.empty()) return options;
  if (commandLine.line) takeOptionWords(commandLine, options);
  auto& argv = commandLine.argv;
  std::vector<std::string> kept{argv[0]};
  bool inValues = false;  // past the first switch, where its value holds the rest
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    inValues = inValues || (platform::optionsEndAtFirstSwitch() && startsSwitch(arg));
    if (inValues) kept.push_back(arg);
    else if (applyOption(options, arg, [&]() -> std::optional<std::string> {
               if (i + 1 < argv.size()) return argv[++i];
               return std::nullopt;
             })) {
    } else if (looksLikeOption(arg) && !isBareSwitch(kept.back())) options.unknown.push_back(arg);
    else kept.push_back(arg);
  }
  argv = std::move(kept);
  return options;
}

std::string UsageText() {
  return R"(Usage: quillbray-import [OPTIONS] /IC FILE [/IP PROGRAM]
       quillbray-import --help | --version

Imports every preference of a Quillbray program-configuration file (XML) into
the preference store. Values are added or overwritten; nothing is deleted.

)" + std::string(platform::switchHelp()) + R"(  --strict        one line on standard error for each thing that passes
                  silently otherwise: no /IC value, no such file, a folder,
                  and each value or group the file's rules pass over, turn
                  into a default (0, false, empty), rename or send to
                  another scope (file:line, group, value, what and why);
                  and the exit status below
  --dry-run       read and check the file and write nothing: one line on
                  standard output for each value, with where it would go,
                  its type and data, and whether it is new, changed
                  (old -> new) or the same as stored now; the lines of
                  --strict on standard error; the exit status below
  --lint          read the file and check it against the product's own
                  catalogue, writing nothing: besides every line of
                  --strict, one line on standard output for each value
                  the product will not read as written (a name it has no
                  value of, with the closest names; a type it does not
                  save it with; a group under the wrong per-user scope; a
                  text, slot or colour beyond its field; a path that names
                  a folder of this machine where a path token would carry
                  it; an unknown token), as FILE:LINE: warning: MESSAGE;
                  exit status 0 clean, 2 findings, 1 not read
  --undo-file UNDO.reg  (--undo-file=UNDO.reg too) before the first change,
                  write a .reg file that puts back what the import changes:
                  the old type and data of each value it overwrites,
                  "Name"=- for each value it creates, [-KEY] for each key
                  it creates; quillbray-reg import UNDO.reg undoes the
                  import. When it cannot be written nothing is imported
                  (exit status 1); with --dry-run it is written and nothing
                  is imported. The registry locations only.
  --location WHERE  where preferences are stored (--location=WHERE too):
                  registry  the registry (the default): per-user values
                            layered over machine-wide ones
                  flat      the registry, one root: per-user values only
                  file      Quillbray.ini in the application-data folders
                  usb       Quillbray.ini beside this program (portable)
  --verbose       one summary line on standard output at the end
  -h, --help, /?  print this help and import nothing
  --version       print the program's version (from its own version
                  resource) and import nothing
Other arguments that start with "--" and hold no "." or "/" are named on
standard error and ignored (unless one is the value of a bare /IC or /IP).

)" + std::string(platform::storageHelp()) + R"(Exit status: 0, whatever happened, unless --strict or --dry-run is given;
then
  0  every value was (or would be) stored as written
  1  the file was not imported: no /IC value, no such file, a folder,
     unreadable, not XML, another product's file, or the import stopped
     on an error
  2  the file was imported, but some value or group failed or was not
     stored as written (the lines on standard error say which)
A --location that names no location imports nothing and exits with 1.

)" + std::string(platform::moreHelp());
}

}  // namespace quillbray
