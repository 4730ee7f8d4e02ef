// A store over private hives, with helpers that look at the hives directly.
#pragma once

#include "TestSupport.h"
#include "platform/Registry.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"

namespace qbtest {

inline const std::string kLogsKey = std::string(quillbray::ProductKey) + "\\Logs";

inline platform::RegistryValue dword(std::uint32_t n) {
  return {platform::REG_DWORD, {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
}
inline platform::RegistryValue sz(const std::string& s) {
  platform::RegistryValue v{platform::REG_SZ, {s.begin(), s.end()}};
  v.data.push_back(0);
  return v;
}
inline platform::RegistryValue binary(std::vector<std::uint8_t> bytes) {
  return {platform::REG_BINARY, std::move(bytes)};
}

// Writes a value straight into a hive.
inline void seed(platform::RegistryRoot root, const std::string& key, const std::string& name,
                 const platform::RegistryValue& value) {
  platform::registry().openKey(root, key, platform::KeyAccess::ReadWrite, true)->setValue(name, value);
}

// A value as it stands in a hive; nothing when the key or the value is missing.
inline std::optional<platform::RegistryValue> stored(platform::RegistryRoot root, const std::string& key,
                                                     const std::string& name) {
  auto k = platform::registry().openKey(root, key, platform::KeyAccess::Read, false);
  return k ? k->queryValue(name) : std::nullopt;
}

constexpr auto HKCU = platform::RegistryRoot::CurrentUser;
constexpr auto HKLM = platform::RegistryRoot::LocalMachine;

class StoreTest : public ::testing::Test {
 protected:
  void TearDown() override {
    quillbray::PrefLocation = quillbray::plRegistry;
    quillbray::SetMachineWidePrefsReader(nullptr);
  }
  std::optional<platform::RegistryValue> user(const std::string& name, const std::string& key = kLogsKey) {
    return stored(HKCU, key, name);
  }
  std::optional<platform::RegistryValue> machine(const std::string& name, const std::string& key = kLogsKey) {
    return stored(HKLM, key, name);
  }
  // Opens the Logs key in the layered form.
  void openLayered() { ASSERT_TRUE(store.OpenPref(quillbray::cfgPerUserRoam, kLogsKey, true, false)); }

  ScopedHives hives;
  BoxRecorder boxes;
  quillbray::TConfigBase store;
};

}  // namespace qbtest
