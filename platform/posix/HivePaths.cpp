#include "platform/posix/HivePaths.h"

#include <cstdlib>

namespace platform {
namespace {
std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}
}  // namespace

std::string hivePath(RegistryRoot root) {
  if (root == RegistryRoot::LocalMachine) {
    const std::string path = env("QUILLBRAY_MACHINE_HIVE");
    return path.empty() ? "/var/lib/quillbray/machine.hive" : path;
  }
  std::string path = env("QUILLBRAY_USER_HIVE");
  if (!path.empty()) return path;
  // XDG asks for absolute paths and says to ignore relative ones.
  std::string config = env("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') {
    const std::string home = env("HOME");
    if (home.empty())
      throw RegistryError("no user hive: set QUILLBRAY_USER_HIVE, XDG_CONFIG_HOME or HOME");
    config = home + "/.config";
  }
  return config + "/quillbray/user.hive";
}

}  // namespace platform
