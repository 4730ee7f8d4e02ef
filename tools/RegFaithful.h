// What a .reg file can carry so that it reads back as it was written. The
// format has no escape for a line break, a NUL ends the text for every
// reader, and the file is text: a name or a string that is not UTF-8 would
// come back as U+FFFD, and names over Windows' limits are refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace quillbray {

// Why a key name cannot be written as it is ("its name holds a line break,
// which a .reg file cannot carry"), or nullopt when it can.
std::optional<std::string> keyNameFault(std::string_view name);

// The same for a value name ("" is the default value, written as @).
std::optional<std::string> valueNameFault(std::string_view name);

// The same for a value's data: text of the string types (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) must be UTF-8, as the file carries it as
// UTF-16LE.
std::optional<std::string> valueDataFault(const platform::RegistryValue& value);

// A name for a message on a terminal: control characters, DEL and bytes that
// are not UTF-8 shown as \xNN, so a name cannot forge lines of its own.
std::string shownName(std::string_view name);

}  // namespace quillbray
