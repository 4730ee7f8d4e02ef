// Private registry roots for the tests on Windows.
//
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process are mapped
// (RegOverridePredefKey) onto two fresh keys of the real current user,
//   HKEY_CURRENT_USER\Software\QuillbrayTests\<process id>-<n>\user and \machine,
// which go with the ScopedHives. Other processes, the programs a test starts
// among them, see the real roots.
//
// Before windows.h, whose REG_ and MB_ macros would otherwise rewrite the
// interfaces' constants.
#include "TestSupport.h"
#include "platform/Registry.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/RegKey.h"
#include "platform/win32/Wide.h"

namespace qbtest {
namespace {

using platform::win32::RegKey;

constexpr const wchar_t* kTestsKey = L"Software\\QuillbrayTests";

struct Mapping {
  std::wstring base;  // below the real HKEY_CURRENT_USER
  RegKey user;
  RegKey machine;
};

// The ScopedHives alive, innermost last: one that goes puts back the one it
// covered, so they nest.
std::vector<Mapping>& mappings() {
  static std::vector<Mapping> open;
  return open;
}

void check(LSTATUS rc, const std::string& what) {
  if (rc != ERROR_SUCCESS)
    throw std::runtime_error("private hives: " + what + ": " + platform::win32::errorText(static_cast<DWORD>(rc)));
}

// Maps both roots onto the keys, or back onto the real ones for nulls.
void mapRoots(HKEY user, HKEY machine) {
  check(::RegOverridePredefKey(HKEY_CURRENT_USER, user), "cannot map HKEY_CURRENT_USER");
  check(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine), "cannot map HKEY_LOCAL_MACHINE");
}

void mapInnermost() {
  if (mappings().empty()) mapRoots(nullptr, nullptr);
  else mapRoots(mappings().back().user.get(), mappings().back().machine.get());
}

RegKey createKey(const std::wstring& path) {
  RegKey key;
  check(::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          key.out(), nullptr),
        "cannot create " + platform::win32::narrow(path));
  return key;
}

}  // namespace

ScopedHives::ScopedHives() {
  static int made = 0;
  Mapping m;
  m.base = std::wstring(kTestsKey) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
  // Made in the real root, not inside an outer ScopedHives' keys, where they
  // would show among its values' keys.
  mapRoots(nullptr, nullptr);
  try {
    // Not volatile: a volatile key could hold no lasting sub-key, and the
    // registry makes lasting ones. A killed run leaves its keys behind.
    RegKey parent;
    check(::RegCreateKeyExW(HKEY_CURRENT_USER, kTestsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_CREATE_SUB_KEY,
                            nullptr, parent.out(), nullptr),
          "cannot create the tests' key");
    m.user = createKey(m.base + L"\\user");
    m.machine = createKey(m.base + L"\\machine");
  } catch (...) {
    mapInnermost();
    throw;
  }
  mappings().push_back(std::move(m));
  mapInnermost();
}

ScopedHives::~ScopedHives() {
  if (mappings().empty()) return;
  Mapping m = std::move(mappings().back());
  mappings().pop_back();
  try {
    mapRoots(nullptr, nullptr);  // the real root, to delete the keys from
    m.user.reset();
    m.machine.reset();
    const LSTATUS rc = ::RegDeleteTreeW(HKEY_CURRENT_USER, m.base.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
      ADD_FAILURE() << "private hives: cannot delete " << platform::win32::narrow(m.base) << ": "
                    << platform::win32::errorText(static_cast<DWORD>(rc));
    mapInnermost();
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

bool hiveUntouched(const ScopedHives&, platform::RegistryRoot root) {
  auto key = platform::registry().openKey(root, "", platform::KeyAccess::Read, false);
  return !key || (key->subKeyNames().empty() && key->valueNames().empty());
}

bool listsValuesSorted() {
  // Wine lists a key's values sorted by name; Windows in creation order.
  static const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

}  // namespace qbtest
