// Letter case of the program's 8-bit (UTF-8) strings.
//
// Non-ASCII letters with a simple case mapping fold too (Ä and ä are one
// registry name). Bytes that are not valid UTF-8 are kept as they are. The
// mapping is the same whatever locale the process runs in, so names stored by
// one user compare the same for every other.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string upperCase(std::string_view utf8);
std::string lowerCase(std::string_view utf8);

// The spelling under which a registry name is compared: its upper-case form,
// as the Windows registry compares.
inline std::string foldName(std::string_view utf8) { return upperCase(utf8); }

}  // namespace platform
