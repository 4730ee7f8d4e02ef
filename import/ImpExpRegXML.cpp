// The walk of a configuration document: products, scopes, groups, values.
#include "import/ImpExpRegXML.h"

#include <array>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/Application.h"
#include "import/ConfigDocument.h"
#include "import/Decoding.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "prefs/Product.h"
#include "prefs/StoredForms.h"
#include "settings/ConfigManager.h"

namespace quillbray {
namespace {

constexpr const char* kRootName = "Quillbray_Preferences";

void showImportBox(const std::string& text) {
  platform::showMessageBox(text, ApplicationTitle, platform::BoxOwner::ForegroundWindow,
                           platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
}

// One import: the walk state, the store it writes through and its counts.
class ConfigImport {
 public:
  ConfigImport(TConfigBase& store, const ConfigDocument& doc, std::string fileName, ImportStats& stats)
      : store_(store), doc_(doc), fileName_(std::move(fileName)), stats_(stats) {}

  void ImportScope(const ConfigScope& scope);
  void ImportGroup(const ConfigEntry& group);
  void ImportValue(const ConfigValue& value);

 private:
  void enterGroup(std::string group) {
    group_ = std::move(group);
    groupKey_ = GroupKeyOf(group_);
  }
  bool openGroupKey();
  void closeGroupKey();
  // Runs one write and counts it: imported when the store showed no box.
  template <typename Write>
  void countWrite(Write write);
  void countWritten(std::size_t values);
  void writeBinary(const std::string& name, std::string text);
  // The open key's values wait to be written in one call, at the end of the
  // group, before any box and every kPendingValues values.
  void queue(ValueType type, const std::string& name, platform::RegistryValue value);
  void writePending();
  void writeOne(ValueType type, const platform::NamedValue& value);

  TConfigBase& store_;
  const ConfigDocument& doc_;
  std::string fileName_;
  ImportStats& stats_;
  std::string scopeName_;  // the scope element's name, undecoded
  std::string group_;      // the group's decoded name, or "cfgAll" for a loose value
  std::string groupKey_;   // GroupKeyOf(group_), worked out once a group
  bool machineWide_ = false;  // where the current opening landed
  bool keyCounted_ = false;   // the current opening's key is in keysWritten_
  // The keys that received a value: the hive, and the key path in lower case
  // (key names are matched without regard to letter case).
  std::set<std::pair<bool, std::string>> keysWritten_;
  // Decoded names, by their place in the document: a name is kept once
  // however often it is used, so it is decoded once.
  std::unordered_map<std::uint32_t, std::string> decodedNames_;
  const std::string& decodedName(TextRef name) {
    auto [it, added] = decodedNames_.try_emplace(name.offset);
    if (added) it->second = DecodeName(doc_.Text(name));
    return it->second;
  }
  std::vector<std::uint8_t> binary_ = std::vector<std::uint8_t>(kBinaryBufferSize);
  static constexpr std::size_t kPendingValues = 1024;
  std::vector<platform::NamedValue> pending_;
  std::vector<ValueType> pendingTypes_;
  bool oneByOne_ = false;  // the current opening did not take values at once
};

bool ConfigImport::openGroupKey() {
  const std::size_t boxes = store_.ErrorBoxesShown;
  const bool open =
      store_.OpenPref(ScopeFromName(scopeName_), std::string(ProductKey) + "\\" + groupKey_, true, false);
  if (store_.ErrorBoxesShown != boxes) ++stats_.failed;
  // The layered form writes the user's hive; a direct opening has only the
  // machine accessor, and the flat form's only accessor may be either root.
  machineWide_ = !store_.UserRegistry && store_.MachineRegistry &&
                 store_.MachineRegistry->RootKey() == platform::RegistryRoot::LocalMachine;
  keyCounted_ = false;
  oneByOne_ = false;
  return open;
}

void ConfigImport::closeGroupKey() {
  const std::size_t boxes = store_.ErrorBoxesShown;
  store_.ClosePref();
  if (store_.ErrorBoxesShown != boxes) ++stats_.failed;
}

template <typename Write>
void ConfigImport::countWrite(Write write) {
  const std::size_t boxes = store_.ErrorBoxesShown;
  write();
  if (store_.ErrorBoxesShown != boxes) {
    ++stats_.failed;
    return;
  }
  countWritten(1);
}

void ConfigImport::countWritten(std::size_t values) {
  stats_.values += values;
  (machineWide_ ? stats_.machineValues : stats_.userValues) += values;
  if (!keyCounted_) {
    keyCounted_ = true;
    if (keysWritten_.emplace(machineWide_, platform::lowerCase(groupKey_)).second) ++stats_.keys;
  }
}

void ConfigImport::ImportScope(const ConfigScope& scope) {
  enterGroup("");
  scopeName_ = doc_.Text(scope.name);
  for (const ConfigEntry& entry : doc_.Entries(scope)) {
    if (!entry.loose) {
      ImportGroup(entry);
      continue;
    }
    // A loose value: it lives in the product key itself, opened for it alone.
    enterGroup("cfgAll");
    if (openGroupKey()) {
      ImportValue(doc_.Values(entry).front());
      writePending();
      closeGroupKey();
    }
  }
}

void ConfigImport::ImportGroup(const ConfigEntry& group) {
  enterGroup(decodedName(group.name));
  const std::string upper = platform::upperCase(group_);
  if (group_ == "Schedules" || upper.find("$TEMP") != std::string::npos || upper.find("$UNKNOWN") != std::string::npos)
    return;
  // ClosePref runs whatever OpenPref answered; an error escaping a value
  // leaves the key open for the next opening (or the store's end) to close.
  if (openGroupKey()) {
    for (const ConfigValue& value : doc_.Values(group)) ImportValue(value);
    writePending();
  }
  closeGroupKey();
}

void ConfigImport::ImportValue(const ConfigValue& value) {
  if (value.type == ValueType::None) return;
  const std::string& name = decodedName(value.name);
  std::string text = DecodeText(doc_.Text(value.text));
  switch (value.type) {
    case ValueType::Integer: queue(value.type, name, StoredInteger(ReadIntegerText(text))); break;
    case ValueType::String: queue(value.type, name, StoredString(text)); break;
    case ValueType::Boolean: queue(value.type, name, StoredBoolean(ReadIntegerText(text) != 0)); break;
    case ValueType::Binary: writeBinary(name, std::move(text)); break;
    case ValueType::None: break;
  }
}

void ConfigImport::writeBinary(const std::string& name, std::string text) {
  std::erase(text, ' ');
  const std::size_t n = BinaryByteCount(text);
  // The count test comes first: a text that fails it is passed over without a
  // word, however long it is.
  if (!HexDigitsMake(text, n)) return;
  if (n > binary_.size()) {
    // More than the import can hold: this value is not written, and the user
    // is told, rather than storing a part of it or dropping it silently.
    writePending();  // what came before it, first
    ++stats_.failed;
    const std::string unsaved = store_.ReleasePrefLocks();  // the group's key is open
    showImportBox("Could not import the binary value '" + name + "' of the group '" + group_ + "': it has " +
                  std::to_string(n) + " bytes, and at most " + std::to_string(binary_.size()) +
                  " bytes can be imported.\r\n\r\nFilename: " + fileName_ + unsaved);
    return;
  }
  HexToBytes(text, binary_, n);
  queue(ValueType::Binary, name, StoredBinary(std::span(binary_.data(), n)));
}

void ConfigImport::queue(ValueType type, const std::string& name, platform::RegistryValue value) {
  pending_.push_back({name, std::move(value)});
  pendingTypes_.push_back(type);
  if (pending_.size() >= kPendingValues) writePending();
}

// One call for all, where the opening takes it; else (the layering compares
// each value with the machine's, or the write failed, having written
// nothing) the same values one by one, with the boxes of the single writes.
void ConfigImport::writePending() {
  if (pending_.empty()) return;
  const std::size_t boxes = store_.ErrorBoxesShown;
  if (!oneByOne_ && store_.SetPrefValues(groupKey_, pending_)) {
    if (store_.ErrorBoxesShown == boxes) countWritten(pending_.size());
    else stats_.failed += pending_.size();  // the store lost them, and said so
  } else {
    oneByOne_ = true;
    for (std::size_t i = 0; i < pending_.size(); ++i) writeOne(pendingTypes_[i], pending_[i]);
  }
  pending_.clear();
  pendingTypes_.clear();
}

// A queued value through its guarded write, from its stored form.
void ConfigImport::writeOne(ValueType type, const platform::NamedValue& value) {
  const std::vector<std::uint8_t>& data = value.value.data;
  switch (type) {
    case ValueType::Integer: {
      std::uint32_t n = 0;
      for (std::size_t i = 0; i < data.size() && i < 4; ++i) n |= std::uint32_t{data[i]} << (8 * i);
      countWrite([&] { store_.SetPrefInteger(groupKey_, value.name, static_cast<std::int32_t>(n)); });
      break;
    }
    case ValueType::Boolean:
      countWrite([&] { store_.SetPrefBooleanProc(groupKey_, value.name, !data.empty() && data[0] != 0); });
      break;
    case ValueType::String: {
      const std::string text(data.begin(), data.empty() ? data.end() : data.end() - 1);  // without the closing zero
      countWrite([&] { store_.SetPrefString(groupKey_, value.name, text); });
      break;
    }
    case ValueType::Binary: countWrite([&] { store_.SetPrefBinaryProc(groupKey_, value.name, data); }); break;
    case ValueType::None: break;
  }
}

// The walk of an accepted document: one batch of the store, so that each hive
// is saved once; at most 10 boxes on a desktop. Both end before the caller
// shows its own box.
void importDocument(TConfigBase& store, const ConfigDocument& doc, const std::string& fileName, ImportStats& stats) {
  platform::ScopedBoxLimit limit(10);
  std::size_t boxesBeforeSave = 0;
  {
    TPrefBatch batch(store);
    ConfigImport import(store, doc, fileName, stats);
    for (const ConfigScope& scope : doc.Scopes()) import.ImportScope(scope);
    boxesBeforeSave = store.ErrorBoxesShown;
  }
  // The batch's save shows the store's box when it fails.
  if (store.ErrorBoxesShown != boxesBeforeSave) ++stats.failed;
}

}  // namespace

TDataScope ScopeFromName(const std::string& name) {
  if (name == "PerUserRoam") return cfgPerUserRoam;
  if (name == "PerUserNonRoam") return cfgPerUserNonRoam;
  if (name == "PerMachine") return cfgPerMachine;
  return cfgPerUserRoam;
}

std::string GroupKeyOf(const std::string& group) {
  if (group == "cfgAll") return "";
  static const auto lowerNames = [] {
    std::array<std::string, kConfigGroupCount> names;
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = platform::lowerCase(ConfigGroupNames[i]);
    return names;
  }();
  const std::string lower = platform::lowerCase(group);
  for (std::size_t i = 0; i < lowerNames.size(); ++i)
    if (!lowerNames[i].empty() && lowerNames[i] == lower) return ConfigGroupNames[i];
  return "$Unknown\\" + group;
}

std::string UnquoteFileName(const std::string& name) {
  if (name.empty() || name[0] != '"') return name;
  std::string out;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] != '"') {
      out += name[i];
    } else if (i + 1 < name.size() && name[i + 1] == '"') {
      out += '"';
      ++i;
    } else {
      break;  // the closing quote; what follows is dropped
    }
  }
  return out;
}

