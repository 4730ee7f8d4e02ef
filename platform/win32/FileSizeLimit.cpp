#include "platform/FileSizeLimit.h"

namespace platform {

// Windows has no file-size signal: a write past a quota fails as such.
void reportFileSizeLimitAsError() noexcept {}

}  // namespace platform
