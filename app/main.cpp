// quillbray-import: imports a program-configuration file into the
// preference store.
//
//   quillbray-import /IC prefs.xml [/IP /path/of/the/program]
//
// It shows no window; its only output is message boxes. The exit code is 0
// in every case.
#include <clocale>
#include <iostream>

#include "app/Main.h"
#include "common/Application.h"

namespace quillbray {

int RunProgram(CommandLine commandLine) {
  try {
    std::setlocale(LC_ALL, "");
    ApplicationTitle = kDefaultApplicationTitle;
    // The main form does all its work while it is created; destroying it ends
    // the run.
    TMainWin mainWin(std::move(commandLine));
  } catch (const std::exception& e) {
    // Nothing is meant to get here; the exit code stays 0 all the same.
    std::cerr << "quillbray-import: " << e.what() << '\n';
  }
  return 0;
}

}  // namespace quillbray

int main(int argc, char** argv) {
  quillbray::CommandLine commandLine;
  for (int i = 0; i < argc; ++i) commandLine.argv.emplace_back(argv[i]);
  return quillbray::RunProgram(std::move(commandLine));
}
