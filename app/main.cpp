// quillbray-import: imports a program-configuration file into the
// preference store.
//
//   quillbray-import [--strict] [--dry-run] [--verbose] [--location WHERE] /IC prefs.xml [/IP /path/of/the/program]
//   quillbray-import --help | --version
//
// It shows no window; its output is message boxes, and what --help, --version,
// --strict, --dry-run and --verbose ask for. The exit code is 0 in every
// case, unless --strict or --dry-run asks for the run's status or --location
// names no location.
#include <clocale>
#include <iostream>

#include "app/Main.h"
#include "app/Options.h"
#include "common/Application.h"
#include "common/FormatSettings.h"
#include "platform/CommandLineRules.h"
#include "platform/FileSizeLimit.h"

namespace quillbray {

int RunProgram(CommandLine commandLine) {
  CommandLine copy = commandLine;
  const ProgramOptions options = TakeOptions(copy);
  const bool strict = options.strict || options.dryRun || options.lint || options.undoFile.has_value();
  try {
    std::setlocale(LC_ALL, "");
    // The formatting settings are final before the main form is created.
    ReadFormatSettings();
    ApplicationTitle = kDefaultApplicationTitle;
    // The main form does all its work while it is created; destroying it ends
    // the run.
    TMainWin mainWin(std::move(commandLine));
    return strict || mainWin.MustAnswer ? mainWin.Status : 0;
  } catch (const std::exception& e) {
    // Nothing is meant to get here; without --strict the exit code stays 0.
    std::cerr << "quillbray-import: " << e.what() << '\n';
    return strict ? kExitNotImported : 0;
  }
}

}  // namespace quillbray

int main(int argc, char** argv) {
  platform::reportFileSizeLimitAsError();
  platform::ProgramCommandLine system = platform::programCommandLine(argc, argv);
  return quillbray::RunProgram({std::move(system.argv), std::move(system.complete)});
}
