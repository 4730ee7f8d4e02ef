// The program driver: the invisible main form that does the whole run.
#pragma once

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Options.h"
#include "common/VersionInfo.h"

namespace quillbray {

class UndoRecord;

struct ImportStats;
class ImportPlan;

class TMainWin {
 public:
  // Creating the form loads VersionInfo from the program's own file, takes
  // the options (--help, --version, --strict, --verbose, --dry-run,
  // --location) out of the command line, sets the preference location the
  // run uses (until the form is destroyed) and runs FormCreate, as the form
  // resource binds it.
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
  // command line by the system's rule (platform::switchValue): on Windows it
  // runs from the first occurrence of the switch text to the next "/" or the
  // end; on Linux the switch text must follow a blank, and the value ends
  // before the next switch text that does:
  //   prog /IC /home/me/my prefs.xml /IP /opt/q/prog  ->  "/home/me/my prefs.xml"
  void ParseSwitch(const std::string& argument);
  // Imports the file if it exists (a folder does not count).
  void RunImport(const std::string& fileName);
  void RunLint(const std::string& fileName);
  bool WriteUndo(const std::string& fileName);
  bool undoFileTakesThisRun();
  bool saveUndo(const UndoRecord& undo);

  // The folder that completes a bare /IC name (platform::switchFolder): the
  // folder part of the expanded /IP path; on Linux also the path itself when
  // its last part is "." or ".." (in /home/me):
  //   "/opt/q/prog" => "/opt/q/"   "." => "/home/me/"   "bin/.." => "/home/me/"
  //   "C:\Tools" => "C:\"   "C:\Tools\" => "C:\Tools\"
  static std::string ProductFolder(const std::string& productPath);

  std::string ConfigFileName;  // the /IC value
  std::string ProductPath;     // the /IP value

  // The version information of the program's own file.
  TVersionInfo VersionInfo;

  bool Help = false;     // --help: the usage was printed, nothing imported
  bool Version = false;  // --version: the version was printed, nothing imported
  bool Strict = false;   // --strict
  bool Verbose = false;  // --verbose
  bool DryRun = false;   // --dry-run
  bool Lint = false;     // --lint
  // How the run went, as --strict answers it, also without --strict: a
  // --location that names no location is always answered.
  bool MustAnswer = false;
  // How the run went, as --strict answers it (kExitImported ...).
  int Status = 0;

 private:
  // What a run that imported nothing reports under --strict and --verbose.
  void nothingImported(const std::string& reason);
  void summarize(const std::string& fileName, const ImportStats& stats);
  void summarizePlan(const std::string& fileName, const ImportStats& stats, const ImportPlan& plan);
  // Says what the options themselves got wrong; false when the run cannot go on.
  bool checkOptions();
  // Without /IC: the usage, with a hint when the only argument is an .xml file.
  void hintAtSwitch();

  CommandLine commandLine_;
  ProgramOptions options_;
  TPrefLocation previousLocation_;
};

// The program entry: the whole run. Exit code 0, or under --strict the
// run's status.
int RunProgram(CommandLine commandLine);

}  // namespace quillbray
