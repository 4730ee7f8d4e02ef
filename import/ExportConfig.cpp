// Writing a program-configuration file from the hives.
//
// Only what the import would put back in the same place, with the same type
// and bytes, is written; everything else is named in the result. Each value
// and each group name is checked by encoding it and decoding it again.
#include "import/ExportConfig.h"

#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "import/ConfigDocument.h"
#include "import/ConfigLimits.h"
#include "import/Decoding.h"
#include "import/Encoding.h"
#include "import/ImpExpRegXML.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/ReplaceFile.h"
#include "platform/Text.h"
#include "platform/Utf8.h"
#include "prefs/Product.h"
#include "prefs/StoredForms.h"
#include "settings/ConfigGroups.h"

namespace quillbray {
namespace {

using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryValue;

constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

struct Element {
  std::string name;  // encoded
  std::string type;
  std::string text;  // encoded, not yet XML-escaped
};

struct Group {
  std::string name;  // encoded
  std::vector<Element> values;
  TDataScope scope = cfgPerUserRoam;  // the catalogue's, for a group of its table
};

// The scope the catalogue keeps the group of that key in, found as the
// import finds it when the file is read back.
TDataScope scopeOf(const std::string& keyName) {
  const std::optional<TConfigGroup> group = GroupOfName(keyName);
  return group && *group != cgProductKey ? CatalogueScope(*group) : cfgPerUserRoam;
}

// What one hive contributes: a scope element's content.
struct Scope {
  std::vector<Element> loose;
  std::vector<Group> groups;
};

std::string typeName(std::uint32_t type) {
  switch (type) {
    case platform::REG_NONE: return "REG_NONE";
    case platform::REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case 6: return "REG_LINK";
    case kRegMultiSz: return "REG_MULTI_SZ";
    case kRegQword: return "REG_QWORD";
    default: return "type " + std::to_string(type);
  }
}

// "U+0001", or "byte 0xFF" where the text is not UTF-8.
std::string characterAt(std::string_view utf8, std::size_t at) {
  char buffer[24];
  char32_t c = 0;
  if (platform::decodeUtf8(utf8, at, c) != 0)
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  else
    std::snprintf(buffer, sizeof buffer, "byte 0x%02X", static_cast<unsigned char>(utf8[at]));
  return buffer;
}

// Why a value's name cannot be written; empty when it can.
std::string nameProblem(const std::string& name) {
  if (name.empty()) return "a value without a name cannot be written (an element needs a name)";
  if (name.find('_') != std::string::npos) return "the name holds \"_\", which reads back as a blank";
  const std::string encoded = EncodeName(name);
  if (!IsXmlElementName(encoded)) return "the name cannot be written as an XML element name";
  if (DecodeName(encoded) != name) return "the name would not read back the same";
  return "";
}

// Why a string cannot be written; empty when it can.
std::string textProblem(const std::string& text) {
  if (text.find('_') != std::string::npos) return "the text holds \"_\", which reads back as a blank";
  if (const std::size_t at = FirstUnwritableCharacter(text); at != std::string::npos)
    return "the text holds a character XML cannot carry (" + characterAt(text, at) + " at offset " +
           std::to_string(at) + ")";
  if (text.find_first_not_of("\t\r\n") == std::string::npos && !text.empty())
    return "the text holds only tabs and line breaks, which the import drops";
  if (DecodeText(EncodeText(text)) != text)
    return "the text would not read back the same (it holds a sequence such as \"&#36;\")";
  return "";
}

class HiveExport {
 public:
  HiveExport(RegistryRoot root, ExportConfigResult& result)
      : root_(root), rootName_(root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE"),
        result_(result) {}

  Scope read() {
    Scope scope;
    auto product = platform::registry().openKey(root_, ProductKey, platform::KeyAccess::Read, false);
    if (!product) return scope;  // a missing hive or key holds nothing
    seen_.insert(product->identity());
    scope.loose = values(*product, "", true);
    for (const std::string& name : product->subKeyNames()) {
      auto child = product->openChild(name);
      if (child) walk(*child, {name}, scope);
    }
    return scope;
  }

 private:
  std::string location(const std::vector<std::string>& path) const {
    std::string out = rootName_ + "\\" + ProductKey;
    for (const std::string& name : path) out += "\\" + name;
    return out;
  }

  void skip(const std::string& where, const std::string& why) { result_.skipped.push_back(where + ": " + why); }

  // The group a key below the product key becomes, or why it cannot be one.
  std::pair<std::string, std::string> groupOf(const std::vector<std::string>& path) const {
    std::string group;
    if (path.size() == 1) {
      group = path[0];
    } else if (path.size() == 2 && platform::upperCase(path[0]) == "$UNKNOWN") {
      group = path[1];  // the import puts unknown groups here
    } else {
      return {"", "a key this deep below the product key cannot be written (a file holds one level of groups)"};
    }
    if (group.empty() || group.find('\\') != std::string::npos)
      return {"", "the key's name cannot be a group's name"};
    if (group.find('_') != std::string::npos)
      return {"", "the group's name holds \"_\", which reads back as a blank"};
    const std::string upper = platform::upperCase(group);
    if (group == "Schedules" || upper.find("$TEMP") != std::string::npos ||
        upper.find("$UNKNOWN") != std::string::npos)
      return {"", "the import passes over a group named \"" + group + "\""};
    const std::string encoded = EncodeName(group);
    if (!IsXmlElementName(encoded) || DecodeName(encoded) != group)
      return {"", "the group's name cannot be written as an XML element name"};
    std::string stored;
    for (const std::string& name : path) stored += (stored.empty() ? "" : "\\") + name;
    const std::string lands = GroupKeyOf(group);
    if (platform::upperCase(lands) != platform::upperCase(stored))
      return {"", "the group \"" + group + "\" would be imported into " + rootName_ + "\\" + ProductKey +
                      (lands.empty() ? "" : "\\" + lands)};
    return {encoded, ""};
  }

  void walk(RegistryKey& key, std::vector<std::string> path, Scope& scope) {
    if (!seen_.insert(key.identity()).second) return;  // a damaged hive: a key reached twice
    const std::vector<std::string> names = key.valueNames();
    if (!names.empty()) {
      const auto [group, problem] = groupOf(path);
      if (!problem.empty()) {
        skip(location(path), "key left out with its " + std::to_string(names.size()) + " value" +
                                 (names.size() == 1 ? "" : "s") + ": " + problem);
      } else if (auto written = values(key, location(path), false); !written.empty()) {
        scope.groups.push_back({group, std::move(written), path.size() == 1 ? scopeOf(path[0]) : cfgPerUserRoam});
      }
    }
    if (path.size() >= platform::kMaxKeyDepth) return;
    for (const std::string& name : key.subKeyNames()) {
      auto child = key.openChild(name);
      if (!child) continue;
      path.push_back(name);
      walk(*child, path, scope);
      path.pop_back();
    }
  }

  std::vector<Element> values(RegistryKey& key, const std::string& where, bool loose) {
    const std::string at = where.empty() ? rootName_ + "\\" + ProductKey : where;
    std::vector<Element> out;
    for (const std::string& name : key.valueNames()) {
      const std::optional<RegistryValue> value = key.queryValue(name);
      if (!value) continue;
      const std::string label = at + ": \"" + name + "\"";
      if (const std::string problem = nameProblem(name); !problem.empty()) {
        skip(label, problem);
        continue;
      }
      Element e{EncodeName(name), "", ""};
      if (const std::string problem = convert(*value, e); !problem.empty()) {
        skip(label, problem);
        continue;
      }
      if (loose && e.text.empty()) {
        skip(label, "an empty value directly in the product key would be read back as an empty group");
        continue;
      }
      out.push_back(std::move(e));
      ++result_.values;
    }
    return out;
  }

  // Fills the element's type and text; answers why it cannot, or "".
  static std::string convert(const RegistryValue& value, Element& e) {
    const auto& data = value.data;
    switch (value.type) {
      case platform::REG_DWORD: {
        if (data.size() != 4)
          return "a REG_DWORD value of " + std::to_string(data.size()) + " bytes (not 4) cannot be written";
        std::uint32_t n = 0;
        for (std::size_t i = 0; i < 4; ++i) n |= std::uint32_t{data[i]} << (8 * i);
        e.type = "integer";
        e.text = std::to_string(static_cast<std::int32_t>(n));
        return "";
      }
      case platform::REG_SZ: {
        if (data.empty() || data.back() != 0) return "a REG_SZ value without its terminating zero byte";
        const std::string text(data.begin(), data.end() - 1);
        if (text.find('\0') != std::string::npos) return "a REG_SZ value holding a zero byte before its end";
        if (const std::string problem = textProblem(text); !problem.empty()) return problem;
        e.type = "string";
        e.text = EncodeText(text);
        return "";
      }
      case platform::REG_BINARY:
        if (data.size() > kBinaryBufferSize)
          return "binary data of " + std::to_string(data.size()) + " bytes (the import takes at most " +
                 std::to_string(kBinaryBufferSize) + ")";
        e.type = "binary";
        e.text = UpperHexText(data);
        return "";
      default:
        return "a " + typeName(value.type) +
               " value cannot be written (the file holds integers, strings and binary data)";
    }
  }

  RegistryRoot root_;
  std::string rootName_;
  ExportConfigResult& result_;
  std::set<std::int64_t> seen_;
};

void appendValue(std::string& out, const Element& e, const char* indent) {
  out += indent;
  out += "<" + e.name + " type=\"" + e.type + "\">" + EscapeXmlText(e.text) + "</" + e.name + ">\n";
}

// The scope element of the groups in `only` (all of them when null): empty
// as "<Name/>", unless `omitEmpty`.
void appendScope(std::string& out, const char* name, const Scope& scope, const TDataScope* only = nullptr,
                 bool omitEmpty = false) {
  const auto wanted = [&](const Group& g) { return !only || g.scope == *only; };
  const bool loose = !only || *only == cfgPerUserRoam;
  bool any = loose && !scope.loose.empty();
  for (const Group& g : scope.groups) any = any || wanted(g);
  if (!any) {
    if (!omitEmpty) out += std::string("    <") + name + "/>\n";
    return;
  }
  out += std::string("    <") + name + ">\n";
  if (loose)
    for (const Element& e : scope.loose) appendValue(out, e, "      ");
  for (const Group& g : scope.groups) {
    if (!wanted(g)) continue;
    out += "      <" + g.name + ">\n";
    for (const Element& e : g.values) appendValue(out, e, "        ");
    out += "      </" + g.name + ">\n";
  }
  out += std::string("    </") + name + ">\n";
}

// Readers see the old file or the new one, never a part.
void writeAtomically(const std::string& fileName, const std::string& content) {
  try {
    platform::replaceFile(fileName, content);
  } catch (const platform::FileError& e) {
    throw std::runtime_error("Cannot write the configuration file '" + fileName + "': " + e.what());
  }
}

}  // namespace

ExportConfigResult ExportConfigFile(const std::string& fileName, const ExportLimits& limits) {
  ExportConfigResult result;
  const Scope user = HiveExport(RegistryRoot::CurrentUser, result).read();
  const Scope machine = HiveExport(RegistryRoot::LocalMachine, result).read();
  // A file the import would refuse as a whole would carry nothing: it is not
  // written. The import reads at most 64 MiB and a limited number of
  // different names.
  // The parser counts its own three names too.
  std::set<std::string_view> names = {"Quillbray_Preferences", "Quillbray", "PerUserRoam", "PerMachine", "type",
                                      "xml", "xmlns", "http://www.w3.org/XML/1998/namespace"};
  for (const Group& g : user.groups)
    if (g.scope == cfgPerUserNonRoam) names.insert("PerUserNonRoam");
  for (const Scope* scope : {&user, &machine}) {
    for (const Element& e : scope->loose) names.insert(e.name);
    for (const Group& g : scope->groups) {
      names.insert(g.name);
      for (const Element& e : g.values) names.insert(e.name);
    }
  }
  if (const std::size_t limit = limits.maxNames; names.size() > limit)
    throw std::runtime_error("Cannot write the configuration file '" + fileName + "': it would use " +
                             GroupedNumber(names.size()) + " different names, and the import reads files of at most " +
                             GroupedNumber(limit));
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE Quillbray_Preferences>\n"
      "<Quillbray_Preferences>\n"
      "  <Quillbray>\n";
  // Both per-user scopes live in the user's hive; each group goes back to the
  // scope the catalogue keeps it in, so that an import into the settings
  // file writes it where the product reads it.
  const TDataScope roaming = cfgPerUserRoam, nonRoaming = cfgPerUserNonRoam;
  appendScope(out, "PerUserRoam", user, &roaming);
  appendScope(out, "PerUserNonRoam", user, &nonRoaming, /*omitEmpty=*/true);
  appendScope(out, "PerMachine", machine);
  out += "  </Quillbray>\n</Quillbray_Preferences>\n";
  if (out.size() > limits.maxBytes)
    throw std::runtime_error("Cannot write the configuration file '" + fileName + "': it would hold " +
                             GroupedNumber(out.size()) + " bytes, and the import reads files of at most " +
                             GroupedNumber(limits.maxBytes));
  writeAtomically(fileName, out);
  return result;
}

}  // namespace quillbray
