// Value data as quillbray-reg's add and query write it: the /t type names,
// /d text to stored bytes, and stored bytes to query's text.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace quillbray {

constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::uint32_t REG_QWORD = 11;

// /d text that the /t type cannot hold: "'12x' is not a REG_DWORD number".
class BadValueData : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "REG_SZ" to 1 and so on, any letter case; nothing for a name that add does
// not take. REG_DWORD_LITTLE_ENDIAN is REG_DWORD (4), as Windows defines it.
std::optional<std::uint32_t> addType(const std::string& name);

// "REG_SZ", "REG_DWORD"...; "REG_UNKNOWN(0x1f)" for a code without a name.
std::string typeName(std::uint32_t type);

// The bytes the hive keeps for /d text of the type, as reg.exe stores them:
// strings UTF-8 with a terminating zero; REG_MULTI_SZ items split at
// `separator` (add's /s; the two characters "\0" when empty), each with its
// zero, and a final zero: an empty item is refused, one closing separator
// ends the last item, a separator alone is one empty item; REG_DWORD,
// REG_DWORD_BIG_ENDIAN (little-endian, as reg.exe stores it) and REG_QWORD
// decimal or 0x hex (a REG_QWORD also "-N", in two's complement); REG_NONE
// the text as UTF-16LE with a terminating zero (the hive keeps no type's
// text for it); REG_BINARY hex digits, two for each byte, an odd count with
// a leading 0.
platform::RegistryValue valueFromText(std::uint32_t type, const std::string& text, const std::string& separator = "");

// The data as query shows it: text up to its first zero (as reg.exe shows
// it), REG_MULTI_SZ items joined with "\0", 0x... numbers (both dwords
// read little-endian, as reg.exe reads them), hex digits for the rest.
std::string valueText(const platform::RegistryValue& value);

}  // namespace quillbray
