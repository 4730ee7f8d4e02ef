// Path values of the store.
#include "common/Globals.h"
#include "platform/MountPoint.h"
#include "platform/ProgramFile.h"
#include "prefs/ConfigBase.h"

namespace quillbray {

void TConfigBase::SetPrefPath(const std::string& group, const std::string& name, const std::string& path) {
  std::size_t begin = 0, end = path.size();
  while (begin < end && static_cast<unsigned char>(path[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(path[end - 1]) <= 32) --end;
  const std::string trimmed = path.substr(begin, end - begin);
  SetPrefString(group, name, PrefLocation == plOnUSB ? CollapseExeDrive(trimmed) : CollapsePathTokens(trimmed));
}

std::string TConfigBase::CollapseExeDrive(const std::string& path) {
  // The drive root with its separator ("E:\", or on Linux the mount point
  // that holds the program, so /media/usb/ never matches inside /media/usb2/).
  // A Linux program on the root file system has no drive of its own that
  // could move: every absolute path begins with "/", so nothing is collapsed.
  const std::vector<std::string> parts = SplitAtFolder(path, platform::mountPointOf(platform::programFilePath()));
  std::string out = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) out += "[ExeDrive]\\" + parts[i];
  return out;
}

}  // namespace quillbray
