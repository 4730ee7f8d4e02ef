// Stand-ins until the Windows file-system forms land.
#include <chrono>
#include <thread>

#include "platform/Clock.h"
#include "platform/ExclusiveAppend.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/MountPoint.h"
#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "platform/ShellFolders.h"
#include "platform/SystemFolders.h"
#include "platform/Text.h"

namespace platform {
namespace {
struct StubClock : Clock {
  DateTime now() override { return makeDateTime(2000, 1, 1); }
  void sleep(std::chrono::milliseconds d) override { std::this_thread::sleep_for(d); }
};
}  // namespace
Clock& platformClock() {
  static StubClock c;
  return c;
}
void appendExclusive(const std::string& path, std::string_view) { throw FileError("Cannot open file \"" + path + "\""); }
bool fileExists(const std::string&) { return false; }
std::string readRegularFile(const std::string& path, std::size_t) { throw FileError("Cannot open file \"" + path + "\""); }
bool folderExists(const std::string&) { return false; }
int createFolder(const std::string&) { return 1; }
std::string systemErrorText(int code) { return "error " + std::to_string(code); }
std::string mountPointOf(const std::string&) { return {}; }
std::string mountPointIn(std::string_view, std::string_view) { return {}; }
ScopedMountPoint::ScopedMountPoint(std::string) {}
ScopedMountPoint::~ScopedMountPoint() {}
std::string expandFileName(const std::string& name) { return name; }
bool fileNamesIgnoreCase() { return true; }
std::string extractFilePath(const std::string& name) { return name.substr(0, name.find_last_of("\\/:") + 1); }
std::string programFilePath() { return {}; }
std::string programFileName() { return {}; }
std::string currentDirectory() { return {}; }
std::string shellFolder(int) { return {}; }
std::string tempPath() { return {}; }
std::string accountHomeFolder() { return {}; }
std::string upperCase(std::string_view s) { return std::string(s); }
std::string lowerCase(std::string_view s) { return std::string(s); }
}  // namespace platform
