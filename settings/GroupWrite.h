// Writing one group of the catalogue: the shape of a group's value table and
// the one routine that opens the group's key, writes and closes.
//
// A group's table lists its values in writing order, each as (value name,
// kind, source), and reads like the product's own tables:
//   Boolean("Close Hides", &TConfigManager::CloseHides),
//   String("HotKey", &TConfigManager::HotKey),
// A source is a member of the catalogue, or, for a value that is not a plain
// member (a font's name, an array element), a function of the catalogue.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "settings/ConfigManager.h"

namespace quillbray::saving {

// How a value is written: Integer and Colour with SetPrefInteger, Boolean with
// SetPrefBooleanProc, String with SetPrefString, Path with SetPrefPath.
enum class ValueKind { Integer, Colour, Boolean, String, Path };

using C = TConfigManager;
using IntegerMember = std::int32_t C::*;
using BooleanMember = bool C::*;
using StringMember = std::string C::*;
using IntegerOf = std::int32_t (*)(const C&);
using StringOf = std::string (*)(const C&);

struct GroupValue {
  const char* name;
  ValueKind kind;
  std::variant<IntegerMember, BooleanMember, StringMember, IntegerOf, StringOf> source;
  std::size_t maxLength = 0;  // the characters a short text field holds; 0: no bound
};

// The table entries, one maker per kind, so a kind always has a source of its type.
constexpr GroupValue Integer(const char* name, IntegerMember m) { return {name, ValueKind::Integer, m}; }
constexpr GroupValue Integer(const char* name, IntegerOf f) { return {name, ValueKind::Integer, f}; }
constexpr GroupValue Colour(const char* name, IntegerMember m) { return {name, ValueKind::Colour, m}; }
constexpr GroupValue Colour(const char* name, IntegerOf f) { return {name, ValueKind::Colour, f}; }
constexpr GroupValue Boolean(const char* name, BooleanMember m) { return {name, ValueKind::Boolean, m}; }
constexpr GroupValue String(const char* name, StringMember m) { return {name, ValueKind::String, m}; }
constexpr GroupValue String(const char* name, StringOf f) { return {name, ValueKind::String, f}; }
constexpr GroupValue String(const char* name, StringMember m, std::size_t maxLength) {
  return {name, ValueKind::String, m, maxLength};
}
constexpr GroupValue Path(const char* name, StringMember m) { return {name, ValueKind::Path, m}; }

// Where a group lives: its key, the section every write names, its scope.
struct GroupPlace {
  std::string key;
  std::string section;
  TDataScope scope = cfgPerUserRoam;
};

// A sub-key of the product key; its name is also the section:
//   "Logs" => key "Software\Corvellan\Quillbray 4\Logs", section "Logs".
// The product key itself is "" (the key keeps its trailing backslash).
GroupPlace below(const std::string& subKey, TDataScope scope = cfgPerUserRoam);
// The place of a group of the group table, in the scope the catalogue keeps
// it in (CatalogueScope).
GroupPlace placeOf(TConfigGroup group);

// A group that is a table of values: the group, the scope the catalogue
// keeps it in, the values its save writes, and those it writes besides, at
// times or in another section (DbgHooks, "First Time").
struct GroupTable {
  TConfigGroup group;
  TDataScope scope;
  std::span<const GroupValue> values;
  std::span<const GroupValue> more = {};
};

// What each save's tables give the catalogue (settings/Catalogue.h): the
// groups of GroupTables.cpp, the Appearance group's table, and its per-theme
// values, "Theme <theme> <property>" with the kind of each.
std::span<const GroupTable> GroupTables();
GroupTable AppearanceTable();
std::vector<std::pair<std::string, ValueKind>> ThemeValues();

// The value names of the two list groups, Files and MRU: "file 0", "file 1"...
inline constexpr const char* kListValuePrefix = "file ";

// Opens the place's key (creating it), runs writes and closes the key, also
// when writes raised (the exception then goes on to the caller). When the key
// does not open, OpenPref has shown its box: nothing is written and the store
// is not closed.
void writeGroup(C& c, const GroupPlace& place, const std::function<void()>& writes);

// Writes the table's values, in order, under the section.
void writeValues(C& c, const std::string& section, std::span<const GroupValue> table);

// The common case: a group that is just its table.
inline void writeGroup(C& c, const GroupPlace& place, std::span<const GroupValue> table) {
  writeGroup(c, place, [&] { writeValues(c, place.section, table); });
}

}  // namespace quillbray::saving
