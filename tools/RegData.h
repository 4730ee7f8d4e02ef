// Value data as quillbray-reg's add and query write it: the /t type names,
// /d text to stored bytes, and stored bytes to query's text.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace quillbray {

constexpr std::uint32_t REG_MULTI_SZ = 7;
constexpr std::uint32_t REG_QWORD = 11;

// /d text that the /t type cannot hold: "'12x' is not a REG_DWORD number".
class BadValueData : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "REG_SZ" to 1 and so on, any letter case; nothing for a name that add does
// not take.
std::optional<std::uint32_t> addType(const std::string& name);

// "REG_SZ", "REG_DWORD"...; "REG_UNKNOWN(0x1f)" for a code without a name.
std::string typeName(std::uint32_t type);

// The bytes the hive keeps for /d text of the type: strings UTF-8 with a
// terminating zero; REG_MULTI_SZ items split at the two characters "\0", each
// with its zero, and a final zero; REG_DWORD and REG_QWORD decimal or 0x hex,
// little-endian; REG_BINARY hex digits, two for each byte.
platform::RegistryValue valueFromText(std::uint32_t type, const std::string& text);

// The data as query shows it: text without its zero, REG_MULTI_SZ items
// joined with "\0", 0x... numbers, hex digits for the rest.
std::string valueText(const platform::RegistryValue& value);

}  // namespace quillbray
