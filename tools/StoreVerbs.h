// quillbray-reg's verbs with --location file or usb: the settings file
// "Quillbray.ini", read and written through the store (TConfigBase), never
// edited directly. KEY names map to the file and section as tools/StoreKey.h
// says; values are kept as text (tools/StoreValues.h).
#pragma once

#include <string>
#include <vector>

#include "tools/RegLocation.h"

namespace quillbray {

// Runs query, add, delete, export or import (and refuses export-config);
// answers the exit status as the registry verbs do (tools/RegVerbs.h).
// Throws UsageError for an unknown verb or arguments it cannot take.
int settingsFileVerb(TPrefLocation location, const std::string& verb, const std::vector<std::string>& args);

}  // namespace quillbray
