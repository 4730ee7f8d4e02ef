// The folders the system names beside the shell's special folders: the
// temporary-files folder and the account's home folder.
#pragma once

#include <string>

namespace platform {

// GetTempPathA's stand-in: $TMPDIR as it stands (not checked, no "/"
// appended), or empty when it is unset.
std::string tempPath();

// The home folder of the process's account in the password database, ending
// with "/" ("/home/me/"); empty when the account has no entry or its home is
// not an absolute path. HOME is not consulted.
std::string accountHomeFolder();

}  // namespace platform
