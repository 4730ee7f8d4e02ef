// The platform forms of the message boxes: the console form, the zenity form
// and its fall-back to the console. Every case runs in a child process, whose
// environment, standard error and once-per-process state are its own; zenity
// is a fake script found through PATH, so no real window ever opens.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>

#include "TestSupport.h"
#include "platform/ConsoleBoxes.h"
#include "platform/posix/BoxForms.h"
#include "platform/posix/BoxText.h"

namespace {

using platform::BoxAnswer;
using platform::MessageBoxRequest;

const MessageBoxRequest kError{"Unable to open.\r\nKey: x", "prog Error", platform::BoxOwner::ApplicationWindow,
                               qbtest::kErrorStyle};
const std::string kErrorOnConsole = "prog Error\nUnable to open.\nKey: x\n";
const MessageBoxRequest kQuestion{"Switch logging off?", "prog LogEvent Error", platform::BoxOwner::None,
                                  platform::MB_ICONWARNING | platform::MB_YESNO};
const std::string kQuestionOnConsole = "Warning: prog LogEvent Error\nSwitch logging off?\n(no terminal to ask: answered No)\n";

int answerCode(BoxAnswer answer) { return static_cast<int>(answer); }

struct ChildRun {
  std::string stderrText;
  int exitCode;
};

// Runs fn in a child whose standard error is a file and whose input is
// /dev/null; answers what it wrote and fn's result.
ChildRun inChild(const std::function<int()>& fn) {
  qbtest::TempDir dir;
  const std::string err = dir.file("stderr");
  const int rc = qbtest::runInChild([&] {
    if (!std::freopen(err.c_str(), "w", stderr) || !std::freopen("/dev/null", "r", stdin)) return 90;
    return fn();
  });
  return {qbtest::readFile(err), rc};
}

// A zenity stand-in: a shell script that notes its first argument (the
// dialog kind) and last argument, then runs `body`. Without a body there is no
// script, as when zenity is not installed.
class FakeZenity {
 public:
  explicit FakeZenity(std::optional<std::string> body) {
    if (!body) return;
    const std::string script = dir_.file("zenity");
    std::ofstream(script) << "#!/bin/sh\nfor last; do :; done\necho \"$1 $last\" >> '" << log() << "'\n" << *body << '\n';
    ::chmod(script.c_str(), 0755);
  }
  // Makes it the only zenity a child can find.
  void use() const { ::setenv("PATH", dir_.path().c_str(), 1); }
  std::string log() const { return dir_.file("calls"); }
  std::string calls() const { return qbtest::readFile(log()); }

