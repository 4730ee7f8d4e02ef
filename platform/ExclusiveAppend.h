// Appending an entry to a shared text file, such as the event log.
#pragma once

#include <string>
#include <string_view>

#include "platform/Files.h"

namespace platform {

// Appends text to the file at path, creating a missing file. While the text is
// written no other writer that uses this function has the file (others may
// still read it); a file another writer holds now is a failure, not a wait.
// The file is opened and closed within the call, also when it fails. Throws
// FileError with the reason:
//   Cannot open file "/x/ev.log": the file is in use by another process
//   Cannot open file "/x/no/ev.log": No such file or directory
//   Cannot open file "/x/dir": not a regular file
//   Cannot write to file "/x/ev.log": No space left on device
void appendExclusive(const std::string& path, std::string_view text);

}  // namespace platform
