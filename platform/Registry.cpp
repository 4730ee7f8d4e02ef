#include "platform/Registry.h"

#include <utility>

#include "platform/Utf8.h"

namespace platform {
namespace {

constexpr std::pair<std::string_view, std::uint32_t> kTypeNames[] = {
    {"REG_NONE", 0},       {"REG_SZ", 1},     {"REG_EXPAND_SZ", 2},          {"REG_BINARY", 3},
    {"REG_DWORD", 4},      {"REG_DWORD_BIG_ENDIAN", 5}, {"REG_LINK", 6},    {"REG_MULTI_SZ", 7},
    {"REG_RESOURCE_LIST", 8}, {"REG_FULL_RESOURCE_DESCRIPTOR", 9}, {"REG_RESOURCE_REQUIREMENTS_LIST", 10},
    {"REG_QWORD", 11},
};
Registry* installed = nullptr;
}

Registry& registry() { return installed ? *installed : platformRegistry(); }

ScopedRegistry::ScopedRegistry(Registry& r) : previous_(installed) { installed = &r; }
ScopedRegistry::~ScopedRegistry() { installed = previous_; }

std::string_view registryTypeName(std::uint32_t type) {
  for (const auto& [name, code] : kTypeNames)
    if (code == type) return name;
  return {};
}

std::optional<std::uint32_t> registryTypeNamed(std::string_view name) {
  for (const auto& [text, code] : kTypeNames)
    if (text == name) return code;
  return std::nullopt;
}

void RegistryKey::setValues(std::span<const NamedValue> values) {
  for (const NamedValue& v : values) checkValueName(v.name);
  for (const NamedValue& v : values) setValue(v.name, v.value);
}

void RegistryKey::setUtf16Value(std::string_view name, std::uint32_t, std::span<const std::uint8_t>) {
  throw RegistryError("cannot write value '" + printable(untilNul(name)) +
                      "' as UTF-16 bytes: this registry keeps text as UTF-8");
}

std::size_t windowsLength(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(utf8, i, cp);
    units += cp >= 0x10000 && len == 4 ? 2 : 1;  // outside the BMP: a surrogate pair
    i += len ? len : 1;
  }
  return units;
}

std::string_view untilNul(std::string_view name) { return name.substr(0, name.find('\0')); }

std::vector<std::string_view> splitKeyPath(std::string_view path, std::size_t depth) {
  path = untilNul(path);
  std::vector<std::string_view> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (!name.empty()) {
      if (windowsLength(name) > kMaxKeyNameLength)
        throw RegistryError("key name too long (over 255 characters): '" +
                            std::string(name.substr(0, 40)) + "...'");
      names.push_back(name);
      if (depth + names.size() > kMaxKeyDepth)
        throw RegistryError("key path too deep (more than " + std::to_string(kMaxKeyDepth) +
                            " levels below the root)");
    }
    start = end + 1;
  }
  return names;
}

void checkValueName(std::string_view name) {
  name = untilNul(name);
  if (windowsLength(name) > kMaxValueNameLength)
    throw RegistryError("value name too long (over 16383 characters): '" +
                        std::string(name.substr(0, 40)) + "...'");
}

}  // namespace platform
