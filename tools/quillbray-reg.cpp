// quillbray-reg: reads and changes the preference hives in the shape of
// Windows' reg.exe, and moves keys in and out as .reg files.
//
// The hives are the ones the program uses (QUILLBRAY_USER_HIVE,
// QUILLBRAY_MACHINE_HIVE or their defaults). Exit status, as reg.exe's: 0
// done, 1 failed, refused or wrong arguments.
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/VersionInfo.h"
#include "platform/FileSizeLimit.h"
#include "tools/RegLocation.h"
#include "tools/RegUsage.h"
#include "tools/RegVerbs.h"
#include "tools/StoreVerbs.h"

namespace {

int usage(const std::string& verb, const std::string& why) {
  std::cerr << quillbray::usageError(verb, why);
  return 1;
}

int version() {
  quillbray::TVersionInfo info;
  const std::string text = quillbray::VersionText(info, "quillbray-reg");
  (info.VersionBufferSize() != 0 ? std::cout : std::cerr) << text;
  return info.VersionBufferSize() != 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  platform::reportFileSizeLimitAsError();
  std::vector<std::string> all(argv + 1, argv + argc);
  quillbray::TPrefLocation location = quillbray::plRegistry;
  try {
    location = quillbray::takeLocationOption(all);
  } catch (const quillbray::UsageError& e) {
    return usage(all.empty() ? "" : all[0], e.what());
  }
  if (all.empty()) return usage("", "no verb given");
  const std::string verb = all[0];
  if (quillbray::isHelpSwitch(verb)) {
    std::cout << quillbray::wholeHelp();
    return 0;
  }
  if (verb == "--version") return version();
  const std::vector<std::string> args(all.begin() + 1, all.end());
  if (args.size() == 1 && quillbray::isHelpSwitch(args[0]) && !quillbray::verbHelp(verb).empty()) {
    std::cout << quillbray::verbHelp(verb);
    return 0;
  }
  try {
    // The schema comes from the catalogue alone: every location writes the same file.
    if (verb == "export-schema") return quillbray::exportSchemaVerb(args);
    if (quillbray::inSettingsFile(location)) return quillbray::settingsFileVerb(location, verb, args);
    if (verb == "query") return quillbray::queryVerb(args);
    if (verb == "add") return quillbray::addVerb(args);
    if (verb == "delete") return quillbray::deleteVerb(args);
    if (verb == "export") return quillbray::exportVerb(args);
    if (verb == "import") return quillbray::importVerb(args);
    if (verb == "export-config") return quillbray::exportConfigVerb(args);
  } catch (const quillbray::UsageError& e) {
    return usage(verb, e.what());
  } catch (const std::exception& e) {
    std::cout.flush();  // the text printed so far comes before the message
    std::cerr << "quillbray-reg: " << e.what() << '\n';
    return 1;
  }
  return usage("", "unknown verb '" + verb + "'");
}
