// A write past the process's file-size limit (ulimit -f) fails with an error
// the program reports, never a signal that ends it without a word.
#pragma once

namespace platform {

// Called first thing by each program. Where the system sends a signal for
// such a write (SIGXFSZ), the signal is ignored, so that the write fails
// with EFBIG and reaches the program's own error paths.
void reportFileSizeLimitAsError() noexcept;

}  // namespace platform
