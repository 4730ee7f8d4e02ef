// The walk of a configuration document: products, scopes, groups, values.
#include "import/ImpExpRegXML.h"

#include <algorithm>
#include <array>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/Application.h"
#include "import/ConfigDocument.h"
#include "import/Decoding.h"
#include "import/ImportPlan.h"
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

// Why a group is never imported, or null: the group of schedules, and the
// groups of temporary and unknown things.
const char* NeverImported(const std::string& group) {
  if (group == "Schedules") return "the group Schedules is never imported";
  const std::string upper = platform::upperCase(group);
  if (upper.find("$TEMP") != std::string::npos) return "a group whose name holds \"$TEMP\" is never imported";
  if (upper.find("$UNKNOWN") != std::string::npos)
    return "a group whose name holds \"$UNKNOWN\" is never imported";
  return nullptr;
}

// What a value of each type is stored as when its text is empty.
const char* emptyValueOf(ValueType type) {
  switch (type) {
    case ValueType::Integer: return "0";
    case ValueType::Boolean: return "false";
    case ValueType::String: return "an empty string";
    case ValueType::Binary: return "zero bytes";
    case ValueType::None: break;
  }
  return "nothing";
}

// A text as a notice quotes it: its first 40 bytes or so, not cut inside a
// character.
std::string quoted(std::string_view text) {
  std::size_t cut = std::min<std::size_t>(text.size(), 40);
  while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  std::string shown(1, '"');
  shown += text.substr(0, cut);
  if (cut < text.size()) shown += "...";
  return shown += '"';
}

std::string integerFault(std::string_view text) {
  switch (IntegerTextFault(text)) {
    case IntegerFault::None: break;
    case IntegerFault::NoDigits: return quoted(text) + " has no digits";
    case IntegerFault::TrailingBlank: return quoted(text) + " ends in a blank";
    case IntegerFault::OtherCharacter: return quoted(text) + " is not a number";
    case IntegerFault::OutOfRange: return quoted(text) + " is outside the 32-bit range";
  }
  return "";
}

// The scope element names, exactly as written; any other name is
// cfgPerUserRoam.
constexpr std::pair<std::string_view, TDataScope> kScopeNames[] = {
    {"PerUserRoam", cfgPerUserRoam},
    {"PerUserNonRoam", cfgPerUserNonRoam},
    {"PerMachine", cfgPerMachine},
};

bool isScopeName(std::string_view name) {
  return std::any_of(std::begin(kScopeNames), std::end(kScopeNames), [&](const auto& s) { return s.first == name; });
}

// One import: the walk state, the store it writes through and its counts.
class ConfigImport {
 public:
  ConfigImport(TConfigBase& store, const ConfigDocument& doc, std::string fileName, ImportStats& stats,
               const ImportOptions& options)
      : store_(store), doc_(doc), fileName_(std::move(fileName)), stats_(stats), options_(options),
        plan_(options.plan) {}

  void ImportScope(const ConfigScope& scope);
  void ImportGroup(const ConfigEntry& group);
  void ImportValue(const ConfigValue& value);
  // The notices of what the document passed over that are still due.
  void FinishNotices();

 private:
  // --- notices (only when the caller asked for them) ---
  bool noticing() const { return static_cast<bool>(options_.notice); }
  void notice(ImportNotice n);
  void noticeDropsUpTo(std::uint32_t line);
  void checkValue(const ConfigValue& value, const std::string& name, const std::string& text);
  void checkBinary(const std::string& name, const std::string& text, std::size_t digits, std::size_t n);
  ImportNotice valueNotice(const std::string& name, std::uint32_t line, std::string what, std::string why) const;

