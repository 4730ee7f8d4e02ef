// The preference groups: every value of the catalogue belongs to one, stored
// in a sub-key of ProductKey (or a section of the settings file) of its name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "prefs/PrefLocation.h"

namespace quillbray {

// Group numbers, in the order of ConfigGroupNames. cgAll stands for every
// group when saving; cgProductKey is the product key itself. The type holds
// numbers beyond the table too, which name no group.
enum TConfigGroup : std::uint8_t {
  cgAll = 0,
  cgAdvOptions,
  cgActivation,
  cgAppearance,
  cgBackup,
  cgCustCommands,
  cgDelays,
  cgDialogs,
  cgDictionary,
  cgFiles,
  cgPersistentFiles,
  cgFilePaths,
  cgFonts,
  cgGeneral,
  cgLogs,
  cgWindows,
  cgMiscellaneous,
  cgMRU,
  cgNetwork,
  cgPrinter,
  cgStartup,
  cgUpdates,
  cgDontAsk,
  cgTemp,
  cgUnknown,
  cgEditor,
  cgMainWindow,
  cgProductKey,
};

// The group table: sub-key names below ProductKey, by TConfigGroup.
inline constexpr std::size_t kConfigGroupCount = 28;
extern const std::array<const char*, kConfigGroupCount> ConfigGroupNames;

// The scope the catalogue keeps a group in: cfgPerUserNonRoam for "File
// Paths" (paths of this machine), cfgPerUserRoam for every other group. Read
// from the group tables the save operations write with.
TDataScope CatalogueScope(TConfigGroup group);

// Value names the product shares with its dialogs; the catalogue writes none
// of them.
inline constexpr std::size_t kConfigValueCount = 7;
extern const std::array<const char*, kConfigValueCount> ConfigValueNames;

}  // namespace quillbray
