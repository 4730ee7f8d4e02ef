#include "tools/StoreVerbs.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "platform/Text.h"
#include "tools/RegConfirm.h"
#include "tools/RegData.h"
#include "tools/RegExport.h"
#include "tools/RegFaithful.h"
#include "tools/RegFileText.h"
#include "tools/RegImport.h"
#include "tools/RegVerbs.h"
#include "tools/SettingsStore.h"
#include "tools/StoreKey.h"
#include "tools/RegArgs.h"
#include "tools/StoreValues.h"
#include "tools/WholeFile.h"

namespace quillbray {
namespace {

bool sameName(const std::string& a, const std::string& b) { return platform::foldName(a) == platform::foldName(b); }

// The name as the file spells it, when the section has it.
std::optional<std::string> findName(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names)
    if (sameName(n, name)) return n;
  return std::nullopt;
}

// What the opened file holds of a key: its sections and those below it.
struct KeyInFile {
  bool ownSection = false;
  std::vector<std::string> below;
  bool exists(const StoreKey& key) const { return key.group.empty() || ownSection || !below.empty(); }
};

KeyInFile lookUp(SettingsStore& store, const StoreKey& key) {
  const std::vector<std::string> sections = store.sectionNames();
  return {hasSection(key, sections), sectionsBelow(key, sections)};
}

int noSuchKey(const StoreKey& key, const SettingsStore& store) {
  std::cerr << "quillbray-reg: no such key: " << key.display() << " (in settings file '" << store.fileName() << "')\n";
  return 1;
}

int noSuchValue(const StoreKey& key, const std::string& name) {
  std::cerr << "quillbray-reg: the key " << key.display() << " has no value " << valueLabel(name) << '\n';
  return 1;
}

void printValue(const std::string& name, const std::string& text) {
  std::cout << "    " << name << "    REG_SZ    " << text << '\n';
}

// Prints the key and its values (or the one asked for, when it has it);
// answers the number of values shown.
std::size_t showKey(SettingsStore& store, const StoreKey& key, const std::optional<std::string>& only) {
  const std::vector<std::string> names = store.valueNames(key.section());
  if (only) {
    const auto found = findName(names, *only);
    if (!found) return 0;
    std::cout << key.display() << '\n';
    printValue(*found, store.text(key.section(), *found));
    std::cout << '\n';
    return 1;
  }
  std::cout << key.display() << '\n';
  for (const std::string& n : names) printValue(n, store.text(key.section(), n));
  std::cout << '\n';
  return names.size();
}

// The keys one level below the key: the first name of each section below.
std::vector<std::string> subKeyNames(const StoreKey& key, const std::vector<std::string>& below) {
  std::vector<std::string> out;
  for (const std::string& s : below) {
    std::string rest = key.group.empty() ? s : s.substr(key.group.size() + 1);
    rest = rest.substr(0, rest.find('\\'));
    if (!findName(out, rest)) out.push_back(rest);
  }
  return out;
}

int queryVerb(TPrefLocation location, const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /v /ve /s /nonroam ");
  if (a.words.size() != 1) throw UsageError("query takes one KEY");
  const StoreKey key = storeKeyOf(a.words[0], a.nonRoaming);
  std::optional<std::string> only = a.v;
  if (a.ve) only = "";
  SettingsStore store(location);
  store.open(key);
  const KeyInFile found = lookUp(store, key);
  if (!found.exists(key)) return noSuchKey(key, store);
  std::cout << '\n';
  if (a.s) {
    std::size_t shown = showKey(store, key, only);
    for (const std::string& s : found.below) shown += showKey(store, key.withGroup(s), only);
    if (only) std::cout << "End of search: " << shown << " match(es) found.\n";
    return only && shown == 0 ? 1 : 0;
  }
  if (only) {
    if (showKey(store, key, only) == 0) return noSuchValue(key, *only);
    return 0;
  }
  showKey(store, key, only);
  for (const std::string& sub : subKeyNames(key, found.below)) std::cout << key.display() << '\\' << sub << '\n';
  return 0;
}

int addVerb(TPrefLocation location, const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /v /ve /t /d /f /nonroam ");
  if (a.words.size() != 1) throw UsageError("add takes one KEY");
  const StoreKey key = storeKeyOf(a.words[0], a.nonRoaming);
  std::optional<std::string> name = a.v;
  if (a.ve) name = "";
  if (!name && (a.t || a.d)) throw UsageError("/t and /d need /v NAME or /ve");
  std::uint32_t type = platform::REG_SZ;
  if (a.t) {
    const auto t = addType(*a.t);
    if (!t) throw UsageError("unknown type '" + *a.t + "': with --location file or usb use REG_SZ, REG_DWORD or REG_BINARY");
    type = *t;
  }
  SettingsStore store(location);
  if (!name) {  // a section shows in the file with its first value
    store.open(key);
    store.close();
    std::cout << kDone;
    return 0;
  }
  const platform::RegistryValue value = valueFromText(type, a.d.value_or(""));
  if (const auto why = storeValueFault(key.display(), key.section(), *name, value)) {
    std::cerr << "quillbray-reg: " << *why << "; nothing was changed\n";
    return 1;
  }
  store.open(key);
  if (!a.f && findName(store.valueNames(key.section()), *name) &&
      !confirm("Value " + valueLabel(*name) + " exists, overwrite",
               "the value " + valueLabel(*name) + " of " + key.display() +
                   " exists; nothing was changed (use /f to overwrite it)"))
    return 1;
  storeValue(store, key.section(), *name, value);
  store.close();
  std::cout << kDone;
  return 0;
}

int deleteVerb(TPrefLocation location, const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /v /ve /va /f /nonroam ");
  if (a.words.size() != 1) throw UsageError("delete takes one KEY");
  const StoreKey key = storeKeyOf(a.words[0], a.nonRoaming);
  std::optional<std::string> name = a.v;
  if (a.ve) name = "";
  SettingsStore store(location);
  store.open(key);
  const KeyInFile found = lookUp(store, key);
  if (!found.exists(key)) return noSuchKey(key, store);
  std::optional<std::string> spelled;
  if (name) {
    spelled = findName(store.valueNames(key.section()), *name);
    if (!spelled) return noSuchValue(key, *name);
  }
  const std::string question = name ? "Delete the registry value " + valueLabel(*name)
                               : a.va ? "Delete all values under the registry key " + key.display()
                                      : "Permanently delete the registry key " + key.display();
  if (!a.f && !confirm(question, "nothing was deleted: use /f to delete without asking")) return 1;
  if (spelled) {
    store.deleteValue(key.section(), *spelled);
  } else {
    if (found.ownSection) store.deleteSection(key.section());
    if (!a.va)
      for (const std::string& s : found.below) store.deleteSection(s);
  }
  store.close();
  std::cout << kDone;
  return 0;
}

// Why a section cannot be a key of a .reg file (a name of it empty, or one
// the file cannot carry), or nothing.
std::optional<std::string> sectionFault(const std::string& group) {
  std::size_t from = 0;
  while (true) {
    const std::size_t to = group.find('\\', from);
    const std::string part = group.substr(from, to == std::string::npos ? std::string::npos : to - from);
    if (part.empty()) return std::string("the section's name holds an empty key name");
    if (auto why = keyNameFault(part)) return why;
    if (to == std::string::npos) return std::nullopt;
    from = to + 1;
  }
}

// The .reg text of the key and the sections below it: every value a REG_SZ
// string of the text the store reads. Answers what was left out, one line each.
std::vector<std::string> exportText(SettingsStore& store, const StoreKey& key, std::ostream& out) {
  const KeyInFile found = lookUp(store, key);
  if (!found.exists(key))
    throw NoSuchKey("no such key: " + key.display() + " (in settings file '" + store.fileName() + "')");
  std::vector<std::string> leftOut;
  out << "Windows Registry Editor Version 5.00\n\n";
  std::vector<StoreKey> keys{key};
  for (const std::string& s : found.below) keys.push_back(key.withGroup(s));
  for (const StoreKey& k : keys) {
    if (!k.group.empty())
      if (auto why = sectionFault(k.group)) {
        leftOut.push_back(shownName(k.display()) + ": " + *why);
        continue;
      }
    out << '[' << k.display() << "]\n";
    std::size_t beyond = 0;
    for (const std::string& name : store.valueNames(k.section(), &beyond)) {
      bool cut = false;
      const std::string text = store.text(k.section(), name, &cut);
      const platform::RegistryValue value{platform::REG_SZ, std::vector<std::uint8_t>(text.begin(), text.end())};
      std::optional<std::string> why = valueNameFault(name);
      if (!why) why = valueDataFault(value);
      if (!why && cut) why = "its text is longer than the 2047 bytes the program reads of a value";
      if (why) {
        leftOut.push_back(shownName(k.display()) + ", value \"" + shownName(name) + "\": " + *why);
        continue;
      }
      platform::RegistryValue stored = value;
      stored.data.push_back(0);
      out << regValueLine(name, stored) << '\n';
    }
    if (beyond > 0)
      leftOut.push_back(shownName(k.display()) + ": " + std::to_string(beyond) +
                        " values past the names the program reads of a section (16384 bytes)");
    out << '\n';
  }
  return leftOut;
}

int exportVerb(TPrefLocation location, const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /y /nonroam ");
  const auto& w = a.words;
  if (w.empty() || w.size() > 2) throw UsageError("export takes KEY and FILE, or KEY alone (or KEY -) to print");
  const bool print = w.size() == 1 || w[1] == "-";
  if (print && a.y) throw UsageError("/y goes with export KEY FILE");
  const StoreKey key = storeKeyOf(w[0], a.nonRoaming);
  SettingsStore store(location);
  store.open(key);
  if (print) {
    const std::vector<std::string> leftOut = exportText(store, key, std::cout);
    store.close();
    if (!std::cout.flush()) throw std::runtime_error("cannot write the exported text");
    return reportLeftOut(leftOut);
  }
  std::ostringstream text;
  const std::vector<std::string> leftOut = exportText(store, key, text);
  store.close();
  const std::string& file = w[1];
  if (!mayReplace(file, a.y)) return 1;
  writeWhole(file, regFileBytes(text.str()));
  if (!leftOut.empty()) return reportLeftOut(leftOut);
  std::cout << kDone;
  return 0;
}

// A change of a .reg file and where it lands.
struct PlannedChange {
  StoreKey key;
  RegChange change;
};

int importVerb(TPrefLocation location, const std::vector<std::string>& args) {
  const Args a = parseArgs(args, " /nonroam ");
  if (a.words.size() != 1) throw UsageError("import takes one FILE");
  const std::string& file = a.words[0];
  // Every change is checked before the first is written: a faulty one
  // changes nothing.
  std::vector<PlannedChange> plan;
  for (RegChange& c : readRegFile(file, "the settings file")) {
    const std::string keyText = std::string(rootName(c.root)) + "\\" + c.path;
    StoreKey key;
    try {
      key = storeKeyOf(keyText, a.nonRoaming);
    } catch (const NotInSettingsFile& e) {
      std::cerr << "quillbray-reg: " << file << ": " << e.what() << "; nothing was imported\n";
      return 1;
    }
    if (c.kind == RegChange::Kind::SetValue)
      if (const auto why = storeValueFault(key.display(), key.section(), c.name, c.value)) {
        std::cerr << "quillbray-reg: " << file << ": " << *why << "; nothing was imported\n";
        return 1;
      }
    plan.push_back({std::move(key), std::move(c)});
  }
  SettingsStore store(location);
  // Each file the changes touch must take them: one that cannot be written
  // (a machine file's folder for a user, say) leaves the others unwritten too.
  std::vector<TDataScope> probed;
  for (const PlannedChange& p : plan) {
    if (std::find(probed.begin(), probed.end(), p.key.scope) != probed.end()) continue;
    probed.push_back(p.key.scope);
    store.open(p.key);
    try {
      store.checkCanWrite();
    } catch (const std::exception& e) {
      std::cerr << "quillbray-reg: " << e.what() << "; nothing was imported\n";
      return 1;
    }
  }
  store.close();
  store.inBatch([&] {
    for (const PlannedChange& p : plan) {
      store.open(p.key);
      switch (p.change.kind) {
        case RegChange::Kind::CreateKey: break;  // a section shows with its first value
        case RegChange::Kind::SetValue: storeValue(store, p.key.section(), p.change.name, p.change.value); break;
        case RegChange::Kind::DeleteValue: store.deleteValue(p.key.section(), p.change.name); break;
        case RegChange::Kind::DeleteKey: {
          const KeyInFile found = lookUp(store, p.key);
          if (found.ownSection) store.deleteSection(p.key.section());
          for (const std::string& s : found.below) store.deleteSection(s);
          break;
        }
      }
    }
    store.close();
  });
  std::cout << kDone;
  return 0;
}

}  // namespace

int settingsFileVerb(TPrefLocation location, const std::string& verb, const std::vector<std::string>& args) {
  if (verb == "query") return queryVerb(location, args);
  if (verb == "add") return addVerb(location, args);
  if (verb == "delete") return deleteVerb(location, args);
  if (verb == "export") return exportVerb(location, args);
  if (verb == "import") return importVerb(location, args);
  if (verb == "export-config") {
    std::cerr << "quillbray-reg: export-config reads the hives only; with --location " << PrefLocationOptionName(location)
              << " it is refused, as the settings file does not keep the value types a configuration file needs "
                 "(nothing was written)\n";
    return 1;
  }
  throw UsageError("unknown verb '" + verb + "'");
}

}  // namespace quillbray
