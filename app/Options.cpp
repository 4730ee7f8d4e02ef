#include "app/Options.h"

#include <algorithm>

#include "common/VersionInfo.h"

namespace quillbray {

ProgramOptions TakeOptions(CommandLine& commandLine) {
  ProgramOptions options;
  auto& argv = commandLine.argv;
  if (argv.empty()) return options;
  const auto isOption = [&](const std::string& arg) {
    if (arg == "--help" || arg == "-h" || arg == "/?") return options.help = true;
    if (arg == "--version") return options.version = true;
    if (arg == "--strict") return options.strict = true;
    if (arg == "--verbose") return options.verbose = true;
    return false;
  };
  argv.erase(std::remove_if(argv.begin() + 1, argv.end(), isOption), argv.end());
  return options;
}

std::string UsageText() {
  return R"(Usage: quillbray-import [--strict] [--verbose] /IC FILE [/IP PROGRAM]
       quillbray-import --help | --version

Imports every preference of a Quillbray program-configuration file (XML) into
the preference store. Values are added or overwritten; nothing is deleted.

Switches (any letter case; a value may follow its switch directly or after
blanks, may hold blanks, and runs to the next " /IC" or " /IP" or the end):
  /IC FILE      the configuration file to import
  /IP PROGRAM   a path whose folder completes an /IC name without a folder;
                a path ending in "/", "." or ".." is that folder itself

Options (each counts only as a whole argument):
  --strict        one line on standard error for what passes silently
                  otherwise (no /IC value, no such file, a folder), and
                  the exit status below
  --verbose       one summary line on standard output at the end
  -h, --help, /?  print this help and import nothing
  --version       print the program's version (from its own version
                  resource) and import nothing

Where preferences are stored (two SQLite hive files):
  per-user      $QUILLBRAY_USER_HIVE, else $XDG_CONFIG_HOME/quillbray/user.hive,
                else ~/.config/quillbray/user.hive
  machine-wide  $QUILLBRAY_MACHINE_HIVE, else /var/lib/quillbray/machine.hive
  PerMachine values go to the machine-wide hive when this user may write it,
  else per-user. Show them with: quillbray-reg export HKCU|HKLM [KEY]

Environment:
  QUILLBRAY_USER_HIVE, QUILLBRAY_MACHINE_HIVE  the hive files (above)
  XDG_CONFIG_HOME, HOME                        where the default user hive is
  QUILLBRAY_DIALOGS  "console": messages on standard error; "gui": zenity
                     dialogs; unset: dialogs when DISPLAY or WAYLAND_DISPLAY
                     is set, else standard error

Exit status: 0, whatever happened, unless --strict is given; then
  0  every value was stored
  1  the file was not imported: no /IC value, no such file, a folder,
     unreadable, not XML, another product's file, or the import stopped
     on an error
  2  the file was imported, but some value or group failed

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
