// The event log's file name and the process-wide names it is kept in.
#include "common/Globals.h"
#include "platform/ProgramFile.h"
#include "platform/ShellFolders.h"

namespace quillbray {

std::string EventLogFileName;
std::string EventLogTimeFormat;

namespace {

std::string withTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string GetEventLogFileName(const std::string& folder, const std::string& baseName, const std::string& suffix) {
  if (!folder.empty() && !baseName.empty() && !suffix.empty())
    return withTrailingSlash(folder) + baseName + suffix + ".log";
  // The default ignores the arguments. Without a local application-data
  // folder the empty folder still gets its "/", so the name lies in the root
  // folder, as it does on Windows (the root of the current drive there).
  return withTrailingSlash(GetSpecialFolderDir(platform::CSIDL_LOCAL_APPDATA)) + "Corvellan/" + platform::programFileName() +
         "_Events.log";
}

}  // namespace quillbray
