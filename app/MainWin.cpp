#include <cstring>

#include "app/Main.h"
#include "common/Globals.h"
#include "import/ImpExpRegXML.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "platform/Text.h"
#include "settings/ConfigManager.h"

namespace quillbray {
namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string trimBlanks(const std::string& s) {
  std::size_t begin = 0, end = s.size();
  while (begin < end && isBlank(s[begin])) ++begin;
  while (end > begin && isBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Whether a switch text ("/IC" or "/IP", any letter case; only `which` when
// given) starts at pos, right after a blank. A "/" anywhere else belongs to a
// path.
bool switchAt(const std::string& line, std::size_t pos, char which = 0) {
  if (pos == 0 || pos + 2 >= line.size() || !isBlank(line[pos - 1]) || line[pos] != '/' ||
      upperAscii(line[pos + 1]) != 'I')
    return false;
  const char letter = upperAscii(line[pos + 2]);
  return which ? letter == which : letter == 'C' || letter == 'P';
}

}  // namespace

std::string CommandLine::complete() const {
  std::string line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i > 0) line += ' ';
    line += argv[i];
  }
  return line;
}

TMainWin::TMainWin(CommandLine commandLine) : commandLine_(std::move(commandLine)) { FormCreate(); }

TMainWin::~TMainWin() { FormDestroy(); }

void TMainWin::FormCreate() {
  ConfigFileName.clear();
  ProductPath.clear();

  ConfigManager = new TConfigManager();
  const std::string programName = platform::programFilePath();
  EventLogFileName = GetEventLogFileName(ConfigManager->LogsPath, programName.substr(programName.rfind('/') + 1),
                                         ConfigManager->EventsFile);
  EventLogTimeFormat = ConfigManager->LogFormat;

  for (std::size_t i = 1; i < commandLine_.argv.size(); ++i) ParseSwitch(commandLine_.argv[i]);

  if (!ConfigFileName.empty()) {
    if (ConfigFileName[0] == '"') ConfigFileName = UnquoteFileName(ConfigFileName);
    // A bare name is completed with the folder of the /IP path, taken as it is.
    if (ConfigFileName.find('/') == std::string::npos && !ProductPath.empty()) {
      std::string folder = platform::extractFilePath(platform::expandFileName(ProductPath));
      if (folder.empty() || folder.back() != '/') folder += '/';
      ConfigFileName = folder + ConfigFileName;
    }
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

  const std::string line = commandLine_.complete();
  const char letter = which[2];
  // The program's own path comes first and may hold anything, even " /icons".
  std::size_t start = commandLine_.argv.empty() ? 0 : commandLine_.argv[0].size();
  while (start < line.size() && !switchAt(line, start, letter)) ++start;
  if (start == line.size()) return;
  start += 3;
  std::size_t end = start;
  while (end < line.size() && !switchAt(line, end)) ++end;

  std::string value = trimBlanks(line.substr(start, end - start));
  (letter == 'C' ? ConfigFileName : ProductPath) = std::move(value);
}

void TMainWin::RunImport(const std::string& fileName) {
  if (platform::fileExists(fileName)) ImportConfigFile(fileName);
}

}  // namespace quillbray
