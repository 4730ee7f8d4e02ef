// Message boxes on Linux: a zenity dialog on a desktop session, else text on
// standard error. QUILLBRAY_DIALOGS=console or =gui forces one form.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace platform {
namespace {

bool isYesNo(std::uint32_t style) { return (style & 0xF) == MB_YESNO; }

const char* iconWord(std::uint32_t style) {
  switch (style & 0xF0) {
    case MB_ICONERROR: return "Error";
    case MB_ICONWARNING: return "Warning";
    case MB_ICONQUESTION: return "Question";
    case MB_ICONINFORMATION: return "Information";
    default: return nullptr;
  }
}

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

class ConsoleBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override {
    std::string head = box.caption;
    if (const char* word = iconWord(box.style)) head = std::string(word) + ": " + head;
    std::cerr << head << '\n' << plainLines(box.text) << '\n';
    if (!isYesNo(box.style)) {
      std::cerr.flush();
      return BoxAnswer::Ok;
    }
    if (!::isatty(STDIN_FILENO)) {
      std::cerr << "(no terminal to ask: answered No)\n";
      return BoxAnswer::No;
    }
    std::cerr << "[y/N] " << std::flush;
    std::string line;
    std::getline(std::cin, line);
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y') ? BoxAnswer::Yes : BoxAnswer::No;
  }
};

// Runs zenity without a shell; answers its exit status, or -1 when it could
// not be run at all.
int runZenity(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    ::execvp("zenity", argv.data());
    ::_exit(127);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    // ECHILD: a parent that ignores SIGCHLD has had the child reaped already.
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) return -1;
  return WEXITSTATUS(status);
}

class ZenityBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override {
    const bool question = isYesNo(box.style);
    const char* kind = question ? "--question"
                       : (box.style & 0xF0) == MB_ICONWARNING ? "--warning"
                       : (box.style & 0xF0) == MB_ICONERROR   ? "--error"
                                                               : "--info";
    std::vector<std::string> args = {"zenity", kind, "--no-markup", "--title=" + box.caption,
                                     "--text=" + plainLines(box.text)};
    if (question) {
      args.push_back("--ok-label=Yes");
      args.push_back("--cancel-label=No");
      if ((box.style & 0xF0) == MB_ICONWARNING) args.push_back("--icon-name=dialog-warning");
    }
    const int rc = runZenity(args);
    if (rc < 0) return console_.show(box);  // zenity missing or broken: still tell the user
    if (!question) return BoxAnswer::Ok;
    return rc == 0 ? BoxAnswer::Yes : BoxAnswer::No;
  }

 private:
  ConsoleBoxes console_;
};

bool wantGui() {
  const char* forced = std::getenv("QUILLBRAY_DIALOGS");
  if (forced && std::string(forced) == "console") return false;
  if (forced && std::string(forced) == "gui") return true;
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (w && *w);
}

}  // namespace

MessageBoxes& platformMessageBoxes() {
  static ConsoleBoxes console;
  static ZenityBoxes zenity;
  return wantGui() ? static_cast<MessageBoxes&>(zenity) : console;
}

}  // namespace platform
