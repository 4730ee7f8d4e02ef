// The walk of a configuration document: products, scopes, groups, values.
#include "import/ImpExpRegXML.h"

#include <array>
#include <vector>

#include "common/Application.h"
#include "import/ConfigDocument.h"
#include "import/Decoding.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "prefs/Product.h"
#include "settings/ConfigManager.h"

namespace quillbray {
namespace {

constexpr const char* kRootName = "Quillbray_Preferences";

void showImportBox(const std::string& text) {
  platform::showMessageBox(text, ApplicationTitle, platform::BoxOwner::ForegroundWindow,
                           platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
}

// One import: the walk state and the store it writes through.
class ConfigImport {
 public:
  ConfigImport(TConfigBase& store, std::string fileName) : store_(store), fileName_(std::move(fileName)) {}

  void ImportProduct(const xmlNode* product);
  void ImportScope(const xmlNode* scope);
  void ImportGroup(const xmlNode* group);
  void ImportValue(const xmlNode* value);

 private:
  void enterGroup(std::string group) {
    group_ = std::move(group);
    groupKey_ = GroupKeyOf(group_);
  }
  bool openGroupKey() {
    return store_.OpenPref(ScopeFromName(scopeName_), std::string(ProductKey) + "\\" + groupKey_, true, false);
  }
  void writeBinary(const std::string& groupKey, const std::string& name, std::string text);

  TConfigBase& store_;
  std::string fileName_;
  std::string scopeName_;  // the scope element's name, undecoded
  std::string group_;      // the group's decoded name, or "cfgAll" for a loose value
  std::string groupKey_;   // GroupKeyOf(group_), worked out once a group
  std::vector<std::uint8_t> binary_ = std::vector<std::uint8_t>(kBinaryBufferSize);
};

void ConfigImport::ImportProduct(const xmlNode* product) {
  for (const xmlNode* child : ChildNodes(product)) {
    if (IsTextElement(child)) continue;
    enterGroup("");
    scopeName_ = NodeName(child);
    ImportScope(child);
  }
}

void ConfigImport::ImportScope(const xmlNode* scope) {
  for (const xmlNode* child : ChildNodes(scope)) {
    if (!IsTextElement(child)) {
      ImportGroup(child);
      continue;
    }
    // A loose value: it lives in the product key itself, opened for it alone.
    enterGroup("cfgAll");
    if (openGroupKey()) {
      ImportValue(child);
      store_.ClosePref();
    }
  }
}

void ConfigImport::ImportGroup(const xmlNode* group) {
  const auto values = ChildNodes(group);
  if (values.empty()) return;
  enterGroup(DecodeName(NodeName(group)));
  const std::string upper = platform::upperCase(group_);
  if (group_ == "Schedules" || upper.find("$TEMP") != std::string::npos || upper.find("$UNKNOWN") != std::string::npos)
    return;
  // ClosePref runs whatever OpenPref answered; an error escaping a value
  // leaves the key open for the next opening (or the store's end) to close.
  if (openGroupKey())
    for (const xmlNode* value : values) ImportValue(value);
  store_.ClosePref();
}

void ConfigImport::ImportValue(const xmlNode* value) {
  const std::string name = DecodeName(NodeName(value));
  std::string text = DecodeText(IsTextElement(value) ? ElementText(value) : std::string());
  const std::string type = TypeAttribute(value);
  const std::string& groupKey = groupKey_;
  if (type == "integer") {
    store_.SetPrefInteger(groupKey, name, ReadIntegerText(text));
  } else if (type == "string") {
    store_.SetPrefString(groupKey, name, text);
  } else if (type == "boolean") {
    store_.SetPrefBooleanProc(groupKey, name, ReadIntegerText(text) != 0);
  } else if (type == "binary") {
    writeBinary(groupKey, name, std::move(text));
  }
}

void ConfigImport::writeBinary(const std::string& groupKey, const std::string& name, std::string text) {
  std::erase(text, ' ');
  const std::size_t n = text.size() / 2;
  if (n > binary_.size()) {
    // More than the import can hold: this value is not written, and the user
    // is told, rather than storing a part of it or dropping it silently.
    const std::string unsaved = store_.ReleasePrefLocks();  // the group's key is open
    showImportBox("Could not import the binary value '" + name + "' of the group '" + group_ + "': it has " +
                  std::to_string(n) + " bytes, and at most " + std::to_string(binary_.size()) +
                  " bytes can be imported.\r\n\r\nFilename: " + fileName_ + unsaved);
    return;
  }
  if (HexToBytes(text, binary_, n)) store_.SetPrefBinaryProc(groupKey, name, std::span(binary_.data(), n));
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

bool ImportConfigFile(TConfigBase& store, const std::string& givenName) {
  std::string fileName = givenName;
  try {
    fileName = UnquoteFileName(givenName);
    ConfigDocument doc(fileName);
    const xmlNode* root = doc.Root();
    if (!doc.HasDoctype())
      throw ImportError("the file has no document type declaration (<!DOCTYPE " + std::string(kRootName) + ">)");
    if (!root) throw ImportError("the file has no root element");

    std::string otherProduct;
    if (NodeName(root) != kRootName) otherProduct = NodeName(root);
    if (doc.DoctypeName() != kRootName) otherProduct = doc.DoctypeName();
    if (!otherProduct.empty()) {
      otherProduct = ReplaceAll(ReplaceAll(otherProduct, "_Preferences", ""), "_", " ");
      showImportBox("This configuration file belongs to " + otherProduct + "\r\n" + "and is not compatible with " +
                    ProductBaseName + ".");
      return true;
    }

    doc.ExpandEntities();
    root = doc.Root();
    ConfigImport import(store, fileName);
    const std::string product = platform::lowerCase(ProductBaseName);
    for (const xmlNode* child : ChildNodes(root)) {
      if (child->type == XML_COMMENT_NODE || IsTextElement(child)) continue;
      if (platform::lowerCase(NodeName(child)) == product) import.ImportProduct(child);
    }
    return true;
  } catch (const std::exception& e) {
    // A key may still be open here; what it received stays written.
    const std::string unsaved = store.ReleasePrefLocks();
    showImportBox(std::string("Could not import the program configuration due to the following error:\r\n") +
                  e.what() + "\r\n" + "\r\n" + "Filename: " + fileName + unsaved);
    return false;
  }
}

bool ImportConfigFile(const std::string& fileName) {
  if (!ConfigManager) return false;
  return ImportConfigFile(*ConfigManager, fileName);
}

}  // namespace quillbray
