// The event log's file name and the process-wide names it is kept in.
#include "common/Globals.h"
#include "platform/PathRules.h"
#include "platform/ProgramFile.h"
#include "platform/ShellFolders.h"

namespace quillbray {

std::string EventLogFileName;
std::string EventLogTimeFormat;

std::string GetEventLogFileName(const std::string& folder, const std::string& baseName, const std::string& suffix) {
  if (!folder.empty() && !baseName.empty() && !suffix.empty())
    return platform::withTrailingSeparator(folder) + baseName + suffix + ".log";
  // The default ignores the arguments. Without a local application-data
  // folder the empty folder still gets its separator, so the name lies in the
  // root folder (of the current drive, on Windows).
  return platform::withTrailingSeparator(GetSpecialFolderDir(platform::CSIDL_LOCAL_APPDATA)) +
         platform::nativePath("Corvellan\\") + platform::programFileName() + "_Events.log";
}

}  // namespace quillbray
