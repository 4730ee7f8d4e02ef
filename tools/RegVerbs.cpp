#include "tools/RegVerbs.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

#include "import/ConfigSchema.h"
#include "import/ExportConfig.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Utf8.h"
#include "tools/RegArgs.h"
#include "tools/RegCodePage.h"
#include "tools/RegConfirm.h"
#include "tools/RegData.h"
#include "tools/RegExport.h"
#include "tools/RegFileText.h"
#include "tools/RegImport.h"
#include "tools/RegKeyName.h"
#include "tools/WholeFile.h"

namespace quillbray {
namespace {

using platform::KeyAccess;
using platform::RegistryKey;

constexpr const char* kDefaultNotSet = "    (Default)    REG_SZ    (value not set)\n";

// The key's name for messages and query: the root's long name and the path's
// names, without doubled or trailing "\".
std::string displayName(const RegKeyName& key) {
  std::string name = rootName(key.root);
  for (std::string_view part : platform::splitKeyPath(key.path)) (name += '\\') += part;
  return name;
}

std::unique_ptr<RegistryKey> openExisting(const RegKeyName& key, KeyAccess access) {
  platform::splitKeyPath(key.path);  // a name or depth beyond the limits is reported as such
  return platform::registry().openKey(key.root, key.path, access, false);
}

int noSuchKey(const RegKeyName& key) {
  std::cerr << "quillbray-reg: no such key: " << displayName(key) << " (in hive '"
            << platform::registry().location(key.root) << "')\n";
  return 1;
}

void printValue(const std::string& name, const platform::RegistryValue& value) {
  std::cout << "    " << valueLabel(name) << "    " << typeName(value.type) << "    " << valueText(value) << '\n';
}

// The key's name, its values and a blank line, as reg.exe prints them: a key
// without values only where /s walks below the key asked for.
std::size_t printValues(RegistryKey& key, const std::string& name, bool evenWithout) {
  std::vector<std::pair<std::string, platform::RegistryValue>> values;
  for (const std::string& v : key.valueNames())
    if (auto value = key.queryValue(v)) values.emplace_back(v, std::move(*value));
  if (values.empty() && !evenWithout) return 0;
  std::cout << name << '\n';
  for (const auto& [v, value] : values) printValue(v, value);
  std::cout << '\n';
  return values.size();
}

// /s: the key's values (or the one asked for), then each sub-key the same
// way. Answers the number of values shown.
std::size_t queryTree(RegistryKey& key, const std::string& name, const std::optional<std::string>& only,
                      std::size_t depth, bool below) {
  std::size_t shown = 0;
  if (only) {
    if (auto value = key.queryValue(*only)) {
      std::cout << name << '\n';
      printValue(*only, *value);
      std::cout << '\n';
      ++shown;
    }
  } else {
    shown += printValues(key, name, below);
  }
  if (depth >= platform::kMaxKeyDepth) return shown;
  for (const std::string& sub : key.subKeyNames())
    if (auto child = key.openChild(sub)) shown += queryTree(*child, name + "\\" + sub, only, depth + 1, true);
  return shown;
}

}  // namespace

std::string valueLabel(const std::string& name) { return name.empty() ? "(Default)" : name; }

int reportLeftOut(const std::vector<std::string>& leftOut) {
  for (const std::string& line : leftOut) std::cerr << "quillbray-reg: left out: " << line << '\n';
  return leftOut.empty() ? 0 : 1;
}

int queryVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /v /ve /s ");
  if (a.words.size() != 1) throw UsageError("query takes one KEY");
  const RegKeyName key = parseKeyName(a.words[0]);
  std::optional<std::string> only = a.v;
  if (a.ve) only = "";
  if (only) platform::checkValueName(*only);
  auto k = openExisting(key, KeyAccess::Read);
  const std::string name = displayName(key);
  if (!k && !platform::splitKeyPath(key.path).empty()) return noSuchKey(key);
  std::cout << '\n';
  if (!k) {  // a root always exists, also in a hive without a file
    if (only && !only->empty()) {
      std::cerr << "quillbray-reg: the key " << name << " has no value " << valueLabel(*only) << '\n';
      return 1;
    }
    if (only) std::cout << name << '\n' << kDefaultNotSet << '\n';
    return 0;
  }
  if (a.s) {
    const std::size_t shown = queryTree(*k, name, only, platform::splitKeyPath(key.path).size(), false);
    if (only) std::cout << "End of search: " << shown << " match(es) found.\n";
    return only && shown == 0 ? 1 : 0;
  }
  if (only) {
    auto value = k->queryValue(*only);
    if (!value && only->empty()) {  // every key has a default value, set or not, as reg.exe shows it
      std::cout << name << '\n' << kDefaultNotSet << '\n';
      return 0;
    }
    if (!value) {
      std::cerr << "quillbray-reg: the key " << name << " has no value " << valueLabel(*only) << '\n';
      return 1;
    }
    std::cout << name << '\n';
    printValue(*only, *value);
    std::cout << '\n';
    return 0;
  }
  printValues(*k, name, false);
  for (const std::string& sub : k->subKeyNames()) std::cout << name << '\\' << sub << '\n';
  return 0;
}

int addVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /v /ve /t /d /s= /f ");
  if (a.words.size() != 1) throw UsageError("add takes one KEY");
  const RegKeyName key = parseKeyName(a.words[0]);
  // reg.exe writes no value into a root, and takes one "\" at the end of a
  // path but no empty key name ("KEY\\", "A\\B").
  if (platform::splitKeyPath(key.path).empty())
    throw std::runtime_error("invalid system key " + displayName(key) + ": a value cannot be written into a root");
  const std::string_view path = std::string_view(key.path).substr(0, key.path.size() - (key.path.ends_with('\\') ? 1 : 0));
  if (path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos)
    throw std::runtime_error("invalid key name '" + a.words[0] + "': it holds an empty key name");
  // Without /v the default value, an empty REG_SZ without /t and /d, as reg.exe sets it.
  const std::string name = a.v.value_or("");
  std::uint32_t type = platform::REG_SZ;
  if (a.t) {
    const auto t = addType(*a.t);
    if (!t)
      throw UsageError("unknown type '" + *a.t +
                       "': use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_DWORD_BIG_ENDIAN, "
                       "REG_DWORD_LITTLE_ENDIAN, REG_QWORD, REG_BINARY or REG_NONE");
    type = *t;
  }
  if (a.sep) {
    char32_t cp = 0;
    if (a.sep->empty() || platform::decodeUtf8(*a.sep, 0, cp) != a.sep->size())
      throw UsageError("/s takes one character, the separator of REG_MULTI_SZ items");
  }
  platform::checkValueName(name);
  // A REG_QWORD without /d is 0, as reg.exe stores it.
  const std::string data = a.d ? *a.d : type == REG_QWORD ? "0" : "";
  const platform::RegistryValue value = valueFromText(type, data, a.sep.value_or(""));
  if (!a.f) {
    bool exists = false;
    if (auto k = openExisting(key, KeyAccess::Read)) {
      exists = k->queryValue(name).has_value();
      k->close();
    }
    if (exists && !confirm("Value " + valueLabel(name) + " exists, overwrite",
                           "the value " + valueLabel(name) + " of " + displayName(key) +
                               " exists; nothing was changed (use /f to overwrite it)"))
      return 1;
  }
  auto k = platform::registry().openKey(key.root, key.path, KeyAccess::ReadWrite, true);
  k->setValue(name, value);
  k->close();
  std::cout << kDone;
  return 0;
}

int deleteVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /v /ve /va /f ");
  if (a.words.size() != 1) throw UsageError("delete takes one KEY");
  const RegKeyName key = parseKeyName(a.words[0]);
  std::optional<std::string> name = a.v;
  if (a.ve) name = "";
  if (name) platform::checkValueName(*name);
  const std::string display = displayName(key);
  if (!name && !a.va && platform::splitKeyPath(key.path).empty()) {
    std::cerr << "quillbray-reg: a root cannot be deleted: " << display << '\n';
    return 1;
  }
  {
    auto k = openExisting(key, KeyAccess::Read);
    if (!k) return noSuchKey(key);
    if (name && !k->queryValue(*name)) {
      std::cerr << "quillbray-reg: the key " << display << " has no value " << valueLabel(*name) << '\n';
      return 1;
    }
    k->close();
  }
  const std::string question = name ? "Delete the registry value " + valueLabel(*name)
                               : a.va ? "Delete all values under the registry key " + display
                                      : "Permanently delete the registry key " + display;
  if (!a.f && !confirm(question, "nothing was deleted: use /f to delete without asking")) return 1;
  auto k = platform::registry().openKey(key.root, key.path, KeyAccess::ReadWrite, false);
  if (!k) return noSuchKey(key);  // deleted meanwhile
  if (name) {
    k->deleteValue(*name);
  } else if (a.va) {
    for (const std::string& v : k->valueNames()) k->deleteValue(v);
  } else {
    k->openFromRoot("", false)->deleteSubKeyTree(key.path);
  }
  k->close();
  std::cout << kDone;
  return 0;
}

int exportVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /y ");
  const auto& w = a.words;
  if (w.empty() || w.size() > 2) throw UsageError("export takes KEY and FILE (FILE - or none: the text on standard output)");
  // export KEY, or FILE "-": UTF-8 text on standard output. Two words are
  // always KEY FILE, as in reg.exe; a write to a file named "-" is ./-.
  if (w.size() == 1 || w[1] == "-") {
    if (a.y) throw UsageError("/y goes with export KEY FILE");
    RegKeyName key;
    const std::string first = w[0].substr(0, w[0].find('\\'));
    if (looksLikeRoot(first)) key = parseKeyName(w[0]);
    else key.path = w[0];  // a key below HKEY_CURRENT_USER
    const std::vector<std::string> leftOut = exportRegText(std::cout, key.root, key.path);
    if (!std::cout.flush()) throw std::runtime_error("cannot write the exported text");
    return reportLeftOut(leftOut);
  }
  const RegKeyName key = parseKeyName(w[0]);
  const std::string& file = w[1];
  if (!mayReplace(file, a.y)) return 1;
  std::ostringstream text;
  const std::vector<std::string> leftOut = exportRegText(text, key.root, key.path);
  writeWhole(file, regFileBytes(text.str()));
  if (!leftOut.empty()) return reportLeftOut(leftOut);
  std::cout << kDone;
  return 0;
}

int importVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /cp ");
  if (a.words.size() != 1) throw UsageError("import takes one FILE");
  std::optional<CodePage> codePage;
  if (a.cp) {
    try {
      codePage.emplace(*a.cp);
    } catch (const UnknownCodePage& e) {
      throw UsageError(e.what());
    }
  }
  importRegFile(a.words[0], codePage ? &*codePage : nullptr);
  std::cout << kDone;
  return 0;
}

int exportConfigVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /y ");
  if (a.words.size() != 1) throw UsageError("export-config takes one FILE");
  if (!mayReplace(a.words[0], a.y)) return 1;
  const ExportConfigResult result = ExportConfigFile(a.words[0]);
  // The file is written either way; what it lacks fails the run, as export's does.
  if (!result.skipped.empty()) return reportLeftOut(result.skipped);
  std::cout << kDone;
  return 0;
}

int exportSchemaVerb(const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /y ");
  if (a.words.size() != 1) throw UsageError("export-schema takes one FILE");
  if (!mayReplace(a.words[0], a.y)) return 1;
  ExportConfigSchema(a.words[0]);
  std::cout << kDone;
  return 0;
}

}  // namespace quillbray