 private:
  qbtest::TempDir dir_;
};

const char* const kCannotOpenDisplay =
    "echo '(zenity:4242): Gtk-WARNING **: 10:00:00.000: cannot open display: :99' >&2; exit 1";

TEST(ConsoleBoxes, CaptionWithIconWordThenTheTextLines) {
  const auto run = inChild([] {
    ::setenv("QUILLBRAY_DIALOGS", "console", 1);
    return answerCode(platform::platformMessageBoxes().show({"OpenPref Error: Unable to open Preferences.\r\n\r\nKey: x",
                                                             "quillbray-import OpenPref Error",
                                                             platform::BoxOwner::ApplicationWindow, qbtest::kErrorStyle}));
  });
  EXPECT_EQ(run.stderrText, "quillbray-import OpenPref Error\nOpenPref Error: Unable to open Preferences.\n\nKey: x\n");
  EXPECT_EQ(run.exitCode, answerCode(BoxAnswer::Ok));
}

TEST(ConsoleBoxes, AQuestionWithoutATerminalAnswersNoAndSaysSo) {
  const auto run = inChild([] {
    ::setenv("QUILLBRAY_DIALOGS", "console", 1);
    return answerCode(platform::platformMessageBoxes().show(kQuestion));
  });
  EXPECT_EQ(run.stderrText, kQuestionOnConsole);
  EXPECT_EQ(run.exitCode, answerCode(BoxAnswer::No));
}

// Standard error on a pipe nobody reads any more: the boxes are lost, the
// process and its signal state are not.
TEST(ConsoleBoxes, ABrokenStandardErrorNeitherEndsTheProgramNorLeavesASignalBehind) {
  const int rc = qbtest::runInChild([] {
    int ends[2];
    if (::pipe(ends) != 0 || ::close(ends[0]) != 0 || ::dup2(ends[1], STDERR_FILENO) < 0) return 90;
    if (!std::freopen("/dev/null", "r", stdin)) return 90;
    ::signal(SIGPIPE, SIG_DFL);  // as a plain start leaves it, whatever ran the tests
    ::setenv("QUILLBRAY_DIALOGS", "console", 1);
    for (int i = 0; i < 3; ++i) platform::showMessageBox(kError.text, kError.caption, kError.owner, kError.style);
    if (platform::showMessageBox(kQuestion.text, kQuestion.caption, kQuestion.owner, kQuestion.style) != BoxAnswer::No)
      return 1;
    sigset_t set;
    if (::sigpending(&set) != 0 || ::sigismember(&set, SIGPIPE)) return 2;
    if (::sigprocmask(SIG_BLOCK, nullptr, &set) != 0 || ::sigismember(&set, SIGPIPE)) return 3;
    struct sigaction action {};
    if (::sigaction(SIGPIPE, nullptr, &action) != 0 || action.sa_handler != SIG_DFL) return 4;
    return 0;
  });
  EXPECT_EQ(rc, 0) << "-1: killed by a signal";
}

TEST(ConsoleBoxes, ASigpipeThatWasAlreadyWaitingIsLeftWaiting) {
  const int rc = qbtest::runInChild([] {
    int ends[2];
    if (::pipe(ends) != 0 || ::close(ends[0]) != 0 || ::dup2(ends[1], STDERR_FILENO) < 0) return 90;
    sigset_t pipeOnly;
    ::sigemptyset(&pipeOnly);
    ::sigaddset(&pipeOnly, SIGPIPE);
    ::sigprocmask(SIG_BLOCK, &pipeOnly, nullptr);
    ::raise(SIGPIPE);
    ::setenv("QUILLBRAY_DIALOGS", "console", 1);
    platform::platformMessageBoxes().show(kError);
    sigset_t pending;
    return ::sigpending(&pending) == 0 && ::sigismember(&pending, SIGPIPE) ? 0 : 1;
  });
  EXPECT_EQ(rc, 0);
}

// How each way a zenity run can end is read: an answer, or a box that did not
// reach the desktop and is shown on the console instead.
TEST(ZenityBoxes, EachEndOfAZenityRunGivesTheAnswerOrTheConsoleForm) {
  struct Case {
    const char* name;
    std::optional<std::string> zenity;
    MessageBoxRequest box;
    std::string console;
    BoxAnswer answer;
  };
  const Case cases[] = {
      {"no display, question", kCannotOpenDisplay, kQuestion, kQuestionOnConsole, BoxAnswer::No},
      {"no display, error", kCannotOpenDisplay, kError, kErrorOnConsole, BoxAnswer::Ok},
      {"answered No", "exit 1", kQuestion, "", BoxAnswer::No},
      {"answered Yes", "exit 0", kQuestion, "", BoxAnswer::Yes},
      {"Yes despite warnings", "echo 'Gtk-WARNING **: theme parsing error' >&2; exit 0", kQuestion, "",
       BoxAnswer::Yes},
      {"No with GLib message", "echo 'Gtk-Message: 10:00:00.000: GtkDialog mapped without a transient parent.' >&2; exit 1",
       kQuestion, "", BoxAnswer::No},
      {"timed out", "exit 5", kQuestion, "", BoxAnswer::No},
      {"error box closed", "exit 1", kError, "", BoxAnswer::Ok},
      {"error box confirmed", "exit 0", kError, "", BoxAnswer::Ok},
      {"killed", "kill -KILL $$", kQuestion, kQuestionOnConsole, BoxAnswer::No},
      {"zenity's own error", "exit 255", kError, kErrorOnConsole, BoxAnswer::Ok},
      {"unknown failure", "echo 'zenity: unknown option' >&2; exit 2", kError, kErrorOnConsole, BoxAnswer::Ok},
      {"not installed", std::nullopt, kError, kErrorOnConsole, BoxAnswer::Ok},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const FakeZenity zenity(c.zenity);
    const auto run = inChild([&] {
      zenity.use();
      ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
      return answerCode(platform::platformMessageBoxes().show(c.box));
    });
    EXPECT_EQ(run.stderrText, c.console);
    EXPECT_EQ(run.exitCode, answerCode(c.answer));
    EXPECT_EQ(zenity.calls().empty(), !c.zenity) << "zenity should have been run";
  }
}

TEST(ZenityBoxes, TheDialogCarriesTheBoxKindAndText) {
  const FakeZenity zenity("exit 0");
  const auto run = inChild([&] {
    zenity.use();
    ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
    platform::platformMessageBoxes().show(kError);
    platform::platformMessageBoxes().show(kQuestion);
    return 0;
  });
  EXPECT_EQ(run.stderrText, "");
  EXPECT_EQ(zenity.calls(), "--error --text=Unable to open.\nKey: x\n--question --icon-name=dialog-warning\n");
}

// zenity's arguments, as the fake wrote them one after another ending in NUL.
std::vector<std::string> argsIn(const std::string& file) {
  std::vector<std::string> args;
  const std::string all = qbtest::readFile(file);
  for (std::size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
    args.push_back(all.substr(start, end - start));
  return args;
}

std::string argument(const std::vector<std::string>& args, const std::string& prefix) {
  for (const auto& a : args)
    if (a.starts_with(prefix)) return a.substr(prefix.size());
  return "(none)";
}

// A box never outgrows the screen: zenity gets fitted lines and may not wrap
// them again. What the box cannot show is on standard error in full; a text
// that was only wrapped is not.
TEST(ZenityBoxes, ALongTextIsFittedAndWhatIsCutGoesToStandardError) {
  const std::string hugeName = "Software\\" + std::string(17000, 'n');
  struct Case {
    const char* name;
    MessageBoxRequest box;
    std::string title;
    bool copied;
  };
  const std::string wordy = "Unable to open Preferences, because " + std::string(30, 'x') + " " +
                            std::string(40, 'y') + " " + std::string(20, 'z') + ".";
  const Case cases[] = {
      {"a huge name", {"Unable to open.\r\nKey: " + hugeName, "prog Error", {}, qbtest::kErrorStyle}, "prog Error", true},
      {"only wrapped", {wordy + "\r\nKey: x", "prog Error", {}, qbtest::kErrorStyle}, "prog Error", false},
      {"a huge caption", {"Unable to open.", "prog Error: " + hugeName, {}, qbtest::kErrorStyle},
       "prog Error: " + hugeName.substr(0, platform::kBoxColumns - 15) + "...", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    qbtest::TempDir dir;
    const std::string argsFile = dir.file("args");
    const FakeZenity zenity("printf '%s\\0' \"$@\" > '" + argsFile + "'; exit 0");
    const auto run = inChild([&] {
      zenity.use();
      ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
      return answerCode(platform::platformMessageBoxes().show(c.box));
    });
    EXPECT_EQ(run.exitCode, answerCode(BoxAnswer::Ok));
    EXPECT_EQ(run.stderrText, c.copied ? platform::consoleForm(c.box) : "");
    const auto args = argsIn(argsFile);
    EXPECT_NE(std::find(args.begin(), args.end(), "--no-wrap"), args.end());
    EXPECT_EQ(argument(args, "--title="), c.title);
    const std::string text = argument(args, "--text=");
    std::size_t lines = 0;
    for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + 1, ++lines) {
      end = text.find('\n', start);
      EXPECT_LE((end == std::string::npos ? text.size() : end) - start, platform::kBoxColumns);
    }
    EXPECT_LE(lines, platform::kBoxLines);
    EXPECT_EQ(text.ends_with(platform::kBoxCutLine), c.copied && c.box.text.size() > 1000);
  }
  EXPECT_EQ(platform::fitBoxText(wordy).text, wordy.substr(0, 66) + "\n" + wordy.substr(67)) << "only wrapped";
}

// A cut box that then falls back to the console is written out once.
TEST(ZenityBoxes, ACutBoxThatFallsBackIsOnStandardErrorOnce) {
  const FakeZenity zenity(kCannotOpenDisplay);
  const MessageBoxRequest box{std::string(5000, 'n'), "prog Error", {}, qbtest::kErrorStyle};
  const auto run = inChild([&] {
    zenity.use();
    ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
    return answerCode(platform::platformMessageBoxes().show(box));
  });
  EXPECT_EQ(run.exitCode, answerCode(BoxAnswer::Ok));
  EXPECT_EQ(run.stderrText, "prog Error\n" + box.text + "\n");
}

// A helper zenity leaves running with its standard error (as GTK's
// accessibility launcher can) must not keep the box waiting once zenity is gone.
TEST(ZenityBoxes, AnswersWhenZenityEndsThoughItsHelperStillHoldsTheErrorPipe) {
  qbtest::TempDir dir;
  const std::string helperPid = dir.file("helper.pid");
  const FakeZenity zenity("/bin/sleep 600 >&2 & echo $! > '" + helperPid + "'; exit 1");
  const auto run = inChild([&] {
    zenity.use();
    ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
    return answerCode(platform::platformMessageBoxes().show(kQuestion));
  });
  const pid_t helper = std::atoi(qbtest::readFile(helperPid).c_str());
  if (helper > 0) ::kill(helper, SIGKILL);
  EXPECT_GT(helper, 0);
  EXPECT_EQ(run.stderrText, "");
  EXPECT_EQ(run.exitCode, answerCode(BoxAnswer::No));
}

// Once a box could not reach the desktop, the rest of the run uses the
// console without trying again, and no longer counts as a desktop form.
TEST(ZenityBoxes, AfterOneBoxFellBackEveryLaterBoxGoesStraightToTheConsole) {
  const FakeZenity zenity(kCannotOpenDisplay);
  const auto run = inChild([&] {
    zenity.use();
    ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
    auto& boxes = platform::platformMessageBoxes();
    if (!boxes.onDesktop()) return 1;
    boxes.show(kError);
    boxes.show(kQuestion);
    return boxes.onDesktop() ? 2 : 0;
  });
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText, kErrorOnConsole + kQuestionOnConsole);
  EXPECT_EQ(zenity.calls(), "--error --text=Unable to open.\nKey: x\n");
}

// Which settings choose the desktop form. zenity always fails here, so a box
// reaches the console whichever form was chosen; the calls tell which it was.
TEST(ZenityBoxes, TheDesktopFormIsChosenByTheEnvironment) {
  struct Case {
    const char* dialogs;
    const char* display;
    const char* wayland;
    bool desktop;
  };
  const Case cases[] = {
      {nullptr, ":99", nullptr, true},     {nullptr, nullptr, "wayland-99", true}, {"gui", nullptr, nullptr, true},
      {"console", ":99", "wayland-99", false}, {nullptr, nullptr, nullptr, false},   {"", "", "", false},
  };
  const auto set = [](const char* name, const char* value) {
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("QUILLBRAY_DIALOGS=") + (c.dialogs ? c.dialogs : "(unset)") +
                 " DISPLAY=" + (c.display ? c.display : "(unset)") + " WAYLAND_DISPLAY=" + (c.wayland ? c.wayland : "(unset)"));
    const FakeZenity zenity(kCannotOpenDisplay);
    const auto run = inChild([&] {
      zenity.use();
      set("QUILLBRAY_DIALOGS", c.dialogs);
      set("DISPLAY", c.display);
      set("WAYLAND_DISPLAY", c.wayland);
      auto& boxes = platform::platformMessageBoxes();
      const bool desktop = boxes.onDesktop();
      boxes.show(kError);
      return desktop ? 1 : 0;
    });
    EXPECT_EQ(run.exitCode, c.desktop ? 1 : 0);
    EXPECT_EQ(run.stderrText, kErrorOnConsole);
    EXPECT_EQ(zenity.calls().empty(), !c.desktop);
  }
}

