#include <algorithm>
#include <iostream>
#include <optional>
#include <sstream>

#include "app/Main.h"
#include "app/Options.h"
#include "app/UndoFile.h"
#include "common/Globals.h"
#include "import/ConfigLint.h"
#include "import/ImpExpRegXML.h"
#include "import/ImportPlan.h"
#include "platform/CommandLineRules.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/ProgramFile.h"
#include "platform/Text.h"
#include "platform/Utf8.h"
#include "settings/ConfigManager.h"

namespace quillbray {

std::string CommandLine::complete() const {
  if (line) return *line;
  std::string joined;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i > 0) joined += ' ';
    joined += argv[i];
  }
  return joined;
}

TMainWin::TMainWin(CommandLine commandLine)
    : commandLine_(std::move(commandLine)), options_(TakeOptions(commandLine_)), previousLocation_(PrefLocation) {
  Help = options_.help;
  Version = options_.version;
  Strict = options_.strict;
  Verbose = options_.verbose;
  DryRun = options_.dryRun;
  Lint = options_.lint;
  if (options_.location) PrefLocation = *options_.location;
  FormCreate();
}

TMainWin::~TMainWin() {
  FormDestroy();
  PrefLocation = previousLocation_;
}

bool TMainWin::checkOptions() {
  for (const std::string& option : options_.unknown)
    std::cerr << "quillbray-import: unknown option " << platform::printable(option) << ", ignored\n";
  if (!options_.badLocation) return true;
  std::cerr << "quillbray-import: "
            << (options_.badLocation->empty() ? std::string("--location needs a name")
                                              : "unknown location '" + platform::printable(*options_.badLocation) + "'")
            << ": use registry, flat, file or usb; nothing was imported\n";
  Status = kExitNotImported;
  MustAnswer = true;
  return false;
}

void TMainWin::hintAtSwitch() {
  std::vector<std::string> words(commandLine_.argv.begin() + (commandLine_.argv.empty() ? 0 : 1),
                                 commandLine_.argv.end());
  if (words.size() != 1) return;
  const std::string& word = words.front();
  const std::string lower = platform::lowerCase(word);
  if (!lower.ends_with(".xml") || !platform::fileExists(word)) return;
  std::cerr << "Usage: quillbray-import [OPTIONS] /IC FILE [/IP PROGRAM]\n"
            << "quillbray-import: to import " << platform::printable(word)
            << ", name it after /IC: quillbray-import /IC " << platform::printable(word) << '\n';
}

void TMainWin::FormCreate() {
  ConfigFileName.clear();
  ProductPath.clear();
  Status = kExitImported;
  if (!checkOptions()) return;
  if (Help) {
    std::cout << UsageText();
    return;
  }
  if (Version) {
    (VersionInfo.VersionBufferSize() != 0 ? std::cout : std::cerr) << VersionText(VersionInfo, "quillbray-import");
    return;
  }

  ConfigManager = new TConfigManager();
  EventLogFileName =
      GetEventLogFileName(ConfigManager->LogsPath, platform::programFileName(), ConfigManager->EventsFile);
  EventLogTimeFormat = ConfigManager->LogFormat;

  for (std::size_t i = 1; i < commandLine_.argv.size(); ++i) ParseSwitch(commandLine_.argv[i]);

  if (!ConfigFileName.empty() && ConfigFileName[0] == '"') ConfigFileName = UnquoteFileName(ConfigFileName);
  // A path with blanks is written in quotes: kept, they would become part of
  // the folder, and nothing would be found there.
  if (!ProductPath.empty() && ProductPath[0] == '"') ProductPath = UnquoteFileName(ProductPath);
  if (ConfigFileName.empty()) {
    nothingImported("no configuration file named (/IC FILE)");
    hintAtSwitch();
  } else {
    // A bare name is completed with the folder of the /IP path, taken as it is.
    if (!platform::hasFolderPart(ConfigFileName) && !ProductPath.empty())
      ConfigFileName = ProductFolder(ProductPath) + ConfigFileName;
    RunImport(ConfigFileName);
  }
  // The application is asked to end here; this program has no message loop
  // that would outlast the form's creation.
}

void TMainWin::FormDestroy() {
  delete ConfigManager;
  ConfigManager = nullptr;
}

void TMainWin::ParseSwitch(const std::string& argument) {
  const std::string arg = platform::upperCase(argument);
  const char* which = arg.starts_with("/IC") ? "/IC" : arg.starts_with("/IP") ? "/IP" : nullptr;
  if (!which) return;

  const char letter = which[2];
  const std::size_t programLength = commandLine_.argv.empty() ? 0 : commandLine_.argv[0].size();
  // A line that does not hold the switch text its argument started with
  // (quotes inside the switch: "/I"C) leaves the value as it was.
  if (std::optional<std::string> value = platform::switchValue(commandLine_.complete(), programLength, letter))
    (letter == 'C' ? ConfigFileName : ProductPath) = std::move(*value);
}

