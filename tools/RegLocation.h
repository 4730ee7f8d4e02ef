// quillbray-reg's --location option: which of the store's locations the
// verbs work on.
#pragma once

#include <string>
#include <vector>

#include "prefs/PrefLocation.h"

namespace quillbray {

// Takes "--location NAME" or "--location=NAME" (PrefLocationFromOptionName)
// out of args, wherever it stands; plRegistry when there is none. Throws
// UsageError for an unknown NAME, a missing one, or the option given twice,
// and for the switch /nonroam with a location kept in the hives.
TPrefLocation takeLocationOption(std::vector<std::string>& args);

// True for the locations kept in a settings file (plFile, plOnUSB), which
// the verbs reach through the store (tools/StoreVerbs.h). The registry and
// its flat form both keep their values in the hives, which the verbs read
// and write directly.
bool inSettingsFile(TPrefLocation location);

}  // namespace quillbray
