// The string types' data: the program's 8-bit (UTF-8) form beside the
// UTF-16LE that Windows keeps, converted as RegSetValueExA and
// RegQueryValueExA convert it (with UTF-8 for the ANSI code page).
#pragma once

// Before windows.h, whose REG_ macros would otherwise rewrite its constants.
#include "platform/Registry.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Utf8.h"

namespace platform::win32 {

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: the types whose data is text.
inline bool isTextType(std::uint32_t type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == 7; }

// The bytes to store for a value; text must be UTF-8 (nothing else could be
// read back as it was written), else nothing is answered.
inline std::optional<std::vector<BYTE>> storedBytes(const RegistryValue& value) {
  if (!isTextType(value.type)) return value.data;
  const std::string_view text(reinterpret_cast<const char*>(value.data.data()), value.data.size());
  if (!isUtf8(text)) return std::nullopt;
  std::vector<BYTE> out;
  if (text.empty()) return out;
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(n));
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
  out.resize(wide.size() * sizeof(wchar_t));
  std::memcpy(out.data(), wide.data(), out.size());
  return out;
}

// A stored value in the program's form. Text is UTF-16LE; an odd last byte
// is not part of it (RegQueryValueExA drops it too), and a lone surrogate
// reads as U+FFFD.
inline RegistryValue programValue(DWORD type, const BYTE* data, std::size_t size) {
  RegistryValue v{type, {}};
  if (!isTextType(type)) {
    v.data.assign(data, data + size);
    return v;
  }
  std::vector<wchar_t> wide(size / sizeof(wchar_t));
  if (wide.empty()) return v;
  std::memcpy(wide.data(), data, wide.size() * sizeof(wchar_t));
  const int units = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  v.data.resize(static_cast<std::size_t>(n));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, reinterpret_cast<char*>(v.data.data()), n, nullptr, nullptr);
  return v;
}

}  // namespace platform::win32
