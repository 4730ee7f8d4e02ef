#include "prefs/StoredForms.h"

namespace quillbray {

platform::RegistryValue StoredInteger(std::int32_t value) {
  const auto n = static_cast<std::uint32_t>(value);
  return {platform::REG_DWORD,
          {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
}

platform::RegistryValue StoredBoolean(bool value) { return StoredInteger(value ? 1 : 0); }

platform::RegistryValue StoredString(const std::string& value) {
  platform::RegistryValue v{platform::REG_SZ, {}};
  v.data.reserve(value.size() + 1);
  v.data.assign(value.begin(), value.end());
  v.data.push_back(0);
  return v;
}

platform::RegistryValue StoredBinary(std::span<const std::uint8_t> data) {
  return {platform::REG_BINARY, std::vector<std::uint8_t>(data.begin(), data.end())};
}

std::string UpperHexText(std::span<const std::uint8_t> data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(data.size() * 2);
  for (const std::uint8_t b : data) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::string FileTextOf(const platform::RegistryValue& value) {
  const auto& d = value.data;
  switch (value.type) {
    case platform::REG_DWORD: {
      std::uint32_t n = 0;
      for (std::size_t i = 0; i < d.size() && i < 4; ++i) n |= std::uint32_t{d[i]} << (8 * i);
      return std::to_string(static_cast<std::int32_t>(n));
    }
    case platform::REG_SZ: return std::string(d.begin(), d.empty() ? d.end() : d.end() - 1);
    default: return UpperHexText(d);
  }
}

}  // namespace quillbray
