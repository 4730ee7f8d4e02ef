#include "tools/RegKeyName.h"

#include "platform/Text.h"

namespace quillbray {

bool looksLikeRoot(const std::string& word) {
  const std::string up = platform::upperCase(word);
  if (up.rfind("HKEY_", 0) == 0) return true;
  if (up.size() < 3 || up.size() > 4 || up.compare(0, 2, "HK") != 0) return false;
  for (std::size_t i = 2; i < up.size(); ++i)
    if (up[i] < 'A' || up[i] > 'Z') return false;
  return true;
}

RegKeyName parseKeyName(const std::string& key) {
  const std::size_t slash = key.find('\\');
  const std::string word = key.substr(0, slash);
  const std::string up = platform::upperCase(word);
  RegKeyName name;
  if (up == "HKCU" || up == "HKEY_CURRENT_USER") {
    name.root = platform::RegistryRoot::CurrentUser;
  } else if (up == "HKLM" || up == "HKEY_LOCAL_MACHINE") {
    name.root = platform::RegistryRoot::LocalMachine;
  } else if (word.empty() && slash == std::string::npos) {
    throw BadKeyName("no key given: use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE) and a path");
  } else if (looksLikeRoot(word)) {
    throw BadKeyName("unknown root '" + word + "': use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)");
  } else {
    throw BadKeyName("the key '" + key +
                     "' does not begin with a root: use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)");
  }
  if (slash != std::string::npos) name.path = key.substr(slash + 1);
  return name;
}

}  // namespace quillbray
