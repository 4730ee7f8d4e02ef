// Writing a file that quillbray-reg exports: whole or not at all.
#pragma once

#include <string>

namespace quillbray {

// platform::replaceFile: written to a new file of a unique name beside
// fileName (never a file or link someone planted there), made durable and put
// in fileName's place in one step: the file is whole or untouched, also after
// a crash. On Linux it gets the mode a new file gets under the umask, as a
// shell redirection would give it.
void writeWhole(const std::string& fileName, const std::string& bytes);

// An existing file is replaced only with /y, by every verb that writes one
// (export KEY FILE, export-config), with or without a terminal: answers
// false, and says so on standard error, when it exists and overwrite is not
// given.
bool mayReplace(const std::string& fileName, bool overwrite);

}  // namespace quillbray
