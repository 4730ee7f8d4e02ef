// A KEY argument of quillbray-reg: a root and the path below it.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/Registry.h"

namespace quillbray {

// A KEY that does not begin with a root the tool knows, or names no root at all.
class BadKeyName : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegKeyName {
  platform::RegistryRoot root = platform::RegistryRoot::CurrentUser;
  std::string path;  // below the root, "" for the root itself
};

// True when word (the text before the first "\") is written as a root would
// be: "HKEY_..." or "HK" and one or two letters (HKCU, HKCR, HKU...).
bool looksLikeRoot(const std::string& word);

// "HKCU\Software\X", "HKEY_LOCAL_MACHINE", "hklm\a" (root names in any letter
// case). Throws BadKeyName for any other root, or for a KEY without one:
// "unknown root 'HKCC': use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)".
RegKeyName parseKeyName(const std::string& key);

}  // namespace quillbray