bool ImportConfigFile(TConfigBase& store, const std::string& givenName, ImportStats& stats) {
  stats = {};
  std::string fileName = givenName;
  try {
    fileName = UnquoteFileName(givenName);
    ConfigDocument doc(fileName);
    if (!doc.HasDoctype())
      throw ImportError("the file has no document type declaration (<!DOCTYPE " + std::string(kRootName) + ">)");
    if (!doc.HasRoot()) throw ImportError("the file has no root element");

    std::string otherProduct;
    if (doc.RootName() != kRootName) otherProduct = doc.RootName();
    if (doc.DoctypeName() != kRootName) otherProduct = doc.DoctypeName();
    if (!otherProduct.empty()) {
      otherProduct = ReplaceAll(ReplaceAll(otherProduct, "_Preferences", ""), "_", " ");
      stats.outcome = ioRefused;
      showImportBox("This configuration file belongs to " + otherProduct + "\r\n" + "and is not compatible with " +
                    ProductBaseName + ".");
      return true;
    }

    doc.CheckEntities();
    importDocument(store, doc, fileName, stats);
    return true;
  } catch (const std::exception& e) {
    // The walk's batch and box limit have ended here. A key may still be
    // open; what it received stays written.
    stats.outcome = ioFailed;
    const std::string unsaved = store.ReleasePrefLocks();
    showImportBox(std::string("Could not import the program configuration due to the following error:\r\n") +
                  e.what() + "\r\n" + "\r\n" + "Filename: " + fileName + unsaved);
    return false;
  }
}

bool ImportConfigFile(TConfigBase& store, const std::string& fileName) {
  ImportStats stats;
  return ImportConfigFile(store, fileName, stats);
}

bool ImportConfigFile(const std::string& fileName, ImportStats& stats) {
  stats = {};
  if (!ConfigManager) {
    stats.outcome = ioFailed;
    return false;
  }
  return ImportConfigFile(*ConfigManager, fileName, stats);
}

bool ImportConfigFile(const std::string& fileName) {
  ImportStats stats;
  return ImportConfigFile(fileName, stats);
}

}  // namespace quillbray
