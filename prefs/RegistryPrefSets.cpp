// The three registry implementation sets behind the store's slots.
//
//   direct   one accessor (MachineRegistry) on HKEY_LOCAL_MACHINE
//   flat     one accessor (MachineRegistry) on the root the opening chose
//   layered  reads look at the user's values (U) first, then the machine's (M);
//            writes go to U only, and only when they make a difference
#include <vector>

#include "prefs/ConfigBase.h"

namespace quillbray {
namespace {

using Name = const std::string&;

// The accessor of the current opening. After a close routine that failed the
// slots are still filled but the accessors are gone.
RegistryAccessor& need(const std::unique_ptr<RegistryAccessor>& accessor) {
  if (!accessor) throw PrefError("no registry key is open");
  return *accessor;
}

// The bulk write into one accessor's key; false when it has none open.
bool writeAll(RegistryAccessor* accessor, std::span<const platform::NamedValue> values) {
  if (!accessor || !accessor->HasOpenKey()) return false;
  accessor->WriteValues(values);
  return true;
}

// The one-accessor behaviour shared by the direct and flat sets (and by the
// layered set for each of its two accessors).
struct OneAccessor {
  RegistryAccessor& r;

  std::int32_t getInteger(Name name, std::int32_t def) { return r.ValueExists(name) ? r.ReadInteger(name) : def; }
  std::string getString(Name name, Name def) { return r.ValueExists(name) ? r.ReadString(name) : def; }
  bool getBoolean(Name name, bool def) { return r.ValueExists(name) ? r.ReadBool(name) : def; }
  std::int32_t getBinary(Name name, std::span<std::uint8_t> buffer) {
    return r.ValueExists(name) ? r.ReadBinaryData(name, buffer) : -1;
  }
  // Moves the accessor to the sub-key when it exists; later operations of
  // this opening act there.
  void getValueNames(Name subKey, std::vector<std::string>& list) {
    if (r.KeyExists(subKey) && r.OpenKey(subKey, false)) list = r.GetValueNames();
  }
};

TPrefSlots oneAccessorSet(TConfigBase& s) {
  auto one = [&s] { return OneAccessor{need(s.MachineRegistry)}; };
  TPrefSlots slots;
  slots.GetPrefInteger = [one](Name, Name name, std::int32_t def) { return one().getInteger(name, def); };
  slots.SetPrefInteger = [one](Name, Name name, std::int32_t v) { one().r.WriteInteger(name, v); };
  slots.GetPrefString = [one](Name, Name name, Name def) { return one().getString(name, def); };
  slots.SetPrefString = [one](Name, Name name, Name v) { one().r.WriteString(name, v); };
  slots.GetPrefBoolean = [one](Name, Name name, bool def) { return one().getBoolean(name, def); };
  slots.SetPrefBooleanProc = [one](Name, Name name, bool v) { one().r.WriteBool(name, v); };
  slots.GetPrefBinary = [one](Name, Name name, std::span<std::uint8_t> b) { return one().getBinary(name, b); };
  slots.SetPrefBinaryProc = [one](Name, Name name, std::span<const std::uint8_t> d) {
    one().r.WriteBinaryData(name, d);
  };
  slots.GetPrefValueNames = [one](Name, Name subKey, std::vector<std::string>& list) {
    one().getValueNames(subKey, list);
  };
  slots.DeletePrefValue = [one](Name, Name name) { return one().r.DeleteValue(name); };
  slots.DeletePrefKey = [one](Name subKey) { return one().r.DeleteKey(subKey); };
  slots.SetPrefValues = [&s](Name, std::span<const platform::NamedValue> values) {
    return writeAll(s.MachineRegistry.get(), values);
  };
  return slots;
}

// Writes to U unless the value is new to U and equals M's: a value the user
// has set once stays the user's, even when set back to the machine's.
template <typename Differs, typename Write>
void layeredWrite(TConfigBase& s, Name name, Differs differsFromMachine, Write write) {
  RegistryAccessor& u = need(s.UserRegistry);
  RegistryAccessor& m = need(s.MachineRegistry);
  // The machine's side first: without a machine value (the usual case) the
  // user's need not be looked up at all.
  if (!m.ValueExists(name) || u.ValueExists(name) || differsFromMachine(m)) write(u);
}

}  // namespace

TPrefSlots DirectRegistrySet(TConfigBase& store) {
  TPrefSlots slots = oneAccessorSet(store);
  slots.ClosePref = [&store] { store.ClosePref_Registry(); };
  return slots;
}

TPrefSlots FlatRegistrySet(TConfigBase& store) {
  TPrefSlots slots = oneAccessorSet(store);
  slots.ClosePref = [&store] { store.ClosePref_RegistryFlat(); };
  return slots;
}

TPrefSlots LayeredRegistrySet(TConfigBase& s) {
  auto user = [&s] { return OneAccessor{need(s.UserRegistry)}; };
  auto machine = [&s] { return OneAccessor{need(s.MachineRegistry)}; };
  TPrefSlots slots;
  slots.ClosePref = [&s] { s.ClosePref_Registry(); };

  slots.GetPrefInteger = [user, machine](Name, Name name, std::int32_t def) {
    if (user().r.ValueExists(name)) return user().r.ReadInteger(name);
    return machine().getInteger(name, def);
  };
  slots.GetPrefString = [user, machine](Name, Name name, Name def) {
    if (user().r.ValueExists(name)) return user().r.ReadString(name);
    return machine().getString(name, def);
  };
  slots.GetPrefBoolean = [user, machine](Name, Name name, bool def) {
    if (user().r.ValueExists(name)) return user().r.ReadBool(name);
    return machine().getBoolean(name, def);
  };
  slots.GetPrefBinary = [user, machine](Name, Name name, std::span<std::uint8_t> buffer) {
    return user().r.ValueExists(name) ? user().r.ReadBinaryData(name, buffer) : machine().getBinary(name, buffer);
  };

  slots.SetPrefInteger = [&s](Name, Name name, std::int32_t v) {
    layeredWrite(s, name, [&](RegistryAccessor& m) { return m.ReadInteger(name) != v; },
                 [&](RegistryAccessor& u) { u.WriteInteger(name, v); });
  };
  slots.SetPrefBooleanProc = [&s](Name, Name name, bool v) {
    layeredWrite(s, name, [&](RegistryAccessor& m) { return m.ReadBool(name) != v; },
                 [&](RegistryAccessor& u) { u.WriteBool(name, v); });
  };
  slots.SetPrefString = [&s](Name, Name name, Name v) {
    if (s.ForceUserStrings) return need(s.UserRegistry).WriteString(name, v);
    layeredWrite(s, name, [&](RegistryAccessor& m) { return m.ReadString(name) != v; },
                 [&](RegistryAccessor& u) { u.WriteString(name, v); });
  };
  slots.SetPrefBinaryProc = [&s](Name, Name name, std::span<const std::uint8_t> d) {
    layeredWrite(
        s, name,
        [&](RegistryAccessor& m) {
          const auto stored = m.ReadBinary(name);
          return !std::equal(stored.begin(), stored.end(), d.begin(), d.end());
        },
        [&](RegistryAccessor& u) { u.WriteBinaryData(name, d); });
  };

  slots.GetPrefValueNames = [user, machine](Name, Name subKey, std::vector<std::string>& list) {
    user().getValueNames(subKey, list);
    if (list.empty()) machine().getValueNames(subKey, list);
  };
  slots.DeletePrefValue = [user](Name, Name name) { return user().r.DeleteValue(name); };
  slots.DeletePrefKey = [user](Name subKey) { return user().r.DeleteKey(subKey); };
  // Without a machine key no value has a machine side: each write would go
  // to U. With one, each value must be compared with M's, one by one.
  slots.SetPrefValues = [&s](Name, std::span<const platform::NamedValue> values) {
    if (s.MachineRegistry && s.MachineRegistry->HasOpenKey()) return false;
    return writeAll(s.UserRegistry.get(), values);
  };
  return slots;
}

}  // namespace quillbray
