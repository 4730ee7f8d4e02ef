// Registry values, roots and .reg file bytes for the tests, without a store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "tools/RegFileText.h"

namespace qbtest {

inline platform::RegistryValue dword(std::uint32_t n) {
  return {platform::REG_DWORD, {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
}
inline platform::RegistryValue sz(const std::string& s) {
  platform::RegistryValue v{platform::REG_SZ, {s.begin(), s.end()}};
  v.data.push_back(0);
  return v;
}
inline platform::RegistryValue binary(std::vector<std::uint8_t> bytes) {
  return {platform::REG_BINARY, std::move(bytes)};
}

constexpr auto HKCU = platform::RegistryRoot::CurrentUser;
constexpr auto HKLM = platform::RegistryRoot::LocalMachine;

inline platform::RegistryValue typed(std::uint32_t type, std::vector<std::uint8_t> data) { return {type, std::move(data)}; }

// A version 5 file's bytes: UTF-16LE with its byte-order mark.
inline std::string utf16(const std::string& utf8) {
  const auto units = quillbray::utf8ToUtf16le(utf8);
  return "\xFF\xFE" + std::string(units.begin(), units.end());
}

}  // namespace qbtest
