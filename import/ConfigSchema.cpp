// The schema is written as text, as export-config writes its files: every
// name in it comes from the catalogue or the group table through EncodeName,
// so it is an element name that the import decodes back to the catalogue's.
#include "import/ConfigSchema.h"

#include <algorithm>
#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "import/Decoding.h"
#include "import/ConfigLint.h"
#include "import/Encoding.h"
#include "import/ImpExpRegXML.h"
#include "platform/Files.h"
#include "platform/ReplaceFile.h"
#include "platform/Text.h"
#include "prefs/Product.h"
#include "settings/Catalogue.h"

namespace quillbray {
namespace {

using saving::ValueKind;

// The levels above the groups. The product element is taken in any letter
// case by the import; the schema names it in the product's own.
constexpr const char* kRootName = "Quillbray_Preferences";
constexpr TDataScope kScopes[] = {cfgPerUserRoam, cfgPerUserNonRoam, cfgPerMachine};
constexpr const char* kProductKeyGroup = "cfgAll";

// The schema's own types.
constexpr const char* kOpenType = "open";      // any elements, no text, no attributes
constexpr const char* kNumberType = "number";  // integer first: for Integer and Colour
constexpr const char* kFlagType = "flag";      // boolean first: for Boolean
constexpr const char* kStringType = "string";  // String and Path
constexpr const char* kNumberText = "numberText";

// The text ReadIntegerText reads as a number, as it stands in the file:
// blanks (" " or "_", which decodes to one), a sign, then decimal digits or a
// hexadecimal prefix ("$" also as "&#36;", which decodes to one) and
// hexadecimal digits. The range is not checked. In XSD's regular
// expressions "$" is an ordinary character and a match is always whole.
constexpr const char* kNumberPattern = "[ _]*[+\\-]?([0-9]+|([$xX]|&amp;#36;|0[xX])[0-9A-Fa-f]+)";

// Read from "integer" and "boolean" (KindReadsFrom), where a text is read from "string".
bool numeric(ValueKind kind) { return KindReadsFrom(kind, ValueType::Integer); }

const char* kindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::Integer: return "Integer";
    case ValueKind::Colour: return "Colour";
    case ValueKind::Boolean: return "Boolean";
    case ValueKind::String: return "String";
    case ValueKind::Path: return "Path";
  }
  return "";
}


// An element name for a catalogue name, or "" for one no file can carry
// (it holds "_", or is no element name once encoded).
std::string elementName(const std::string& name) {
  if (name.empty() || name.find('_') != std::string::npos) return "";
  const std::string encoded = EncodeName(name);
  return IsXmlElementName(encoded) && DecodeName(encoded) == name ? encoded : "";
}

std::string groupLabel(TConfigGroup group) {
  return group == cgProductKey ? std::string("the product key") : ConfigGroupNames[group];
}

// One value name: each kind the catalogue has it with, and the groups of
// each, in the catalogue's order.
struct ValueName {
  std::vector<std::pair<ValueKind, std::vector<std::string>>> kinds;

  void add(ValueKind kind, const std::string& group) {
    auto k = std::find_if(kinds.begin(), kinds.end(), [&](const auto& x) { return x.first == kind; });
    if (k == kinds.end()) k = kinds.insert(kinds.end(), {kind, {}});
    if (std::find(k->second.begin(), k->second.end(), group) == k->second.end()) k->second.push_back(group);
  }
  // Every kind reads the same XML types: one type fits them all.
  bool agrees() const {
    for (const auto& k : kinds)
      if (numeric(k.first) != numeric(kinds.front().first)) return false;
    return true;
  }
  const char* type() const {
    if (!numeric(kinds.front().first)) return kStringType;
    return kinds.size() == 1 && kinds.front().first == ValueKind::Boolean ? kFlagType : kNumberType;
  }
  // "Integer in Logs and Backup; Colour in Fonts. Its type: ..."
  std::string documentation() const {
    std::string text;
    for (const auto& [kind, groups] : kinds) {
      text += (text.empty() ? "" : "; ") + std::string(kindName(kind)) + " in ";
      for (std::size_t i = 0; i < groups.size(); ++i)
        text += (i == 0 ? "" : i + 1 == groups.size() ? " and " : ", ") + groups[i];
    }
    const char* type = this->type();
    return text + (type == kStringType ? ". Its type: \"string\"."
                   : type == kFlagType ? ". Its type: \"boolean\" or \"integer\"; its text: a number, 0 for false."
                                       : ". Its type: \"integer\" or \"boolean\"; its text: a number.");
  }
};

// Every catalogue value by its element name (names compared as the schema
// compares them, in their letter case). A list group's slots are named
// "file 0" to "file <lastSlot>"; a list of any length names no slots of its
// own, as no schema can name every slot, and shares the others' names.
std::map<std::string, ValueName> catalogueValues() {
  std::map<std::string, ValueName> values;
  std::vector<std::string> openLists;
  for (const CatalogueGroup& g : CatalogueGroups()) {
    const std::string group = groupLabel(g.group);
    if (g.list) {
      if (g.lastSlot < 0) openLists.push_back(group);
      for (int slot = 0; slot <= g.lastSlot; ++slot)
        if (const std::string name = elementName(saving::kListValuePrefix + std::to_string(slot)); !name.empty())
          values[name].add(ValueKind::Path, group);
      continue;
    }
    for (const CatalogueValue& v : g.values)
      if (const std::string name = elementName(v.name); !name.empty()) values[name].add(v.kind, group);
  }
  const std::string slotPrefix = EncodeName(saving::kListValuePrefix);
  for (auto& [name, value] : values) {
    const bool slot = name.size() > slotPrefix.size() && name.starts_with(slotPrefix) &&
                      name.find_first_not_of("0123456789", slotPrefix.size()) == std::string::npos;
    if (slot)
      for (const std::string& group : openLists) value.add(ValueKind::Path, group);
  }
  return values;
}

