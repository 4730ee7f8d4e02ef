// Common services: special folders and the event log's name.
#pragma once

#include <string>

namespace quillbray {

// The event log's file name and time-stamp picture, set once at start-up;
// both empty until then.
extern std::string EventLogFileName;
extern std::string EventLogTimeFormat;

// The special folder with this CSIDL number, ending with "/", or empty.
std::string GetSpecialFolderDir(int csidl);

// The event-log file name from a folder, a base name and a suffix. When any of
// them is empty the name is the default, in the local application-data folder
// and named after the program file (prog here):
//   "/var/log", "prog", "-x"  =>  "/var/log/prog-x.log"
//   "/var/log/", "prog", "-x" =>  "/var/log/prog-x.log"
//   "/var/log", "prog", ""    =>  "<local app data>/Corvellan/prog_Events.log"
std::string GetEventLogFileName(const std::string& folder, const std::string& baseName, const std::string& suffix);

}  // namespace quillbray
