#include "import/ImportPlan.h"

#include <algorithm>
#include <cstdio>

#include "platform/Utf8.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"
#include "prefs/StoredForms.h"

namespace quillbray {
namespace {

using platform::RegistryRoot;
using platform::RegistryValue;

const char* rootName(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? "HKLM" : "HKCU"; }

std::uint32_t dword(const RegistryValue& v) {
  std::uint32_t n = 0;
  for (std::size_t i = 0; i < v.data.size() && i < 4; ++i) n |= std::uint32_t{v.data[i]} << (8 * i);
  return n;
}

// A stored value's data as a line shows it: 0x1e (30), "text", 0A1BFF.
std::string shownData(const RegistryValue& v) {
  switch (v.type) {
    case platform::REG_DWORD: {
      char text[40];
      std::snprintf(text, sizeof text, "0x%x (%d)", dword(v), static_cast<std::int32_t>(dword(v)));
      return text;
    }
    case platform::REG_SZ: {
      std::string s(v.data.begin(), v.data.end());
      s.resize(s.find('\0') == std::string::npos ? s.size() : s.find('\0'));
      return platform::quotedPrintable(s);
    }
    default: return UpperHexText(v.data);
  }
}

// REG_SZ ..., or "type 42" for one Windows does not name.
std::string typeLabel(std::uint32_t type) {
  const std::string_view name = platform::registryTypeName(type);
  return name.empty() ? "type " + std::to_string(type) : std::string(name);
}

std::string shownText(const std::string& text) { return platform::quotedPrintable(text); }

}  // namespace

// Where the open key's values would go, and what is stored there now.
struct ImportPlan::Place {
  std::string where;
  bool machineWide = false;
  // The registry: the key the value is read from first, and for a layered
  // opening the machine's key below it (either may be missing).
  std::unique_ptr<platform::RegistryKey> first, second;
  // A settings file.
  std::unique_ptr<platform::IniFile> file;
  std::string section;
};

ImportPlan::ImportPlan(std::ostream& out) : out_(out) {}
ImportPlan::~ImportPlan() = default;

void ImportPlan::Warn(const std::string& warning) {
  if (std::find(warnings.begin(), warnings.end(), warning) == warnings.end()) warnings.push_back(warning);
}

bool ImportPlan::Open(TDataScope scope, const std::string& groupKey) {
  place_ = std::make_unique<Place>();
  Place& p = *place_;
  const bool flag = CatalogueMachineWidePrefs();
  const std::string key = std::string(ProductKey) + (groupKey.empty() ? "" : "\\" + groupKey);
  const auto open = [&](RegistryRoot root) {
    return platform::registry().openKey(root, key, platform::KeyAccess::Read, false);
  };
  switch (PrefLocation) {
    case plRegistry:
    case plRegistryFlat: {
      // The write probe's answer, asked without writing: a machine-wide
      // opening lands in HKLM when this process may write it.
      p.machineWide =
          RegistryOpeningIsMachineWide(PrefLocation, scope) && platform::registry().mayWrite(RegistryRoot::LocalMachine);
      const RegistryRoot root = p.machineWide ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser;
      p.where = std::string(rootName(root)) + "\\" + key;
      p.first = open(root);
      if (undo) undo->Opened(root, key, p.first != nullptr);
      // The layered form reads the user's value first, then the machine's;
      // a machine hive it cannot read only means there are no machine values
      // (the import warns of it once, in a box).
      if (PrefLocation == plRegistry && !p.machineWide) {
        try {
          p.second = open(RegistryRoot::LocalMachine);
        } catch (const std::exception& e) {
          Warn(std::string("the machine-wide preferences could not be read; values are compared with your own only: ") +
               e.what());
        }
      }
      break;
    }
    case plFile:
    case plOnUSB: {
      p.machineWide = PrefLocation == plOnUSB || flag || scope == cfgPerMachine;
      const std::string folder = SettingsFolder(PrefLocation, scope, flag);
      if (folder.empty()) throw PrefError("no folder for the settings file of " + DataScopeName(scope));
      p.file = platform::openIniFile(folder + SettingsFileName);
      p.section = PrefSectionName(groupKey);
      p.where = p.file->fileName() + " [" + p.section + "]";
      break;
    }
  }
  return p.machineWide;
}

void ImportPlan::Value(ValueType, const platform::NamedValue& value) {
  Place& p = *place_;
  bool exists = false, differs = true;
  std::string shown;  // the data, and for a change the old data before it
  if (p.file) {
    const std::string text = FileTextOf(value.value);
    const auto stored = p.file->readString(p.section, value.name);
    exists = stored.has_value();
    differs = !exists || *stored != text;
    shown = exists && differs ? shownText(*stored) + " -> " + shownText(text) : shownText(text);
  } else {
    std::optional<RegistryValue> stored;
    if (p.first) stored = p.first->queryValue(value.name);
    if (undo) undo->Value(value.name, stored);
    if (!stored && p.second) stored = p.second->queryValue(value.name);
    exists = stored.has_value();
    differs = !exists || stored->type != value.value.type || stored->data != value.value.data;
    const std::string type = typeLabel(value.value.type);
    shown = type + " " + shownData(value.value);
    // The type is named once when it stays: REG_DWORD 0x3 (3) -> 0x5 (5).
    if (exists && differs)
      shown = stored->type == value.value.type
                  ? type + " " + shownData(*stored) + " -> " + shownData(value.value)
                  : typeLabel(stored->type) + " " + shownData(*stored) + " -> " + shown;
  }
  const char* status = !exists ? "new     " : differs ? "changed " : "same    ";
  (!exists ? added : differs ? changed : same) += 1;
  out_ << status << ' ' << platform::printable(p.where) << "  \"" << platform::printable(value.name) << "\" = "
       << shown << '\n';
}

}  // namespace quillbray
