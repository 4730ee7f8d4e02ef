// Common services: special folders, path tokens and the event log's name.
#pragma once

#include <string>
#include <vector>

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

// The special folders of the product. Each ends with "/"; empty means "not
// available". With PrefLocation at plOnUSB the documents, temporary-files and
// all-users application-data folders lie under the program's folder:
//   documents  "<program folder>Data/Documents/"   else GetSpecialFolderDir(5),
//              else the account's home folder (password database) +
//              "Documents/", else "/Documents/"; never empty
//   desktop    GetSpecialFolderDir(0), may be empty
//   temporary  "<program folder>Data/Temp/"   else $TMPDIR, else "/tmp/", as a
//              full path; never empty
//   all users  "<program folder>../ProgramData/"   else GetSpecialFolderDir(35),
//              else CommonAppDataFallback(); never empty
std::string GetMyDocumentsDir();
std::string GetDesktopDir();
std::string GetTempDir();
std::string GetCommonAppDataDir();

// The all-users application-data folder when the shell names none: the
// machine hive's "Common AppData" value under
// Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders (read only,
// "/" appended if missing), else "/etc/xdg/". Registry failures are not
// reported; they lead to the fixed folder.
std::string CommonAppDataFallback();

// Path tokens. Collapse replaces the machine's special folders in a value by
// tokens, expand the tokens by this machine's folders, both in the order of
// the token table ("[My Documents]\" first, "[CSIDL-COMMON-APPDATA]" last):
//   "/home/me/Documents/Quillbray/Images/" => "[My Documents]\Quillbray/Images/"
//   "/home/me/.config/Logs/"               => "[CSIDL-APPDATA]Logs/"
// Expansion turns the "\" separators of a value that held a token into "/":
//   "[My Documents]\Quillbray\Images\" => "/home/me/Documents/Quillbray/Images/"
std::string CollapsePathTokens(const std::string& value);
std::string ExpandPathTokens(const std::string& value);

// The parts of text around every occurrence of find, compared without regard
// to letter case (platform::upperCase, character by character): left to
// right, without overlap. One part when find is empty or does not occur.
//   "a/X/b/x/", "/x/"  =>  {"a", "b", ""}
std::vector<std::string> SplitIgnoreCase(const std::string& text, const std::string& find);

// Replaces every occurrence of find, without regard to letter case, by put;
// put is not searched again and an empty find changes nothing.
//   "C:/Data/c:/x", "c:/", "[D]"  =>  "[D]Data/[D]x"
std::string ReplaceIgnoreCase(const std::string& text, const std::string& find, const std::string& put);

// Makes sure the folder exists, creating every missing level; true when it
// exists afterwards. A failure is written to the event log when unusual
// events are logged.
bool ForceDirectoriesEx(const std::string& dir);

}  // namespace quillbray
