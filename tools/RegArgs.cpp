#include "tools/RegArgs.h"

#include "platform/Registry.h"
#include "platform/Text.h"
#include "tools/RegVerbs.h"

namespace quillbray {
namespace {

// The switches of every verb, as reg.exe spells them with "/".
bool isSwitch(const std::string& sw) {
  static const char* const kSwitches[] = {"/v", "/ve", "/va", "/s", "/t", "/d", "/f", "/y", "/cp", "/nonroam",
                                          "/reg:32", "/reg:64"};
  for (const char* known : kSwitches)
    if (sw == known) return true;
  return false;
}

}  // namespace

Args parseArgs(const std::vector<std::string>& args, const std::string& allowed) {
  Args a;
  bool view32 = false, view64 = false;
  const bool sTakesValue = allowed.find(" /s= ") != std::string::npos;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string sw = platform::lowerCase(args[i]);
    // reg.exe takes every switch with "-" as well ("-v", "-reg:32"); a "-"
    // word that names no switch stays a word ("-" for standard output).
    if (sw.size() >= 2 && sw[0] == '-') {
      std::string slashed = sw;
      slashed[0] = '/';
      if (isSwitch(slashed)) sw = std::move(slashed);
    }
    if (sw == "/reg:32" || sw == "/reg:64") {
      if (view32 || view64) throw UsageError("give one of /reg:32 and /reg:64, once");
      (sw == "/reg:32" ? view32 : view64) = true;
      // For the whole process: the tool runs one verb.
      platform::setRegistryView(view32 ? platform::RegistryView::Bits32 : platform::RegistryView::Bits64);
      continue;
    }
    if (!isSwitch(sw)) {
      a.words.push_back(args[i]);
      continue;
    }
    const std::string key = sw == "/s" && sTakesValue ? "/s=" : sw;
    if (allowed.find(" " + key + " ") == std::string::npos) throw UsageError("the switch " + args[i] + " does not go with this verb");
    const auto operand = [&](std::optional<std::string>& into) {
      if (into) throw UsageError(args[i] + " is given twice");
      if (i + 1 >= args.size()) throw UsageError(args[i] + " needs a value after it");
      into = args[++i];
    };
    if (sw == "/v") operand(a.v);
    else if (sw == "/t") operand(a.t);
    else if (sw == "/d") operand(a.d);
    else if (sw == "/cp") operand(a.cp);
    else if (key == "/s=") operand(a.sep);
    else {
      bool& flag = sw == "/ve" ? a.ve : sw == "/va" ? a.va : sw == "/s" ? a.s : sw == "/f" ? a.f
                 : sw == "/nonroam" ? a.nonRoaming : a.y;
      if (flag) throw UsageError(args[i] + " is given twice");
      flag = true;
    }
  }
  if ((a.v ? 1 : 0) + (a.ve ? 1 : 0) + (a.va ? 1 : 0) > 1) throw UsageError("give only one of /v, /ve and /va");
  return a;
}

}  // namespace quillbray
