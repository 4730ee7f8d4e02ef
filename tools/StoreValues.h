// Registry values as the settings file keeps them: text only.
//
//   REG_SZ      the text                              (SetPrefString)
//   REG_DWORD   decimal, negative above 0x7FFFFFFF    (SetPrefInteger)
//   REG_BINARY  two upper-case hex digits a byte      (SetPrefBinaryProc)
//
// Other types have no form in the file and are refused.
#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"
#include "tools/SettingsStore.h"

namespace quillbray {

// Why the value cannot be kept in the section as it is ("REG_QWORD values
// have no form in the settings file ..."), or nothing when it can. Names the
// value and the key (`where`).
std::optional<std::string> storeValueFault(const std::string& where, const std::string& section,
                                           const std::string& name, const platform::RegistryValue& value);

// Writes a value that storeValueFault accepts into the open file.
void storeValue(SettingsStore& store, const std::string& section, const std::string& name,
                const platform::RegistryValue& value);

}  // namespace quillbray
