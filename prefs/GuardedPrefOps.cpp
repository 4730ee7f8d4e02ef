// The guarded typed operations: each calls its slot and turns an ordinary
// error into one message box, then returns normally.
#include <type_traits>

#include "platform/MessageBox.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"

namespace quillbray {
namespace {

struct Guard {
  const char* operation;     // the box text's prefix and the caption's end
  const char* whenNotOpen;   // the message when the slot is empty
};

// Operation                     Message when the store is not open
constexpr Guard kSetPrefInteger{"SetPrefInteger", "Error writing integer to preferences: SetPrefInteger"};
constexpr Guard kSetPrefString{"SetPrefString", "Error writing string to preferences: SetPrefString"};
constexpr Guard kSetPrefBooleanProc{"SetPrefBooleanProc", "Error reading boolean from preferences: SetPrefBooleanProc"};
constexpr Guard kSetPrefBinaryProc{"SetPrefBinaryProc", "Error reading binary from preferences: SetPrefBinaryProc"};
constexpr Guard kSetPrefValues{"SetPrefValues", "Error writing values to preferences: SetPrefValues"};
constexpr Guard kDeletePrefValue{"DeletePrefValue", "Error reading string from preferences: DeletePrefValue"};
constexpr Guard kDeletePrefKey{"DeletePrefKey", "Error reading string from preferences: DeletePrefKey"};
constexpr Guard kGetPrefInteger{"GetPrefInteger", "Error reading integer from preferences: GetPrefInteger"};
constexpr Guard kGetPrefString{"GetPrefString", "Error reading string from preferences: GetPrefString"};
constexpr Guard kGetPrefBoolean{"GetPrefBoolean", "Error reading boolean from preferences: GetPrefBoolean"};
constexpr Guard kGetPrefBinary{"GetPrefBinary", "Error reading binary from preferences: GetPrefBinary"};
constexpr Guard kGetPrefValueNames{"GetPrefValueNames", "Error reading value names from preferences: GetPrefValueNames"};

void report(TConfigBase& store, const Guard& guard, const std::exception& e) {
  ++store.ErrorBoxesShown;
  platform::showMessageBox(std::string(guard.operation) + ": " + e.what() + store.ReleasePrefLocks(),
                           ProgramCaption("Error: ") + guard.operation, platform::BoxOwner::None,
                           platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
}

// Calls the slot; on an error shows the guard's box and answers onError.
template <typename Slot, typename Result, typename... Args>
Result guarded(TConfigBase& store, const Guard& guard, const Slot& slot, Result onError, Args&&... args) {
  try {
    if (!slot) throw PrefError(guard.whenNotOpen);
    return slot(std::forward<Args>(args)...);
  } catch (const std::exception& e) {
    report(store, guard, e);
    return onError;
  }
}

template <typename Slot, typename... Args>
void guardedProc(TConfigBase& store, const Guard& guard, const Slot& slot, Args&&... args) {
  try {
    if (!slot) throw PrefError(guard.whenNotOpen);
    slot(std::forward<Args>(args)...);
  } catch (const std::exception& e) {
    report(store, guard, e);
  }
}

}  // namespace

void TConfigBase::SetPrefInteger(const std::string& group, const std::string& name, std::int32_t value) {
  guardedProc(*this, kSetPrefInteger, PrefSlots.SetPrefInteger, group, name, value);
}
void TConfigBase::SetPrefString(const std::string& group, const std::string& name, const std::string& value) {
  guardedProc(*this, kSetPrefString, PrefSlots.SetPrefString, group, name, value);
}
void TConfigBase::SetPrefBooleanProc(const std::string& group, const std::string& name, bool value) {
  guardedProc(*this, kSetPrefBooleanProc, PrefSlots.SetPrefBooleanProc, group, name, value);
}
void TConfigBase::SetPrefBinaryProc(const std::string& group, const std::string& name,
                                    std::span<const std::uint8_t> data) {
  guardedProc(*this, kSetPrefBinaryProc, PrefSlots.SetPrefBinaryProc, group, name, data);
}
bool TConfigBase::SetPrefValues(const std::string& group, std::span<const platform::NamedValue> values) {
  if (!PrefSlots.SetPrefValues) return false;
  try {
    return PrefSlots.SetPrefValues(group, values);
  } catch (const platform::RegistryLostError& e) {
    report(*this, kSetPrefValues, e);
    return true;
  } catch (const std::exception&) {
    return false;  // nothing of it was written; the single writes say why
  }
}
bool TConfigBase::DeletePrefValue(const std::string& group, const std::string& name) {
  return guarded(*this, kDeletePrefValue, PrefSlots.DeletePrefValue, false, group, name);
}
bool TConfigBase::DeletePrefKey(const std::string& subKey) {
  return guarded(*this, kDeletePrefKey, PrefSlots.DeletePrefKey, false, subKey);
}

std::int32_t TConfigBase::GetPrefInteger(const std::string& group, const std::string& name, std::int32_t def) {
  return guarded(*this, kGetPrefInteger, PrefSlots.GetPrefInteger, def, group, name, def);
}
std::string TConfigBase::GetPrefString(const std::string& group, const std::string& name, const std::string& def) {
  return guarded(*this, kGetPrefString, PrefSlots.GetPrefString, def, group, name, def);
}
bool TConfigBase::GetPrefBoolean(const std::string& group, const std::string& name, bool def) {
  return guarded(*this, kGetPrefBoolean, PrefSlots.GetPrefBoolean, def, group, name, def);
}
std::int32_t TConfigBase::GetPrefBinary(const std::string& group, const std::string& name,
                                        std::span<std::uint8_t> buffer) {
  return guarded(*this, kGetPrefBinary, PrefSlots.GetPrefBinary, std::int32_t{-1}, group, name, buffer);
}
void TConfigBase::GetPrefValueNames(const std::string& group, const std::string& subKey,
                                    std::vector<std::string>& list) {
  guardedProc(*this, kGetPrefValueNames, PrefSlots.GetPrefValueNames, group, subKey, list);
}

}  // namespace quillbray
