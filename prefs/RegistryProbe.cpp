// The registry write probe.
#include "prefs/ConfigBase.h"

namespace quillbray {

bool CanWriteRegistryKey(const std::string& Key, platform::RegistryRoot Root) {
  static const std::string kProbeValue = "amdk328wlskdjf";
  try {
    if (auto key = platform::registry().openKey(Root, Key, platform::KeyAccess::ReadWrite, false)) {
      bool written = true;
      try {
        key->setValue(kProbeValue, {platform::REG_DWORD, {0, 0, 0, 0}});
        key->deleteValue(kProbeValue);
      } catch (const std::exception&) {
        written = false;
      }
      // The trial write and its deletion leave nothing to keep.
      key->discard();
      return written;
    }
    // The key stays created: the opening that follows uses it.
    auto created = platform::registry().openKey(Root, Key, platform::KeyAccess::ReadWrite, true);
    if (!created) return false;
    created->close();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace quillbray
