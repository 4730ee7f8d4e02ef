// The one routine that writes a group, and the writing of a table's values.
#include "settings/GroupWrite.h"

#include "prefs/Product.h"

namespace quillbray::saving {
namespace {

std::int32_t integerOf(const C& c, const GroupValue& v) {
  if (const auto* m = std::get_if<IntegerMember>(&v.source)) return c.**m;
  return std::get<IntegerOf>(v.source)(c);
}

std::string stringOf(const C& c, const GroupValue& v) {
  if (const auto* m = std::get_if<StringMember>(&v.source)) return c.**m;
  return std::get<StringOf>(v.source)(c);
}

}  // namespace

GroupPlace below(const std::string& subKey, TDataScope scope) {
  return {std::string(ProductKey) + "\\" + subKey, subKey, scope};
}

GroupPlace placeOf(TConfigGroup group) { return below(ConfigGroupNames[group], CatalogueScope(group)); }

void writeGroup(C& c, const GroupPlace& place, const std::function<void()>& writes) {
  if (!c.OpenPref(place.scope, place.key, /*CanCreate=*/true, /*ReadOnly=*/false)) return;
  // Not a scope guard: a close that raised while another exception unwinds
  // would end the process, here it replaces that exception instead.
  try {
    writes();
  } catch (...) {
    c.ClosePref();
    throw;
  }
  c.ClosePref();
}

void writeValues(C& c, const std::string& section, std::span<const GroupValue> table) {
  for (const GroupValue& v : table) {
    switch (v.kind) {
      case ValueKind::Integer:
      case ValueKind::Colour: c.SetPrefInteger(section, v.name, integerOf(c, v)); break;
      case ValueKind::Boolean: c.SetPrefBooleanProc(section, v.name, c.*std::get<BooleanMember>(v.source)); break;
      case ValueKind::String: c.SetPrefString(section, v.name, stringOf(c, v)); break;
      case ValueKind::Path: c.SetPrefPath(section, v.name, stringOf(c, v)); break;
    }
  }
}

}  // namespace quillbray::saving
