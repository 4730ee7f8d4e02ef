// A KEY of quillbray-reg as the settings file keeps it: the file of a data
// scope, and the section of a group.
//
// The file holds the product key and the keys below it, each as one section:
//   HKCU\Software\Corvellan\Quillbray 4                  [Quillbray]    per-user roaming file
//   HKCU\Software\Corvellan\Quillbray 4\Logs             [Logs]
//   HKLM\Software\Corvellan\Quillbray 4\$Unknown\My Group [$Unknown\My Group] machine file
// as the store puts a group's values, with the key below the product key as
// the group (the configuration import passes its group keys so).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "prefs/PrefLocation.h"

namespace quillbray {

// A KEY the settings file cannot hold: outside the product key, or the
// section of the product key's own values named as a key below it.
class NotInSettingsFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct StoreKey {
  platform::RegistryRoot root = platform::RegistryRoot::CurrentUser;
  TDataScope scope = cfgPerUserRoam;
  std::string group;  // the path below the product key; "" for the product key

  // "HKEY_CURRENT_USER\Software\Corvellan\Quillbray 4\Logs".
  std::string display() const;
  // The group's section: the group, or "Quillbray" for the product key.
  std::string section() const;
  // The key of this root and scope whose group is `group`.
  StoreKey withGroup(std::string group) const;
};

// HKCU keys select the per-user roaming file, or the non-roaming one when
// nonRoaming is set; HKLM keys the machine's file. Throws BadKeyName for a
// root the tool does not know, NotInSettingsFile for any other key, and
// UsageError for nonRoaming with an HKLM key.
StoreKey storeKeyOf(const std::string& key, bool nonRoaming);

// The sections among `sections` below the key's (every one but "Quillbray"
// below the product key), matched without regard to letter case, sorted by
// their folded names.
std::vector<std::string> sectionsBelow(const StoreKey& key, const std::vector<std::string>& sections);

// True when the key's own section is among `sections`.
bool hasSection(const StoreKey& key, const std::vector<std::string>& sections);

}  // namespace quillbray
