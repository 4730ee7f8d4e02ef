#include "platform/FileSizeLimit.h"

#include <csignal>

namespace platform {

void reportFileSizeLimitAsError() noexcept { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace platform
