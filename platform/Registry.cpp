#include "platform/Registry.h"

#include "platform/Utf8.h"

namespace platform {
namespace {
Registry* installed = nullptr;
}

Registry& registry() { return installed ? *installed : platformRegistry(); }

ScopedRegistry::ScopedRegistry(Registry& r) : previous_(installed) { installed = &r; }
ScopedRegistry::~ScopedRegistry() { installed = previous_; }

void RegistryKey::setValues(std::span<const NamedValue> values) {
  for (const NamedValue& v : values) checkValueName(v.name);
  for (const NamedValue& v : values) setValue(v.name, v.value);
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
