// The Windows form of message boxes where nobody could answer a box: a
// window station that is not visible (a service's, a scheduled task's), or
// QUILLBRAY_DIALOGS=console. The box is on standard error, never lost.
#include "TestSupport.h"
#include "platform/MessageBox.h"
// After MessageBox.h, whose style constants share the system's macro names.
// clang-format off
#include <windows.h>
#include "platform/win32/Wide.h"
// clang-format on

namespace {

using platform::BoxAnswer;
using platform::MessageBoxRequest;
using platform::win32::widen;

// A standard handle pointing at a file for the object's lifetime.
class RedirectedHandle {
 public:
  RedirectedHandle(DWORD which, const std::string& path, DWORD access, DWORD disposition)
      : which_(which), previous_(::GetStdHandle(which)) {
    file_ = ::CreateFileW(widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ != INVALID_HANDLE_VALUE) ::SetStdHandle(which_, file_);
  }
  ~RedirectedHandle() {
    ::SetStdHandle(which_, previous_);
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
  }
  RedirectedHandle(const RedirectedHandle&) = delete;
  RedirectedHandle& operator=(const RedirectedHandle&) = delete;
  bool ok() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  DWORD which_;
  HANDLE previous_;
  HANDLE file_;
};

// The process in a window station of its own: one that is not WinSta0 is
// never visible, like the one a service runs in.
class HiddenWindowStation {
 public:
  HiddenWindowStation() : previous_(::GetProcessWindowStation()) {
    const std::wstring name = L"qbtest-" + std::to_wstring(::GetCurrentProcessId());
    station_ = ::CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    switched_ = station_ && ::SetProcessWindowStation(station_);
  }
  ~HiddenWindowStation() {
    if (switched_) ::SetProcessWindowStation(previous_);
    if (station_) ::CloseWindowStation(station_);
  }
  HiddenWindowStation(const HiddenWindowStation&) = delete;
  HiddenWindowStation& operator=(const HiddenWindowStation&) = delete;
  bool ok() const { return switched_; }

 private:
  HWINSTA previous_;
  HWINSTA station_ = nullptr;
  bool switched_ = false;
};

struct Shown {
  std::string stderrText;
  BoxAnswer answer;
  bool onDesktop;
};

// Shows one box through the platform's form with standard error in a file
// and standard input from NUL (no terminal to ask a question on).
Shown show(const MessageBoxRequest& box) {
  qbtest::TempDir dir;
  const std::string err = dir.file("stderr");
  Shown shown{};
  {
    RedirectedHandle errTo(STD_ERROR_HANDLE, err, GENERIC_WRITE, CREATE_ALWAYS);
    RedirectedHandle inFrom(STD_INPUT_HANDLE, "NUL", GENERIC_READ, OPEN_EXISTING);
    EXPECT_TRUE(errTo.ok() && inFrom.ok());
    platform::MessageBoxes& boxes = platform::platformMessageBoxes();
    shown.onDesktop = boxes.onDesktop();
    shown.answer = boxes.show(box);
  }
  shown.stderrText = qbtest::readFile(err);
  return shown;
}

const MessageBoxRequest kError{"Unable to open.\r\nKey: \xC3\x84rger", "prog \xE6\x97\xA5 Error",
                               platform::BoxOwner::ApplicationWindow, qbtest::kErrorStyle};
// The system's macros, here where <windows.h> hides MessageBox.h's names.
const MessageBoxRequest kQuestion{"Switch logging off?", "prog LogEvent Error", platform::BoxOwner::None,
                                  MB_ICONWARNING | MB_YESNO};

TEST(WindowsBoxes, WithoutAVisibleDesktopTheBoxIsOnStandardError) {
  const struct {
    const char* what;
    const char* dialogs;  // QUILLBRAY_DIALOGS; nullptr: unset
    bool hidden;          // in a window station nobody sees
  } cases[] = {
      {"hidden window station", nullptr, true},
      {"hidden window station, unknown choice", "popup", true},
      {"console forced on the desktop", "console", false},
      {"console forced, hidden window station", "console", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    qbtest::ScopedEnv env;
    env.set("QUILLBRAY_DIALOGS", c.dialogs ? std::optional<std::string>(c.dialogs) : std::nullopt);
    std::optional<HiddenWindowStation> station;
    if (c.hidden) {
      ASSERT_TRUE(station.emplace().ok());
    }

    const Shown error = show(kError);
    EXPECT_FALSE(error.onDesktop);
    EXPECT_EQ(error.answer, BoxAnswer::Ok);
    // The unknown choice is named once per process, before its first box.
    std::string text = error.stderrText;
    if (c.dialogs && std::string(c.dialogs) == "popup" && text.starts_with("quillbray: QUILLBRAY_DIALOGS"))
      text.erase(0, text.find('\n') + 1);
    // A file gets the lines with CR LF, as the C++ streams' text mode writes.
    EXPECT_EQ(text, "prog \xE6\x97\xA5 Error\r\nUnable to open.\r\nKey: \xC3\x84rger\r\n");

    const Shown question = show(kQuestion);
    EXPECT_EQ(question.answer, BoxAnswer::No);
    EXPECT_EQ(question.stderrText,
              "Warning: prog LogEvent Error\r\nSwitch logging off?\r\n(no terminal to ask: answered No)\r\n");
  }
}

// A desktop that cannot show a box answers MessageBoxW with 0, or, as Wine
// does without a display, with -1: the text goes to standard error, never
// lost. Only Wine without a display gives such a desktop on purpose; on a
// real desktop the box would wait for a click.
TEST(WindowsBoxes, ABoxTheDesktopCannotShowIsOnStandardError) {
  const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (!wine || ::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) != 0 ||
      ::GetEnvironmentVariableW(L"WAYLAND_DISPLAY", nullptr, 0) != 0)
    GTEST_SKIP() << "needs a desktop that cannot show a box (Wine without a display)";
  qbtest::ScopedEnv env;
  env.set("QUILLBRAY_DIALOGS", std::nullopt);
  const Shown error = show(kError);
  EXPECT_EQ(error.answer, BoxAnswer::Ok);
  EXPECT_EQ(error.stderrText, "prog \xE6\x97\xA5 Error\r\nUnable to open.\r\nKey: \xC3\x84rger\r\n");
  EXPECT_FALSE(platform::platformMessageBoxes().onDesktop());  // the later boxes go there at once
}

}  // namespace
