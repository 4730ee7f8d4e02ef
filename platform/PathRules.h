// How this system writes paths, for the core's folder rules.
//
// The core writes its path literals the Windows way ("[AppExeFolder]\Data\Temp\",
// "Corvellan\Quillbray 4\"), as the stored formats have them, and lets these
// rules turn them into this system's form.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The separator this system puts between folders: "/" on Linux, "\" on Windows.
char pathSeparator();

// Whether c ends a folder's name in a path: "/" on Linux; "\" and "/" on
// Windows, whose file routines take both.
bool isPathSeparator(char c);

// A path literal written the Windows way, in this system's form: every "\"
// becomes pathSeparator() ("Corvellan\Quillbray 4\" => "Corvellan/Quillbray 4/"
// on Linux, unchanged on Windows).
std::string nativePath(std::string_view windowsPath);

// The folder with pathSeparator() appended unless it ends with it; an empty
// folder gets it too ("" => "/" or "\": the root).
std::string withTrailingSeparator(std::string folder);

// The fixed folders used when the system names none, each ending with the
// separator:
//   documents   Windows "C:\My Documents\"; Linux the account's home folder
//               from the password database + "Documents/", else "/Documents/"
//   temporary   Windows "C:\Temp\"; Linux "/tmp/"
//   all users   Windows "C:\Documents and Settings\All Users\Application Data\";
//               Linux "/etc/xdg/", where XDG looks when nothing is named
std::string documentsFallback();
std::string tempFallback();
std::string commonAppDataFallback();

// The text of a stored path value that lies around expanded path tokens, in
// this system's form. Values are stored with "\" separators: on Linux each
// "\" becomes "/"; on Windows the text stays as it is.
std::string textAroundTokens(std::string text);

// Whether a folder, found inside a path, stands for no folder of its own: an
// empty one, and on Linux the root "/", which begins every absolute path.
bool namesNoFolder(std::string_view folder);

// Whether a folder path (its trailing separator removed) counts as present
// without being looked at, when missing folders are created: on Linux the
// empty path (the root once its "/" is gone); on Windows any path of fewer
// than three characters ("C:", "\", "ab").
bool countsAsPresent(std::string_view folder);

}  // namespace platform