  void enterGroup(std::string group) {
    group_ = std::move(group);
    groupKey_ = GroupKeyOf(group_);
  }
  bool openGroupKey();
  void closeGroupKey();
  void tellIfMachineValuesGoToTheUser(std::uint32_t line);
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
  const ImportOptions& options_;
  ImportPlan* plan_;                // a dry run's, else null
  std::uint32_t line_ = 0;          // the line of the value being imported
  bool loose_ = false;              // it is a loose value
  std::size_t nextDrop_ = 0;        // the first of doc_.Drops() not yet told
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
  keyCounted_ = false;
  oneByOne_ = false;
  if (plan_) {
    // Where the opening would fail and show its box, the dry run says why
    // and goes on, as the import would.
    try {
      machineWide_ = plan_->Open(ScopeFromName(scopeName_), groupKey_);
      return true;
    } catch (const std::exception& e) {
      ++stats_.failed;
      plan_->Warn(std::string("the key ") + ProductKey + "\\" + groupKey_ + " could not be opened: " + e.what());
      return false;
    }
  }
  const std::size_t boxes = store_.ErrorBoxesShown;
  const bool open =
      store_.OpenPref(ScopeFromName(scopeName_), std::string(ProductKey) + "\\" + groupKey_, true, false);
  if (store_.ErrorBoxesShown != boxes) ++stats_.failed;
  // The layered form writes the user's hive; a direct opening has only the
  // machine accessor, and the flat form's only accessor may be either root.
  // A settings file is machine-wide where the store says so.
  machineWide_ = store_.IniFile ? store_.MachineWide || ScopeFromName(scopeName_) == cfgPerMachine
                                : !store_.UserRegistry && store_.MachineRegistry &&
                                      store_.MachineRegistry->RootKey() == platform::RegistryRoot::LocalMachine;
  return open;
}