// The groups a file can name: the group table's, but those the import never
// imports, and "cfgAll" for the product key; each with its documentation.
std::map<std::string, std::string> groupElements() {
  std::map<std::string, std::string> groups;
  groups[kProductKeyGroup] = "The product key itself, as values directly in a scope are.";
  for (std::size_t g = cgAll + 1; g < cgProductKey; ++g) {
    const std::string group = ConfigGroupNames[g];
    const std::string upper = platform::upperCase(group);
    if (upper.find("$TEMP") != std::string::npos || upper.find("$UNKNOWN") != std::string::npos) continue;
    const std::string name = elementName(group);
    if (name.empty()) continue;
    std::string text = "Group " + group + ".";
    if (FindCatalogueGroup(static_cast<TConfigGroup>(g)))
      text += " The product keeps it under " + std::string(ScopeElementName(CatalogueScope(static_cast<TConfigGroup>(g)))) +
              ".";
    groups[name] = text;
  }
  return groups;
}

void appendElement(std::string& out, const std::string& name, const std::string& type, const std::string& doc) {
  out += "  <xs:element name=\"" + name + "\" type=\"" + type + "\">\n";
  out += "    <xs:annotation><xs:documentation>" + EscapeXmlText(doc) + "</xs:documentation></xs:annotation>\n";
  out += "  </xs:element>\n";
}

// A value's type: its text, and a required "type" attribute of the listed names.
void appendValueType(std::string& out, const char* name, const char* text, std::initializer_list<const char*> types) {
  out += std::string("  <xs:complexType name=\"") + name + "\">\n    <xs:simpleContent>\n";
  out += std::string("      <xs:extension base=\"") + text + "\">\n";
  out += "        <xs:attribute name=\"type\" use=\"required\">\n          <xs:simpleType>\n";
  out += "            <xs:restriction base=\"xs:string\">\n";
  for (const char* type : types) out += std::string("              <xs:enumeration value=\"") + type + "\"/>\n";
  out += "            </xs:restriction>\n          </xs:simpleType>\n        </xs:attribute>\n";
  out += "      </xs:extension>\n    </xs:simpleContent>\n  </xs:complexType>\n";
}

}  // namespace

std::string ConfigSchemaText() {
  const std::map<std::string, std::string> groups = groupElements();
  // A name above the values, or a group's, is that element wherever it stands.
  std::set<std::string> taken = {kRootName, ProductBaseName};
  for (const TDataScope scope : kScopes) taken.insert(ScopeElementName(scope));
  for (const auto& group : groups) taken.insert(group.first);

  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- The Quillbray configuration format, written by quillbray-reg export-schema from the\n"
      "     product's catalogue. Every level takes any element; a declared name is checked\n"
      "     wherever it stands, in its letter case: a value's \"type\" attribute and, for\n"
      "     integers and booleans, that its text is a number. -->\n"
      "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n";
  out += std::string("  <xs:complexType name=\"") + kOpenType +
         "\">\n"
         "    <xs:sequence>\n"
         "      <xs:any processContents=\"lax\" minOccurs=\"0\" maxOccurs=\"unbounded\"/>\n"
         "    </xs:sequence>\n"
         "  </xs:complexType>\n";
  out += std::string("  <xs:simpleType name=\"") + kNumberText + "\">\n    <xs:restriction base=\"xs:string\">\n" +
         "      <xs:pattern value=\"" + kNumberPattern + "\"/>\n    </xs:restriction>\n  </xs:simpleType>\n";
  appendValueType(out, kNumberType, kNumberText, {"integer", "boolean"});
  appendValueType(out, kFlagType, kNumberText, {"boolean", "integer"});
  appendValueType(out, kStringType, "xs:string", {"string"});

  appendElement(out, kRootName, kOpenType, "The root: one or more Quillbray elements.");
  appendElement(out, ProductBaseName, kOpenType, "The product's preferences: scope elements.");
  appendElement(out, ScopeElementName(cfgPerUserRoam), kOpenType, "Per user, roaming: groups, and values of the product key.");
  appendElement(out, ScopeElementName(cfgPerUserNonRoam), kOpenType, "Per user, this machine: groups, and values of the product key.");
  appendElement(out, ScopeElementName(cfgPerMachine), kOpenType, "Machine-wide: groups, and values of the product key.");
  for (const auto& [name, doc] : groups) appendElement(out, name, kOpenType, doc);
  for (const auto& [name, value] : catalogueValues())
    if (!taken.contains(name) && value.agrees()) appendElement(out, name, value.type(), value.documentation());
  return out + "</xs:schema>\n";
}

void ExportConfigSchema(const std::string& fileName) {
  try {
    platform::replaceFile(fileName, ConfigSchemaText());
  } catch (const platform::FileError& e) {
    throw std::runtime_error("Cannot write the schema file '" + fileName + "': " + e.what());
  }
}

}  // namespace quillbray
