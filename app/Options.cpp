#include "app/Options.h"

#include <algorithm>

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

}  // namespace

ProgramOptions TakeOptions(CommandLine& commandLine) {
  ProgramOptions options;
  auto& argv = commandLine.argv;
  if (argv.empty()) return options;
  const auto setLocation = [&](const std::optional<std::string>& name) {
    const auto location = name ? PrefLocationFromOptionName(*name) : std::nullopt;
    if (location) options.location = location;
    else options.badLocation = name.value_or("");
  };
  std::vector<std::string> kept{argv[0]};
  bool inValues = false;  // past the first switch, where its value holds the rest
  for (std::size_t i = 1; i < argv.size(); ++i) {
    const std::string& arg = argv[i];
    inValues = inValues || (platform::optionsEndAtFirstSwitch() && startsSwitch(arg));
    if (inValues) kept.push_back(arg);
    else if (arg == "--help" || arg == "-h" || arg == "/?") options.help = true;
    else if (arg == "--version") options.version = true;
    else if (arg == "--strict") options.strict = true;
    else if (arg == "--verbose") options.verbose = true;
    else if (arg == "--dry-run") options.dryRun = true;
    else if (arg == "--location")
      setLocation(i + 1 < argv.size() ? std::optional<std::string>(argv[++i]) : std::nullopt);
    else if (arg.starts_with("--location=")) setLocation(arg.substr(11));
    else if (looksLikeOption(arg) && !isBareSwitch(kept.back())) options.unknown.push_back(arg);
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

Switches (any letter case; a value may follow its switch directly or after
blanks, may hold blanks, and runs to the next " /IC" or " /IP" or the end):
  /IC FILE      the configuration file to import
  /IP PROGRAM   a path whose folder completes an /IC name without a folder;
                a path ending in "/", "." or ".." is that folder itself

Options (each counts only as a whole argument):
  --strict        one line on standard error for each thing that passes
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

See quillbray-import(1) and quillbray-reg(1).
)";
}

std::string VersionText(const TVersionInfo& versionInfo) {
  if (versionInfo.VersionBufferSize() == 0)
    return "quillbray-import: no version resource in " + versionInfo.FileName() + "\n";
  std::string text = versionInfo.InternalName + " (" + versionInfo.ProductName + ") " + versionInfo.ProductVersion +
                     "\nFile version " + versionInfo.MajorVersion + "." + versionInfo.MinorVersion + "." +
                     versionInfo.Release + "." + versionInfo.Build;
  if (!versionInfo.FileFlagsText.empty()) text += " (" + versionInfo.FileFlagsText + ")";
  text += "\n";
  if (!versionInfo.LegalCopyright.empty()) text += versionInfo.LegalCopyright + "\n";
  return text;
}

}  // namespace quillbray
