#include "prefs/PrefLocation.h"

namespace quillbray {

TPrefLocation PrefLocation = plRegistry;

std::string PrefLocationName(TPrefLocation location) {
  return location < PrefLocationNames.size() ? PrefLocationNames[location] : "";
}

std::string DataScopeName(TDataScope scope) {
  static constexpr const char* kNames[] = {"cfgPerUserRoam", "cfgPerUserNonRoam", "cfgPerMachine"};
  return scope < std::size(kNames) ? kNames[scope] : "";
}

}  // namespace quillbray
