// The catalogue as its save operations write it, for whatever checks a file
// against it (the import's --lint, the reg tool's schema): each group a
// configuration file can name, the scope the catalogue keeps it in, and each
// value's name and kind. It is read from the tables the saves write with, so
// a value added to a table is known here without a second edit.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "settings/ConfigGroups.h"
#include "settings/GroupWrite.h"

namespace quillbray {

struct CatalogueValue {
  std::string name;  // as the save writes it
  saving::ValueKind kind;
  std::size_t maxLength = 0;  // characters a short text holds; 0: no bound
};

struct CatalogueGroup {
  TConfigGroup group;  // its name is ConfigGroupNames[group]; cgProductKey: the product key itself
  TDataScope scope;
  std::vector<CatalogueValue> values;
  // A list group (Files, MRU) names its values kListValuePrefix and a slot
  // number instead: slots 0 to lastSlot, or any slot when lastSlot is -1.
  bool list = false;
  int lastSlot = -1;
};

// Every group the saves write that a configuration file can name, in the
// order of the group table; the product key last.
const std::vector<CatalogueGroup>& CatalogueGroups();

// The group of that number, or null for one the saves write no values of a
// file can name (the window layout and the search history lie in sub-keys).
const CatalogueGroup* FindCatalogueGroup(TConfigGroup group);

}  // namespace quillbray
