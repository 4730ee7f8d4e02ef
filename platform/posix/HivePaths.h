// Where the two hive files live.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace platform {

// QUILLBRAY_USER_HIVE, else $XDG_CONFIG_HOME/quillbray/user.hive (else
// $HOME/.config/quillbray/user.hive); QUILLBRAY_MACHINE_HIVE, else
// /var/lib/quillbray/machine.hive. Throws RegistryError when no user hive can
// be named (no HOME and no XDG_CONFIG_HOME).
std::string hivePath(RegistryRoot root);

}  // namespace platform
