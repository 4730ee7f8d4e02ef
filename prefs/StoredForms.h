// The stored form of each typed preference, as the registry keeps it. The
// single writes and the bulk writes both build their values here, so the two
// cannot store a value differently.
//   integer  REG_DWORD, 4 bytes little-endian
//   boolean  REG_DWORD 0 or 1
//   string   REG_SZ, the bytes and a closing zero byte
//   binary   REG_BINARY, the bytes as they are
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/Registry.h"

namespace quillbray {

platform::RegistryValue StoredInteger(std::int32_t value);
platform::RegistryValue StoredBoolean(bool value);
platform::RegistryValue StoredString(const std::string& value);
platform::RegistryValue StoredBinary(std::span<const std::uint8_t> data);

// The settings file keeps text only:
//   integer  decimal, "-" for negative numbers        -12
//   boolean  "1" or "0"
//   string   the text unchanged
//   binary   two upper-case hexadecimal digits a byte  00AB10
std::string UpperHexText(std::span<const std::uint8_t> data);
// The text the settings file keeps for a value in its stored form above.
std::string FileTextOf(const platform::RegistryValue& value);

}  // namespace quillbray
