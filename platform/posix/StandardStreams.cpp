// Standard error and standard input on Linux.
#include "platform/StandardStreams.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

// A closed or broken standard error must not end the process: SIGPIPE is
// blocked for this thread during the write, and the one the write raised is
// taken back before the mask is restored. The signal's disposition is left
// alone, because ignoring it process-wide would also reach code that is not
// ours and every child we start (an ignored signal stays ignored across exec).
bool writeToStderr(std::string_view text) noexcept {
  const int savedErrno = errno;
  sigset_t pipeOnly;
  sigset_t previousMask;
  sigset_t pending;
  ::sigemptyset(&pipeOnly);
  ::sigaddset(&pipeOnly, SIGPIPE);
  ::sigemptyset(&pending);
  // A SIGPIPE that was already waiting belongs to someone else: leave it.
  const bool pendingBefore = ::sigpending(&pending) == 0 && ::sigismember(&pending, SIGPIPE) == 1;
  ::pthread_sigmask(SIG_BLOCK, &pipeOnly, &previousMask);
  bool broken = false;
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n > 0) {
      text.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      broken = n < 0 && errno == EPIPE;
      break;
    }
  }
  if (broken && !pendingBefore) {
    const timespec noWait{0, 0};
    while (::sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
    }
  }
  ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  errno = savedErrno;
  return text.empty();
}

bool standardInputIsTerminal() noexcept { return ::isatty(STDIN_FILENO) == 1; }

}  // namespace platform
