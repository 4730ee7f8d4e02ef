// The settings-file locations: where "Quillbray.ini" lives, and its opening
// and closing.
#include "common/Globals.h"
#include "platform/PathRules.h"
#include "platform/Paths.h"
#include "platform/ProgramFile.h"
#include "platform/ShellFolders.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"

namespace quillbray {
namespace {

// The accessor of this file kept by the batch, or a new one.
std::unique_ptr<platform::IniFile> accessorFor(std::vector<std::unique_ptr<platform::IniFile>>& batched,
                                               const std::string& fileName) {
  for (auto it = batched.begin(); it != batched.end(); ++it) {
    if ((*it)->fileName() != fileName) continue;
    auto file = std::move(*it);
    batched.erase(it);
    return file;
  }
  return platform::openIniFile(fileName);
}

}  // namespace

std::string PrefSectionName(const std::string& group) {
  if (!group.empty()) return group;
  const std::string product = ProductBaseName;
  return product.empty() ? "Main Program Settings" : product;
}

std::string GetShellFolderPath(int csidl) {
  const std::string folder = platform::shellFolder(csidl);
  return folder.empty() ? folder : platform::withTrailingSeparator(folder);
}

std::vector<std::string> NamesWithinBuffer(const std::vector<std::string>& names) {
  std::vector<std::string> fitting;
  std::size_t used = 0;
  for (const std::string& name : names) {
    used += name.size() + 1;
    if (used > kSectionNamesBufferBytes - 1) break;
    fitting.push_back(name);
  }
  return fitting;
}

std::string SettingsFolder(TPrefLocation location, TDataScope scope, bool machineWide) {
  if (location == plOnUSB) {
    const std::string program = platform::programFilePath();
    return program.empty() ? "" : platform::extractFilePath(program);
  }
  int csidl = 0;
  if (machineWide || scope == cfgPerMachine) csidl = platform::CSIDL_COMMON_APPDATA;
  else if (scope == cfgPerUserRoam) csidl = platform::CSIDL_APPDATA;
  else if (scope == cfgPerUserNonRoam) csidl = platform::CSIDL_LOCAL_APPDATA;
  else return "";
  const std::string shell = GetShellFolderPath(csidl);
  return shell.empty() ? "" : shell + platform::nativePath(SettingsSubFolder);
}

bool TConfigBase::OpenPref_File(TDataScope scope) {
  MachineWide = CatalogueMachineWidePrefs();
  PrefSlots = FilePrefSet(*this);
  try {
    const std::string folder = SettingsFolder(plFile, scope, MachineWide);
    if (folder.empty()) return false;
    IniFolder = folder;
    ForceDirectoriesEx(IniFolder);  // a failure shows at the first write
    IniFileName = SettingsFileName;
    IniFile = accessorFor(batchedIniFiles_, IniFolder + IniFileName);
    return true;
  } catch (...) {
    return false;
  }
}

bool TConfigBase::OpenPref_USB() {
  MachineWide = true;
  PrefSlots = FilePrefSet(*this);
  try {
    const std::string folder = SettingsFolder(plOnUSB, cfgPerMachine, true);
    if (folder.empty()) return false;
    IniFolder = folder;
    IniFileName = SettingsFileName;
    IniFile = accessorFor(batchedIniFiles_, IniFolder + IniFileName);
    return true;
  } catch (...) {
    return false;
  }
}

void TConfigBase::ClosePref_File() {
  IniFolder.clear();
  auto file = std::move(IniFile);
  if (!file) return;
  if (fileBatchDepth_ > 0) {
    batchedIniFiles_.push_back(std::move(file));  // written when the batch ends
    return;
  }
  file->flush();
}

std::string TConfigBase::flushBatchedIniFiles() {
  std::string failures;
  for (auto& file : batchedIniFiles_) {
    try {
      file->flush();
    } catch (const std::exception& e) {
      failures += std::string("\r\n") + e.what();
    }
  }
  return failures;
}

}  // namespace quillbray