void TMainWin::RunImport(const std::string& fileName) {
  if (Lint && platform::fileExists(fileName)) return RunLint(fileName);
  if (!platform::fileExists(fileName)) {
    nothingImported(fileName + (platform::folderExists(fileName) ? ": is a folder, not a file" : ": no such file"));
    return;
  }
  ImportStats stats;
  ImportOptions options;
  if (Strict || DryRun)
    options.notice = [&fileName](const ImportNotice& notice) {
      std::cerr << "quillbray-import: " << NoticeText(fileName, notice) << '\n';
    };
  std::optional<ImportPlan> plan;
  if (DryRun) options.plan = &plan.emplace(std::cout);
  UndoRecord undo;
  if (options_.undoFile) {
    if (!undoFileTakesThisRun()) return;
    if (DryRun) {
      plan->undo = &undo;  // the dry run itself gathers it
    } else if (!WriteUndo(fileName)) {
      return;
    }
  }
  const std::size_t boxes = ConfigManager ? ConfigManager->ErrorBoxesShown : 0;
  ImportConfigFile(fileName, stats, options);
  const bool storeFailed = ConfigManager && ConfigManager->ErrorBoxesShown != boxes;
  if (stats.outcome != ioImported)
    Status = kExitNotImported;
  else
    Status = stats.failed > 0 || stats.noticed > 0 || storeFailed ? kExitSomeFailed : kExitImported;
  if (plan)
    for (const std::string& warning : plan->warnings)
      std::cerr << "quillbray-import: " << platform::printable(warning) << '\n';
  if (plan && stats.outcome == ioImported) summarizePlan(fileName, stats, *plan);
  else if (Verbose) summarize(fileName, stats);
  if (options_.undoFile && DryRun && stats.outcome == ioImported && !saveUndo(undo)) Status = kExitNotImported;
}

// Writes the undo file; false, with the reason on standard error, when it
// could not be written.
bool TMainWin::saveUndo(const UndoRecord& undo) {
  try {
    WriteUndoFile(*options_.undoFile, undo);
    return true;
  } catch (const std::exception& e) {
    std::cerr << "quillbray-import: " << platform::printable(e.what()) << '\n';
    return false;
  }
}

// Before an import: a silent dry run gathers what the import will change,
// and the undo file is written whole. False, with the reason on standard
// error, when the import must not go on.
bool TMainWin::undoFileTakesThisRun() {
  const char* why = options_.undoFile->empty() ? "--undo-file needs a file name"
                    : PrefLocation == plFile || PrefLocation == plOnUSB
                        ? "--undo-file works with the registry (--location registry or flat): a .reg file cannot put "
                          "a settings file back as it was"
                        : nullptr;
  if (!why) return true;
  std::cerr << "quillbray-import: " << why << "; nothing was imported\n";
  Status = kExitNotImported;
  return false;
}

bool TMainWin::WriteUndo(const std::string& fileName) {
  Status = kExitNotImported;
  UndoRecord undo;
  std::ostringstream planText;
  ImportPlan plan(planText);
  plan.undo = &undo;
  ImportOptions options;
  options.plan = &plan;
  ImportStats stats;
  ImportConfigFile(fileName, stats, options);
  // An import that fails changes nothing, and its box has told why.
  if (stats.outcome != ioImported || !saveUndo(undo)) return false;
  Status = kExitImported;
  return true;
}

// The walk of a dry run, with nothing shown of the plan: the --strict
// notices and the catalogue's findings, in file order, in the compiler's
// form that editors and CI point at.
void TMainWin::RunLint(const std::string& fileName) {
  std::vector<LintFinding> lines;
  ConfigLint lint;
  ImportStats stats;
  ImportOptions options;
  options.notice = [&](const ImportNotice& notice) { lines.push_back({notice.line, NoticeMessage(notice)}); };
  options.walked = [&](const WalkedEntry& entry) { lint.Check(entry); };
  std::ostringstream planText;
  ImportPlan plan(planText);
  options.plan = &plan;
  ImportConfigFile(fileName, stats, options);
  if (stats.outcome != ioImported) {
    Status = kExitNotImported;
    return;
  }
  lines.insert(lines.end(), lint.findings.begin(), lint.findings.end());
  std::stable_sort(lines.begin(), lines.end(),
                   [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
  const std::string file = platform::printable(fileName);
  for (const LintFinding& f : lines) {
    std::cout << file;
    if (f.line > 0) std::cout << ':' << f.line;
    std::cout << ": warning: " << f.message << '\n';
  }
  for (const std::string& warning : plan.warnings)
    std::cerr << "quillbray-import: " << platform::printable(warning) << '\n';
  Status = lines.empty() && stats.failed == 0 ? kExitImported : kExitSomeFailed;
}

std::string TMainWin::ProductFolder(const std::string& productPath) { return platform::switchFolder(productPath); }

void TMainWin::nothingImported(const std::string& reason) {
  Status = kExitNotImported;
  if (Strict || DryRun || Lint) std::cerr << "quillbray-import: " << reason << '\n';
  if (Verbose) std::cout << "Imported nothing: " << reason << '\n';
}

void TMainWin::summarize(const std::string& fileName, const ImportStats& stats) {
  const auto count = [](std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  if (stats.outcome == ioRefused) {
    std::cout << "Imported nothing from " << fileName << ": it belongs to another product\n";
  } else if (stats.outcome == ioFailed && stats.values == 0) {
    std::cout << "Imported nothing from " << fileName << ": the import stopped on an error\n";
  } else {
    std::cout << "Imported " << count(stats.values, "value") << " into " << count(stats.keys, "key") << " from "
              << fileName << " (" << stats.userValues << " per-user, " << stats.machineValues << " machine-wide); "
              << stats.failed << " failed"
              << (stats.noticed > 0 ? "; " + std::to_string(stats.noticed) + " not as written" : "")
              << (stats.outcome == ioFailed ? "; then the import stopped on an error" : "") << '\n';
  }
}

void TMainWin::summarizePlan(const std::string& fileName, const ImportStats& stats, const ImportPlan& plan) {
  const auto count = [](std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  };
  std::cout << "Dry run of " << platform::printable(fileName) << ": " << count(stats.values, "value") << " into "
            << count(stats.keys, "key") << " (" << plan.added << " new, " << plan.changed << " changed, "
            << plan.same << " same; " << stats.userValues << " per-user, " << stats.machineValues
            << " machine-wide); " << stats.failed << " failed; " << stats.noticed
            << " not as written; nothing was written\n";
}

}  // namespace quillbray
