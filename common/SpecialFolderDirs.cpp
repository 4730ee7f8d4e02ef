// The product's special folders: documents, desktop, temporary files and the
// all-users application data, with their portable forms and fall-backs.
#include "common/Globals.h"
#include "platform/PathRules.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/ShellFolders.h"
#include "platform/SystemFolders.h"
#include "prefs/ConfigBase.h"
#include "prefs/PrefLocation.h"

namespace quillbray {
namespace {

bool isBlank(const std::string& s) {
  for (const char c : s)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

std::string withSeparator(std::string folder) {
  return folder.empty() ? folder : platform::withTrailingSeparator(std::move(folder));
}

bool portable() { return PrefLocation == plOnUSB; }

// The registry value's text: a string value up to its terminating zero;
// anything else counts as missing.
std::string stringValue(const platform::RegistryValue& value) {
  if (value.type != platform::REG_SZ && value.type != platform::REG_EXPAND_SZ) return {};
  std::string text(value.data.begin(), value.data.end());
  return text.substr(0, text.find('\0'));
}

}  // namespace

std::string GetMyDocumentsDir() {
  if (portable()) return ExpandAppExeFolder(platform::nativePath("[AppExeFolder]\\Data\\Documents\\"));
  std::string dir = GetSpecialFolderDir(platform::CSIDL_PERSONAL);
  return isBlank(dir) ? platform::documentsFallback() : dir;
}

std::string GetDesktopDir() { return GetSpecialFolderDir(platform::CSIDL_DESKTOP); }

std::string GetTempDir() {
  if (portable()) return ExpandAppExeFolder(platform::nativePath("[AppExeFolder]\\Data\\Temp\\"));
  std::string dir = withSeparator(platform::tempPath());
  if (isBlank(dir)) dir = platform::tempFallback();
  return platform::expandFileName(dir);
}

std::string GetCommonAppDataDir() {
  if (portable()) return ExpandAppExeFolder(platform::nativePath("[AppExeFolder]..\\ProgramData\\"));
  std::string dir = GetSpecialFolderDir(platform::CSIDL_COMMON_APPDATA);
  return isBlank(dir) ? CommonAppDataFallback() : dir;
}

std::string CommonAppDataFallback() {
  std::string dir;
  try {
    auto key = platform::registry().openKey(platform::RegistryRoot::LocalMachine,
                                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                            platform::KeyAccess::Read, false);
    if (key)
      if (const auto value = key->queryValue("Common AppData")) dir = withSeparator(stringValue(*value));
  } catch (const std::exception&) {
    dir.clear();  // an unreadable hive is no answer: the fixed folder follows
  }
  return isBlank(dir) ? platform::commonAppDataFallback() : dir;
}

}  // namespace quillbray
