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

}  // namespace quillbray
