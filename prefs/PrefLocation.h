// Where preferences live, and the data scopes of an opening.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quillbray {

enum TPrefLocation : std::uint8_t {
  plRegistry = 0,      // registry, per-user values layered over machine-wide ones
  plFile = 1,          // "Quillbray.ini" in an application-data folder
  plOnUSB = 2,         // "Quillbray.ini" beside the program file (portable)
  plRegistryFlat = 3,  // registry, one root, no layering
};

enum TDataScope : std::uint8_t {
  cfgPerUserRoam = 0,
  cfgPerUserNonRoam = 1,
  cfgPerMachine = 2,
};

// The process's preference location; nothing in the program changes it.
extern TPrefLocation PrefLocation;

// Display names of the first three locations; plRegistryFlat has none.
inline constexpr std::array<const char*, 3> PrefLocationNames = {"Registry", "File", "On USB"};

// "Registry", "File", "On USB", or empty for any other location.
std::string PrefLocationName(TPrefLocation location);

// The names both programs' --location option takes, in any letter case:
//   "registry" plRegistry   "flat" plRegistryFlat   "file" plFile   "usb" plOnUSB
std::optional<TPrefLocation> PrefLocationFromOptionName(const std::string& name);
const char* PrefLocationOptionName(TPrefLocation location);

// "cfgPerUserRoam", "cfgPerUserNonRoam", "cfgPerMachine", or empty.
std::string DataScopeName(TDataScope scope);

}  // namespace quillbray
