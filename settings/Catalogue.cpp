#include "settings/Catalogue.h"

#include <algorithm>

namespace quillbray {
namespace {

using saving::GroupValue;
using saving::ValueKind;

void add(std::vector<CatalogueValue>& out, std::span<const GroupValue> table) {
  for (const GroupValue& v : table) out.push_back({v.name, v.kind, v.maxLength});
}

std::vector<CatalogueGroup> build() {
  std::vector<CatalogueGroup> groups;
  for (const saving::GroupTable& t : saving::GroupTables()) {
    CatalogueGroup g{t.group, t.scope, {}};
    add(g.values, t.values);
    add(g.values, t.more);
    groups.push_back(std::move(g));
  }
  const saving::GroupTable appearance = saving::AppearanceTable();
  CatalogueGroup a{appearance.group, appearance.scope, {}};
  add(a.values, appearance.values);
  for (auto& [name, kind] : saving::ThemeValues()) a.values.push_back({std::move(name), kind});
  groups.push_back(std::move(a));
  // The two lists: the files list grows, the recent files have their slots.
  groups.push_back({cgFiles, CatalogueScope(cgFiles), {}, true, -1});
  groups.push_back({cgMRU, CatalogueScope(cgMRU), {}, true, static_cast<int>(kMRUCount) - 1});
  std::stable_sort(groups.begin(), groups.end(),
                   [](const CatalogueGroup& x, const CatalogueGroup& y) { return x.group < y.group; });
  return groups;
}

}  // namespace

const std::vector<CatalogueGroup>& CatalogueGroups() {
  static const std::vector<CatalogueGroup> groups = build();
  return groups;
}

const CatalogueGroup* FindCatalogueGroup(TConfigGroup group) {
  for (const CatalogueGroup& g : CatalogueGroups())
    if (g.group == group) return &g;
  return nullptr;
}

}  // namespace quillbray
