// Keys of the current user's root opened through the registry interface, for
// the registry's own tests on both systems and on the Linux hive files.
#pragma once

#include <memory>
#include <string>

#include "RegValues.h"
#include "TestSupport.h"
#include "platform/Registry.h"

namespace qbtest {

inline std::unique_ptr<platform::RegistryKey> openRw(const std::string& path, bool create = true) {
  return platform::registry().openKey(HKCU, path, platform::KeyAccess::ReadWrite, create);
}
inline std::unique_ptr<platform::RegistryKey> openRead(const std::string& path) {
  return platform::registry().openKey(HKCU, path, platform::KeyAccess::Read, false);
}

}  // namespace qbtest
