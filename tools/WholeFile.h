// Writing a file that quillbray-reg exports: whole or not at all.
#pragma once

#include <string>

namespace quillbray {

// Written to a new file of a unique name beside fileName (mkstemp: never a
// file or link someone planted there), made durable and renamed over
// fileName, then the folder synced: the file is whole or untouched, also
// after a crash. It gets the mode a new file gets under the umask, as a
// shell redirection would give it; until the rename it is 0600.
void writeWhole(const std::string& fileName, const std::string& bytes);

// An existing file is replaced only with /y, by every verb that writes one
// (export KEY FILE, export-config), with or without a terminal: answers
// false, and says so on standard error, when it exists and overwrite is not
// given.
bool mayReplace(const std::string& fileName, bool overwrite);

}  // namespace quillbray
