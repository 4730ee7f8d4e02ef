#include "prefs/PrefLocation.h"

#include <utility>

#include "platform/Text.h"

namespace quillbray {
namespace {

constexpr std::pair<const char*, TPrefLocation> kOptionNames[] = {
    {"registry", plRegistry},
    {"flat", plRegistryFlat},
    {"file", plFile},
    {"usb", plOnUSB},
};

}  // namespace

TPrefLocation PrefLocation = plRegistry;

std::string PrefLocationName(TPrefLocation location) {
  return location < PrefLocationNames.size() ? PrefLocationNames[location] : "";
}

std::string DataScopeName(TDataScope scope) {
  static constexpr const char* kNames[] = {"cfgPerUserRoam", "cfgPerUserNonRoam", "cfgPerMachine"};
  return scope < std::size(kNames) ? kNames[scope] : "";
}

std::optional<TPrefLocation> PrefLocationFromOptionName(const std::string& name) {
  const std::string lower = platform::lowerCase(name);
  for (const auto& [text, location] : kOptionNames)
    if (lower == text) return location;
  return std::nullopt;
}

const char* PrefLocationOptionName(TPrefLocation location) {
  for (const auto& [text, l] : kOptionNames)
    if (l == location) return text;
  return "";
}

}  // namespace quillbray
