// The program driver: the invisible main form that does the whole run.
#pragma once

#include <string>
#include <vector>

namespace quillbray {

// The command line as the program received it: argv[0] first.
struct CommandLine {
  std::vector<std::string> argv;
  // argv joined by single blanks: the "complete command line".
  std::string complete() const;
};

class TMainWin {
 public:
  // Creating the form runs FormCreate, as the form resource binds it.
  explicit TMainWin(CommandLine commandLine);
  ~TMainWin();  // runs FormDestroy
  TMainWin(const TMainWin&) = delete;
  TMainWin& operator=(const TMainWin&) = delete;

  // The run: creates the catalogue, names the event log, reads the switches,
  // imports the configuration file, and asks the application to end.
  void FormCreate();
  // Frees the catalogue.
  void FormDestroy();

  // Stores the value of the switch this argument selects (/IC or /IP, any
  // letter case, at the argument's start). The value is read from the complete
  // command line: it starts after the first occurrence of the switch text that
  // follows a blank (after the program's own path), and ends before the next
  // "/" that follows a blank and starts a switch text, or at the end; blanks
  // around it are trimmed.
  //   prog /IC /home/me/my prefs.xml /IP /opt/q/prog  ->  "/home/me/my prefs.xml"
  void ParseSwitch(const std::string& argument);
  // Imports the file if it exists (a folder does not count).
  void RunImport(const std::string& fileName);

  std::string ConfigFileName;  // the /IC value
  std::string ProductPath;     // the /IP value

 private:
  CommandLine commandLine_;
};

// The program entry: the whole run; always answers exit code 0.
int RunProgram(CommandLine commandLine);

}  // namespace quillbray
