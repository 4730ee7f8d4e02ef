// Stand-in until the Windows registry form lands.
#include "platform/Registry.h"

namespace platform {
Registry& platformRegistry() { throw RegistryError("the registry is not available in this build"); }
}  // namespace platform
