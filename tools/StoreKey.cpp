#include "tools/StoreKey.h"

#include <algorithm>
#include <string_view>

#include "platform/Text.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"
#include "tools/RegExport.h"
#include "tools/RegKeyName.h"
#include "tools/RegVerbs.h"

namespace quillbray {
namespace {

bool sameName(std::string_view a, std::string_view b) { return platform::foldName(a) == platform::foldName(b); }

}  // namespace

std::string StoreKey::display() const {
  std::string name = std::string(rootName(root)) + "\\" + ProductKey;
  if (!group.empty()) (name += '\\') += group;
  return name;
}

std::string StoreKey::section() const { return PrefSectionName(group); }

StoreKey StoreKey::withGroup(std::string g) const {
  StoreKey k = *this;
  k.group = std::move(g);
  return k;
}

StoreKey storeKeyOf(const std::string& text, bool nonRoaming) {
  const RegKeyName name = parseKeyName(text);
  const std::vector<std::string_view> parts = platform::splitKeyPath(name.path);
  const std::vector<std::string_view> product = platform::splitKeyPath(ProductKey);
  const bool below = parts.size() >= product.size() &&
                     std::equal(product.begin(), product.end(), parts.begin(), sameName);
  if (!below)
    throw NotInSettingsFile("the settings file holds only the product's keys: '" + text + "' is not HKCU\\" +
                            ProductKey + " (HKLM\\... for the machine's file) or a key below it");
  StoreKey key;
  key.root = name.root;
  for (std::size_t i = product.size(); i < parts.size(); ++i) {
    if (!key.group.empty()) key.group += '\\';
    key.group += parts[i];
  }
  if (!key.group.empty() && sameName(key.group, PrefSectionName("")))
    throw NotInSettingsFile("the key '" + text + "' has no section of its own: the section [" + PrefSectionName("") +
                            "] holds the values of " + key.withGroup("").display() + " itself");
  if (key.root == platform::RegistryRoot::LocalMachine) {
    if (nonRoaming) throw UsageError("/nonroam goes with HKCU keys: the machine has one settings file");
    key.scope = cfgPerMachine;
  } else {
    key.scope = nonRoaming ? cfgPerUserNonRoam : cfgPerUserRoam;
  }
  return key;
}

std::vector<std::string> sectionsBelow(const StoreKey& key, const std::vector<std::string>& sections) {
  const std::string own = platform::foldName(key.section());
  const std::string prefix = key.group.empty() ? "" : platform::foldName(key.group) + "\\";
  std::vector<std::pair<std::string, std::string>> found;  // folded, as written
  for (const std::string& s : sections) {
    std::string fold = platform::foldName(s);
    if (fold == own || fold.compare(0, prefix.size(), prefix) != 0) continue;
    found.emplace_back(std::move(fold), s);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> out;
  out.reserve(found.size());
  for (auto& f : found) out.push_back(std::move(f.second));
  return out;
}

bool hasSection(const StoreKey& key, const std::vector<std::string>& sections) {
  const std::string own = key.section();
  return std::any_of(sections.begin(), sections.end(), [&](const std::string& s) { return sameName(s, own); });
}

}  // namespace quillbray