TEST(ZenityBoxes, AnUnknownDialogsChoiceIsNamedOnceAndIgnored) {
  const FakeZenity zenity(kCannotOpenDisplay);
  const auto run = inChild([&] {
    zenity.use();
    ::setenv("QUILLBRAY_DIALOGS", "foo", 1);
    platform::platformMessageBoxes().show(kError);  // no display: console
    ::setenv("DISPLAY", ":99", 1);
    platform::platformMessageBoxes().show(kError);  // a display: zenity, which fails
    return 0;
  });
  EXPECT_EQ(run.stderrText, "quillbray: QUILLBRAY_DIALOGS='foo' is not \"console\" or \"gui\"; ignored\n" +
                                kErrorOnConsole + kErrorOnConsole);
  EXPECT_EQ(zenity.calls(), "--error --text=Unable to open.\nKey: x\n");
}

// The desktop box limit on the real zenity form: held back while zenity
// works, everything on the console once it does not.
TEST(ZenityBoxes, TheBoxLimitHoldsBackDesktopBoxesButNotFallenBackOnes) {
  for (const bool works : {true, false}) {
    SCOPED_TRACE(works ? "zenity works" : "no display");
    const FakeZenity zenity(works ? "exit 0" : kCannotOpenDisplay);
    const auto run = inChild([&] {
      zenity.use();
      ::setenv("QUILLBRAY_DIALOGS", "gui", 1);
      platform::ScopedBoxLimit limit(2);
      for (int i = 0; i < 5; ++i) platform::showMessageBox("box " + std::to_string(i), "cap", {}, qbtest::kErrorStyle);
      return 0;
    });
    if (works) {
      // Held back from the desktop, not lost: each on standard error.
      EXPECT_EQ(run.stderrText, "Error: cap\nbox 2\nError: cap\nbox 3\nError: cap\nbox 4\n");
      EXPECT_EQ(zenity.calls(), "--error --text=box 0\n--error --text=box 1\n"
                                "--error --text=... and 3 more messages were not shown.\n");
    } else {
      EXPECT_EQ(run.stderrText, "Error: cap\nbox 0\nError: cap\nbox 1\nError: cap\nbox 2\nError: cap\nbox 3\n"
                                "Error: cap\nbox 4\n");
      EXPECT_EQ(zenity.calls(), "--error --text=box 0\n");
    }
  }
}

}  // namespace
