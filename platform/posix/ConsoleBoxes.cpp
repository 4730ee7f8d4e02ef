// The console form of message boxes: the caption (after the icon as a word)
// and the text on standard error; a Yes/No question asked on the terminal.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>
#include <string_view>

#include "platform/posix/BoxForms.h"

namespace platform {
namespace {

const char* iconWord(std::uint32_t style) {
  switch (style & 0xF0) {
    case MB_ICONERROR: return "Error";
    case MB_ICONWARNING: return "Warning";
    case MB_ICONQUESTION: return "Question";
    case MB_ICONINFORMATION: return "Information";
    default: return nullptr;
  }
}

}  // namespace

bool isYesNo(std::uint32_t style) { return (style & 0xF) == MB_YESNO; }

// "\r\n" (and a lone "\r") become line breaks.
std::string plainLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Writes text to standard error; answers whether all of it went out. A closed
// or broken standard error loses the text, never the process: SIGPIPE is
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

std::string consoleForm(const MessageBoxRequest& box) {
  std::string out = box.caption;
  if (const char* word = iconWord(box.style)) out = std::string(word) + ": " + out;
  return out + '\n' + plainLines(box.text) + '\n';
}

BoxAnswer ConsoleBoxes::show(const MessageBoxRequest& box) {
  const bool question = isYesNo(box.style);
  try {
    const std::string out = consoleForm(box);
    if (!question) {
      writeToStderr(out);
      return BoxAnswer::Ok;
    }
    if (!::isatty(STDIN_FILENO)) {
      writeToStderr(out + "(no terminal to ask: answered No)\n");
      return BoxAnswer::No;
    }
    // Nobody can answer a question they could not read.
    if (!writeToStderr(out + "[y/N] ")) return BoxAnswer::No;
    std::string line;
    std::getline(std::cin, line);
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y') ? BoxAnswer::Yes : BoxAnswer::No;
  } catch (...) {
    return question ? BoxAnswer::No : BoxAnswer::Ok;
  }
}

}  // namespace platform