void ConfigImport::closeGroupKey() {
  if (plan_) return;
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

void ConfigImport::notice(ImportNotice n) {
  if (!noticing()) return;
  noticeDropsUpTo(n.line);
  ++stats_.noticed;
  options_.notice(n);
}

ImportNotice ConfigImport::valueNotice(const std::string& name, std::uint32_t line, std::string what,
                                       std::string why) const {
  ImportNotice n{line, "", group_, name, "value", std::move(what), std::move(why)};
  if (loose_) {
    n.group.clear();
    n.nameKind = "loose value";
  }
  return n;
}

// The elements the document passed over, told in their place among the
// walk's own notices.
void ConfigImport::noticeDropsUpTo(std::uint32_t line) {
  const auto drops = doc_.Drops();
  for (; nextDrop_ < drops.size() && drops[nextDrop_].line <= line; ++nextDrop_) {
    const ConfigDrop& d = drops[nextDrop_];
    ImportNotice n{d.line, "", "", std::string(doc_.Text(d.name)), "element", "", ""};
    switch (d.kind) {
      case ConfigDrop::Kind::NotProduct:
        n.what = "ignored";
        n.why = "only the product element \"" + std::string(ProductBaseName) + "\" is read below the root";
        break;
      case ConfigDrop::Kind::TextInProduct:
        n.what = "ignored";
        n.why = "a text element is no scope";
        break;
      case ConfigDrop::Kind::EmptyLooseValue:
        n.what = "not stored";
        n.why = "an empty element directly in a scope is an empty group, not a value";
        break;
      case ConfigDrop::Kind::NoType:
      case ConfigDrop::Kind::UnknownType: {
        n.group = DecodeName(doc_.Text(d.parent));
        if (NeverImported(n.group)) continue;  // told of with its group
        n.name = DecodeName(n.name);
        n.nameKind = n.group.empty() ? "loose value" : "value";
        n.what = "not stored";
        n.why = d.kind == ConfigDrop::Kind::NoType
                    ? "it has no \"type\" attribute"
                    : "its type " + quoted(doc_.Text(d.type)) +
                          " is none of integer, string, boolean and binary (letter case included)";
        break;
      }
    }
    ++stats_.noticed;
    options_.notice(n);
  }
}

void ConfigImport::FinishNotices() {
  if (!noticing()) return;
  noticeDropsUpTo(UINT32_MAX);
  if (const std::size_t more = doc_.DropsNotKept(); more > 0) {
    stats_.noticed += more;
    options_.notice({0, "", "", "", "element", "not told", std::to_string(more) + " more elements like the above"});
  }
}

void ConfigImport::checkValue(const ConfigValue& value, const std::string& name, const std::string& text) {
  if (value.content == ValueContent::Other) {
    notice(valueNotice(name, value.line, std::string("stored as ") + emptyValueOf(value.type),
                       "its content is not one text (a CDATA section, a comment or an element is in it), so it "
                       "is read as empty"));
    return;
  }
  const std::string_view raw = doc_.Text(value.text);
  switch (value.type) {
    case ValueType::Integer:
    case ValueType::Boolean: {
      if (IntegerTextFault(text) == IntegerFault::None) break;
      const bool integer = value.type == ValueType::Integer;
      notice(valueNotice(name, value.line, integer ? "stored as 0" : "stored as false",
                         value.content == ValueContent::Empty ? "it has no text"
                         : integer                            ? integerFault(text)
                                                              : integerFault(text) + " (1 is true, 0 false)"));
      break;
    }
    case ValueType::String: {
      // A writer in the file's encoding leaves no blank: a text with blanks
      // was written by hand, and its "_" was most likely meant as it stands.
      std::size_t underscores = std::count(raw.begin(), raw.end(), '_');
      for (std::string_view bracket : {"_0x5B_", "_0x5D_"})
        for (std::size_t at = raw.find(bracket); at != std::string_view::npos; at = raw.find(bracket, at + 6))
          underscores -= 2;
      if (underscores > 0 && raw.find(' ') != std::string_view::npos)
        notice(valueNotice(name, value.line, "stored with a blank for each \"_\"",
                           "the text holds blanks as well, so it was not written in the file's encoding, where "
                           "\"_\" stands for a blank"));
      break;
    }
    default: break;
  }
}

void ConfigImport::checkBinary(const std::string& name, const std::string& text, std::size_t digits,
                               std::size_t n) {
  if (digits / 2 != n) {
    notice(valueNotice(name, line_, "not stored",
                       "the text " + quoted(text) + " has " + std::to_string(digits) +
                           (digits == 1 ? " hexadecimal digit" : " hexadecimal digits") + ", and its length asks for " +
                           std::to_string(2 * n) +
                           " (two digits a byte, blanks aside)"));
  } else if (digits % 2 != 0) {
    notice(valueNotice(name, line_, "stored as " + std::to_string(n) + (n == 1 ? " byte" : " bytes"),
                       "the last hexadecimal digit of " + quoted(text) + " is passed over"));
  }
}

void ConfigImport::ImportScope(const ConfigScope& scope) {
  enterGroup("");
  scopeName_ = doc_.Text(scope.name);
  if (noticing() && !isScopeName(scopeName_))
    notice({scope.line, scopeName_, "", "", "value", "its values go to PerUserRoam",
            "no scope has this name (PerUserRoam, PerUserNonRoam or PerMachine, letter case included)"});
  for (const ConfigEntry& entry : doc_.Entries(scope)) {
    if (!entry.loose) {
      loose_ = false;
      ImportGroup(entry);
      continue;
    }
    // A loose value: it lives in the product key itself, opened for it alone.
    enterGroup("cfgAll");
    loose_ = true;
    if (openGroupKey()) {
      tellIfMachineValuesGoToTheUser(doc_.Values(entry).front().line);
      ImportValue(doc_.Values(entry).front());
      writePending();
      closeGroupKey();
    }
  }
}

void ConfigImport::ImportGroup(const ConfigEntry& group) {
  enterGroup(decodedName(group.name));
  if (const char* why = NeverImported(group_)) {
    if (noticing()) notice({group.line, "", group_, "", "value", "not imported", why});
    return;
  }
  if (options_.walked) options_.walked({group.line, ScopeFromName(scopeName_), scopeName_, group_, groupKey_, "", ValueType::None, ""});
  if (noticing() && groupKey_.starts_with("$Unknown\\"))
    notice({group.line, "", group_, "", "value", "stored in the key \"$Unknown\\" + group_ + "\"",
            "the product has no group of this name"});
  // ClosePref runs whatever OpenPref answered; an error escaping a value
  // leaves the key open for the next opening (or the store's end) to close.
  if (openGroupKey()) {
    tellIfMachineValuesGoToTheUser(group.line);
    for (const ConfigValue& value : doc_.Values(group)) ImportValue(value);
    writePending();
  }
  closeGroupKey();
}

// An administrator who forgot to elevate: the machine's store cannot be
// written, so the opening sent the group's machine-wide values to the user.
// Said once for each group, and not as written.
void ConfigImport::tellIfMachineValuesGoToTheUser(std::uint32_t line) {
  if (!noticing() || machineWide_ || !RegistryOpeningIsMachineWide(PrefLocation, ScopeFromName(scopeName_))) return;
  notice({line, "", group_, "", "value", "machine-wide values stored per-user",
          "the machine store cannot be written; run elevated"});
}

void ConfigImport::ImportValue(const ConfigValue& value) {
  if (value.type == ValueType::None) return;  // told of as a drop
  const std::string& name = decodedName(value.name);
  std::string text = DecodeText(doc_.Text(value.text));
  line_ = value.line;
  if (noticing()) checkValue(value, name, text);
  if (options_.walked)
    options_.walked({value.line, ScopeFromName(scopeName_), scopeName_, loose_ ? "" : group_, groupKey_, name, value.type, text});
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
  const std::size_t digits = HexDigitCount(text);
  if (noticing()) checkBinary(name, text, digits, n);
  if (digits / 2 != n) return;
  if (n > binary_.size() && plan_) {
    ++stats_.failed;
    notice(valueNotice(name, line_, "not stored",
                       "it has " + std::to_string(n) + " bytes, and at most " + std::to_string(binary_.size()) +
                           " bytes can be imported"));
    return;
  }
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
  if (plan_) {
    for (std::size_t i = 0; i < pending_.size(); ++i) plan_->Value(pendingTypes_[i], pending_[i]);
    countWritten(pending_.size());
    pending_.clear();
    pendingTypes_.clear();
    return;
  }
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
void importDocument(TConfigBase& store, const ConfigDocument& doc, const std::string& fileName, ImportStats& stats,
                    const ImportOptions& options) {
  platform::ScopedBoxLimit limit(10);
  std::size_t boxesBeforeSave = 0;
  {
    TPrefBatch batch(store);
    ConfigImport import(store, doc, fileName, stats, options);
    for (const ConfigScope& scope : doc.Scopes()) import.ImportScope(scope);
    import.FinishNotices();
    boxesBeforeSave = store.ErrorBoxesShown;
  }
  // The batch's save shows the store's box when it fails.
  if (store.ErrorBoxesShown != boxesBeforeSave) ++stats.failed;
}

}  // namespace

TDataScope ScopeFromName(const std::string& name) {
  for (const auto& [text, scope] : kScopeNames)
    if (name == text) return scope;
  return cfgPerUserRoam;
}

const char* ScopeElementName(TDataScope scope) {
  for (const auto& [name, s] : kScopeNames)
    if (s == scope) return name.data();
  return kScopeNames[0].first.data();
}

std::optional<TConfigGroup> GroupOfName(const std::string& group) {
  if (group == "cfgAll") return cgProductKey;
  static const auto lowerNames = [] {
    std::array<std::string, kConfigGroupCount> names;
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = platform::lowerCase(ConfigGroupNames[i]);
    return names;
  }();
  const std::string lower = platform::lowerCase(group);
  for (std::size_t i = 0; i < lowerNames.size(); ++i)
    if (!lowerNames[i].empty() && lowerNames[i] == lower) return static_cast<TConfigGroup>(i);
  return std::nullopt;
}

std::string GroupKeyOf(const std::string& group) {
  const std::optional<TConfigGroup> known = GroupOfName(group);
  return known ? ConfigGroupNames[*known] : "$Unknown\\" + group;
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

bool ImportConfigFile(TConfigBase& store, const std::string& givenName, ImportStats& stats,
                      const ImportOptions& options) {
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
    importDocument(store, doc, fileName, stats, options);
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

bool ImportConfigFile(TConfigBase& store, const std::string& fileName, ImportStats& stats) {
  return ImportConfigFile(store, fileName, stats, ImportOptions{});
}

bool ImportConfigFile(TConfigBase& store, const std::string& fileName) {
  ImportStats stats;
  return ImportConfigFile(store, fileName, stats);
}

bool ImportConfigFile(const std::string& fileName, ImportStats& stats, const ImportOptions& options) {
  stats = {};
  if (!ConfigManager) {
    stats.outcome = ioFailed;
    return false;
  }
  return ImportConfigFile(*ConfigManager, fileName, stats, options);
}

bool ImportConfigFile(const std::string& fileName, ImportStats& stats) {
  return ImportConfigFile(fileName, stats, ImportOptions{});
}

bool ImportConfigFile(const std::string& fileName) {
  ImportStats stats;
  return ImportConfigFile(fileName, stats);
}

}  // namespace quillbray
