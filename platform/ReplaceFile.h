// Writing a file whole or not at all.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes bytes to a new file of a unique name beside fileName (never a file
// or link someone planted there), makes it durable and puts it in
// fileName's place in one step: readers and a crash see the old file or the
// new one, never a part. The new file gets what a new file gets by default
// (on Linux the mode under the umask, as a shell redirection gives it; until
// it is in place it is 0600). Throws FileError (platform/Files.h) naming the
// file and the reason; the temporary file is gone then.
void replaceFile(const std::string& fileName, std::string_view bytes);

}  // namespace platform
