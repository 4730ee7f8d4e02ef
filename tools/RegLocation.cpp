#include "tools/RegLocation.h"

#include <optional>

#include "platform/Text.h"
#include "tools/RegVerbs.h"

namespace quillbray {

TPrefLocation takeLocationOption(std::vector<std::string>& args) {
  static const std::string kOption = "--location";
  std::optional<TPrefLocation> found;
  for (std::size_t i = 0; i < args.size();) {
    std::string name;
    std::size_t taken = 1;
    if (args[i] == kOption) {
      if (i + 1 >= args.size()) throw UsageError("--location needs a name after it: registry, flat, file or usb");
      name = args[i + 1];
      taken = 2;
    } else if (args[i].rfind(kOption + "=", 0) == 0) {
      name = args[i].substr(kOption.size() + 1);
    } else {
      ++i;
      continue;
    }
    if (found) throw UsageError("--location is given twice");
    found = PrefLocationFromOptionName(name);
    if (!found) throw UsageError("unknown location '" + name + "': use registry, flat, file or usb");
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + taken));
  }
  const TPrefLocation location = found.value_or(plRegistry);
  // The hives have no non-roaming part: the switch would otherwise read as a KEY.
  if (!inSettingsFile(location))
    for (const std::string& a : args)
      if (platform::lowerCase(a) == "/nonroam") throw UsageError("/nonroam goes with --location file or usb");
  return location;
}

bool inSettingsFile(TPrefLocation location) { return location == plFile || location == plOnUSB; }

}  // namespace quillbray
