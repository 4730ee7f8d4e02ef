// Common services: special folders, path tokens, folder creation and the
// event log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillbray {

// The event log's file name and time-stamp picture, set once at start-up;
// both empty until then.
extern std::string EventLogFileName;
extern std::string EventLogTimeFormat;

// The special folder with this CSIDL number, ending with the separator ("/"
// on Linux, "\" on Windows), or empty.
std::string GetSpecialFolderDir(int csidl);

// The event-log file name from a folder, a base name and a suffix. When any of
// them is empty the name is the default, in the local application-data folder
// and named after the program file (prog here; on Windows the same with "\"):
//   "/var/log", "prog", "-x"  =>  "/var/log/prog-x.log"
//   "/var/log/", "prog", "-x" =>  "/var/log/prog-x.log"
//   "/var/log", "prog", ""    =>  "<local app data>/Corvellan/prog_Events.log"
std::string GetEventLogFileName(const std::string& folder, const std::string& baseName, const std::string& suffix);

// The special folders of the product. Each ends with the separator; empty
// means "not available". With PrefLocation at plOnUSB the documents,
// temporary-files and all-users application-data folders lie under the
// program's folder:
//   documents  "<program folder>Data\Documents\"   else GetSpecialFolderDir(5),
//              else platform::documentsFallback(); never empty
//   desktop    GetSpecialFolderDir(0), may be empty
//   temporary  "<program folder>Data\Temp\"   else platform::tempPath(), else
//              platform::tempFallback(), as a full path; never empty
//   all users  "<program folder>..\ProgramData\"   else GetSpecialFolderDir(35),
//              else CommonAppDataFallback(); never empty
// (each "\" is this system's separator).
std::string GetMyDocumentsDir();
std::string GetDesktopDir();
std::string GetTempDir();
std::string GetCommonAppDataDir();

// The all-users application-data folder when the shell names none: the
// machine hive's "Common AppData" value under
// Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders (read only,
// separator appended if missing), else platform::commonAppDataFallback().
// Registry failures are not reported; they lead to the fixed folder.
std::string CommonAppDataFallback();

// Path tokens. Collapse replaces the machine's special folders in a value by
// tokens, expand the tokens by this machine's folders, both in the order of
// the token table ("[My Documents]\" first, "[CSIDL-COMMON-APPDATA]" last):
//   "/home/me/Documents/Quillbray/Images/" => "[My Documents]\Quillbray/Images/"
//   "/home/me/.config/Logs/"               => "[CSIDL-APPDATA]Logs/"
// Expansion gives the text around the tokens this system's form
// (platform::textAroundTokens): on Linux its "\" separators become "/":
//   "[My Documents]\Quillbray\Images\" => "/home/me/Documents/Quillbray/Images/"
// and on Windows it stays as it is:
//   "[CSIDL-APPDATA]\Logs\" => "C:\Users\me\AppData\Roaming\\Logs\"
std::string CollapsePathTokens(const std::string& value);
std::string ExpandPathTokens(const std::string& value);
// The tokens of the token table, without their trailing "\":
// "[My Documents]", ..., "[CSIDL-COMMON-APPDATA]".
std::vector<std::string> PathTokenNames();

// The parts of text around every occurrence of find, compared without regard
// to letter case (platform::upperCase, character by character): left to
// right, without overlap. One part when find is empty or does not occur.
//   "a/X/b/x/", "/x/"  =>  {"a", "b", ""}
std::vector<std::string> SplitIgnoreCase(const std::string& text, const std::string& find);

// Replaces every occurrence of find, without regard to letter case, by put;
// put is not searched again and an empty find changes nothing.
//   "C:/Data/c:/x", "c:/", "[D]"  =>  "[D]Data/[D]x"
std::string ReplaceIgnoreCase(const std::string& text, const std::string& find, const std::string& put);

// The parts of text around every occurrence of the folder path, compared as
// this system compares file names: byte for byte where names are
// case-sensitive (Linux), without regard to letter case where they are not
// (Windows). One part when the folder names no folder of its own
// (platform::namesNoFolder: empty, or on Linux the root "/", which every
// absolute path would match).
std::vector<std::string> SplitAtFolder(const std::string& text, const std::string& folder);

// Makes sure the folder exists, creating every missing level; true when it
// exists afterwards. A failure is written to the event log when unusual
// events are logged:
//   ForceDirectoriesEx error: Could not create the directory
//     /home/me/file/sub          (where /home/me/file is a file)
//     ErrCode: 17
//     File exists
// (on Windows the code and text are GetLastError's and FormatMessageW's).
bool ForceDirectoriesEx(const std::string& dir);

// The event log.
//
// The file name with its date placeholder "<picture/>" replaced by the
// current date formatted with the picture (FormatDateTime); unchanged without
// one:
//   "/var/log/ev<yyyymmdd/>.log"  =>  "/var/log/ev20240229.log"
std::string ExpandLogFileNameDate(const std::string& fileName);

// Appends one entry when "Log Unusual Events" is on in the catalogue: with
// timeStamp, "<now in EventLogTimeFormat>: <message>"; a blank message as an
// empty line. Fills EventLogFileName and EventLogTimeFormat when they are
// empty. Never throws; a file that stays busy ends in a box that offers to
// switch logging off.
void LogUnusualEvent(const std::string& message, bool timeStamp);

// Appends message and CR LF to the file, holding it against other writers.
// A failed attempt n (1 to 5) waits n x 10 ms and tries again with the error
// added to history ("\r\n#n:    error"); the sixth failure shows the report.
void LogEvent(const std::string& message, const std::string& fileName, int attempt, const std::string& history);

// The message sent to the main form's window after each entry: WM_APP + 1004,
// wParam 2, lParam 0.
inline constexpr unsigned kEventLoggedMessage = 0x8000 + 1004;

// Sends a message to the main form's window; set while a main form that wants
// it exists, else empty (this program's main form takes no action on it).
using TWindowMessageSink = void (*)(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
extern TWindowMessageSink MainFormWindow;

}  // namespace quillbray
