// Folders: existence and creation of one level, with the system's error.
#pragma once

#include <string>

namespace platform {

// True when path names a folder (following links).
bool folderExists(const std::string& path);

// Creates the one folder path names; its parent must exist. Answers 0, or the
// system's error code when the folder could not be created (one that another
// process created meanwhile counts as created).
int createFolder(const std::string& path);

// The system's message for an error code, as it stands ("No such file or
// directory").
std::string systemErrorText(int code);

}  // namespace platform
