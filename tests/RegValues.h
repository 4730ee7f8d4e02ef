// Registry values and .reg file bytes for the reg tool's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "tools/RegFileText.h"

namespace qbtest {

inline platform::RegistryValue typed(std::uint32_t type, std::vector<std::uint8_t> data) { return {type, std::move(data)}; }

// A version 5 file's bytes: UTF-16LE with its byte-order mark.
inline std::string utf16(const std::string& utf8) {
  const auto units = quillbray::utf8ToUtf16le(utf8);
  return "\xFF\xFE" + std::string(units.begin(), units.end());
}

}  // namespace qbtest
