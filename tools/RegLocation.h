// quillbray-reg's --location option: which of the store's locations the
// verbs work on.
#pragma once

#include <string>
#include <vector>

namespace quillbray {

// registry and flat both keep their values in the hives, which the verbs
// read and write directly; file and usb keep them in a settings file, which
// the verbs reach through the store (tools/StoreVerbs.h).
enum class RegLocation { Registry, Flat, File, Usb };

// Takes "--location NAME" or "--location=NAME" out of args, wherever it
// stands; Registry when there is none. Throws UsageError for an unknown NAME,
// a missing one, or the option given twice, and for the switch /nonroam
// with a location kept in the hives.
RegLocation takeLocationOption(std::vector<std::string>& args);

// True for the locations kept in a settings file (file, usb).
bool inSettingsFile(RegLocation location);

// "registry", "flat", "file", "usb".
const char* locationName(RegLocation location);

}  // namespace quillbray
