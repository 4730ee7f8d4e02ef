// The desktop form of message boxes: a zenity dialog. A box that zenity could
// not put on the desktop (no display, no zenity) is shown on the console.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/posix/BoxForms.h"
#include "platform/posix/BoxText.h"
#include "platform/posix/Fd.h"

namespace platform {
namespace {

// How a zenity run ended: `exited` is false when it could not be started or
// was killed. `diagnostics` is the start of what it wrote to standard error.
struct ZenityRun {
  bool exited = false;
  int code = -1;
  std::string diagnostics;
};

constexpr std::size_t kDiagnosticsKept = 16 * 1024;

// Reads zenity's standard error until zenity is gone, then reaps it. A helper
// zenity leaves behind (an accessibility or D-Bus daemon) may keep the pipe
// open, so the end of the pipe alone is not waited for.
void collect(pid_t pid, const Fd& errRead, ZenityRun& run) {
  int status = 0;
  bool reaped = false;
  bool statusKnown = false;
  std::size_t readAfterExit = 0;
  char buffer[4096];
  for (;;) {
    pollfd p{errRead.get(), POLLIN, 0};
    const int ready = ::poll(&p, 1, reaped ? 0 : 100);
    if (ready < 0 && errno != EINTR) break;
    if (ready > 0) {
      const ssize_t n = ::read(errRead.get(), buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        break;
      }
      const auto got = static_cast<std::size_t>(n);
      if (run.diagnostics.size() < kDiagnosticsKept)
        run.diagnostics.append(buffer, std::min(got, kDiagnosticsKept - run.diagnostics.size()));
      if (reaped && (readAfterExit += got) > kDiagnosticsKept) break;  // a writer left behind that never stops
      continue;
    }
    if (ready == 0 && reaped) break;
    if (!reaped) {
      const pid_t r = ::waitpid(pid, &status, WNOHANG);
      if (r == pid) reaped = statusKnown = true;
      // ECHILD: a parent that ignores SIGCHLD has had the child reaped already.
      else if (r < 0 && errno != EINTR) reaped = true;
    }
  }
  if (!reaped) {
    pid_t r;
    while ((r = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    statusKnown = r == pid;
  }
  if (statusKnown && WIFEXITED(status) && WEXITSTATUS(status) != 127) {
    run.exited = true;
    run.code = WEXITSTATUS(status);
  }
}

// Runs zenity without a shell: input from /dev/null, output to /dev/null (it
// has nothing to say there for these dialogs), standard error captured.
ZenityRun runZenity(const std::vector<std::string>& args) {
  ZenityRun run;
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const Fd devNull(::open("/dev/null", O_RDWR | O_CLOEXEC));
  int ends[2];
  if (devNull.get() < 0 || ::pipe2(ends, O_CLOEXEC) != 0) return run;
  const Fd errRead(ends[0]);
  Fd errWrite(ends[1]);
  const pid_t pid = ::fork();
  if (pid < 0) return run;
  if (pid == 0) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Copies above 2 first, so that no source is overwritten when the
    // parent's own standard descriptors were closed.
    const int in = ::fcntl(devNull.get(), F_DUPFD_CLOEXEC, 3);
    const int err = ::fcntl(errWrite.get(), F_DUPFD_CLOEXEC, 3);
    if (in < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(in, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(127);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  errWrite.reset();
  collect(pid, errRead, run);
  return run;
}

// True when a line of zenity's standard error reports trouble. GLib's
// "Message", "INFO" and "DEBUG" lines (such as "Gtk-Message: GtkDialog mapped
// without a transient parent") come with dialogs that were shown; anything
// else, "Gtk-WARNING **: cannot open display: :9" above all, does not.
bool alarmingLine(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
  if (line.empty()) return false;
  if (line.front() == '(') {
    const auto end = line.find("): ");
    if (end != std::string_view::npos) line.remove_prefix(end + 3);
  }
  const std::string_view domainAndLevel = line.substr(0, line.find(':'));
  for (const std::string_view benign : {"-Message", "-INFO", "-DEBUG"}) {
    if (domainAndLevel.size() > benign.size() && domainAndLevel.ends_with(benign)) return false;
  }
  return true;
}

bool alarming(std::string_view diagnostics) {
  while (!diagnostics.empty()) {
    const auto end = diagnostics.find('\n');
    if (alarmingLine(diagnostics.substr(0, end))) return true;
    if (end == std::string_view::npos) break;
    diagnostics.remove_prefix(end + 1);
  }
  return false;
}

enum class ZenityOutcome { Accepted, Declined, NotShown };

// zenity exits 0 for OK/Yes and 1 for No, Escape or closing the window, but
// also 1 when it cannot open the display; only its standard error tells them
// apart. 5 is a timeout: shown, and nobody answered.
ZenityOutcome judge(const ZenityRun& run) {
  if (!run.exited) return ZenityOutcome::NotShown;
  if (run.code == 0) return ZenityOutcome::Accepted;
  if ((run.code == 1 || run.code == 5) && !alarming(run.diagnostics)) return ZenityOutcome::Declined;
  return ZenityOutcome::NotShown;
}

// The text and caption are fitted to the screen first, and --no-wrap keeps
// zenity from wrapping the lines again: its own wrapping can neither break a
// long word (the box grows wider) nor be foreseen (the box grows taller).
std::vector<std::string> zenityArgs(const MessageBoxRequest& box, const FittedText& caption, const FittedText& text) {
  const bool question = isYesNo(box.style);
  const char* kind = question ? "--question"
                     : (box.style & 0xF0) == MB_ICONWARNING ? "--warning"
                     : (box.style & 0xF0) == MB_ICONERROR   ? "--error"
                                                             : "--info";
  std::vector<std::string> args = {"zenity", kind, "--no-markup", "--no-wrap", "--title=" + caption.text,
                                   "--text=" + text.text};
  if (question) {
    args.push_back("--ok-label=Yes");
    args.push_back("--cancel-label=No");
    if ((box.style & 0xF0) == MB_ICONWARNING) args.push_back("--icon-name=dialog-warning");
  }
  return args;
}

}  // namespace

void ZenityBoxes::heldBack(const MessageBoxRequest& box) {
  try {
    writeToStderr(consoleForm(box));
  } catch (...) {
    // Out of memory for the text: it is lost, the process is not.
  }
}

BoxAnswer ZenityBoxes::show(const MessageBoxRequest& box) {
  const bool question = isYesNo(box.style);
  if (!fellBack_) {
    bool copied = false;
    try {
      const FittedText caption = fitBoxCaption(box.caption);
      const FittedText text = fitBoxText(box.text);
      // What the box cannot show is on standard error before the box says so.
      if (caption.cut || text.cut) {
        writeToStderr(consoleForm(box));
        copied = true;
      }
      switch (judge(runZenity(zenityArgs(box, caption, text)))) {
        case ZenityOutcome::Accepted: return question ? BoxAnswer::Yes : BoxAnswer::Ok;
        case ZenityOutcome::Declined: return question ? BoxAnswer::No : BoxAnswer::Ok;
        case ZenityOutcome::NotShown: break;
      }
    } catch (...) {
    }
    // A display that could not be opened (or a zenity that cannot run)
    // will not come back during this run: every later box goes straight to
    // the console, and the desktop box limit no longer holds any back.
    fellBack_ = true;
    // The whole box is on standard error already; a question still needs asking.
    if (copied && !question) return BoxAnswer::Ok;
  }
  return console_.show(box);
}

}  // namespace platform
