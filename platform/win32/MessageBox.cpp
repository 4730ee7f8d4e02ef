// Message boxes on Windows: MessageBoxW on an interactive desktop, else the
// console form on standard error. QUILLBRAY_DIALOGS=console or =gui forces
// one form.
//
// MessageBox.h names the style bits as <windows.h> does, with the same
// values; it comes first so that its constants are declared before the
// system's macros of those names exist.
#include "platform/ConsoleBoxes.h"
#include "platform/DialogsChoice.h"
#include "platform/MessageBox.h"
#include "platform/StandardStreams.h"
// clang-format off
#include <windows.h>
#include "platform/win32/Wide.h"
// clang-format on

namespace platform {
namespace {

// A service, a scheduled task or a remote shell runs in a window station
// nobody sees: a box there would wait for a click that never comes.
bool interactiveDesktop() {
  const HWINSTA station = ::GetProcessWindowStation();  // not ours to close
  if (!station) return false;
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return false;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

// The program creates no window of its own, so a box that belongs to the
// application window has no owner, as one on a hidden window would look.
HWND ownerWindow(BoxOwner owner) {
  return owner == BoxOwner::ForegroundWindow ? ::GetForegroundWindow() : nullptr;
}

BoxAnswer answerOf(int id, bool question) {
  if (id == IDYES) return BoxAnswer::Yes;
  if (id == IDNO || question) return BoxAnswer::No;
  return BoxAnswer::Ok;
}

class DesktopBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override {
    if (!fellBack_) {
      try {
        const int id = ::MessageBoxW(ownerWindow(box.owner), win32::widen(box.text).c_str(),
                                     win32::widen(box.caption).c_str(), static_cast<UINT>(box.style));
        // A button's id, or 0 (or, under Wine without a display, -1) for a
        // box that was never shown.
        if (id > 0) return answerOf(id, isYesNo(box.style));
      } catch (...) {
      }
      // A desktop that refused one box refuses the next: every later box
      // goes straight to the console, none is lost.
      fellBack_ = true;
    }
    return console_.show(box);
  }
  bool onDesktop() const override { return !fellBack_; }
  void heldBack(const MessageBoxRequest& box) override {
    try {
      writeToStderr(consoleForm(box));
    } catch (...) {
      // Out of memory for the text: it is lost, the process is not.
    }
  }

 private:
  ConsoleBoxes console_;
  bool fellBack_ = false;
};

}  // namespace

MessageBoxes& platformMessageBoxes() {
  static ConsoleBoxes console;
  static DesktopBoxes desktop;
  switch (dialogsChoice()) {
    case DialogsChoice::Console: return console;
    case DialogsChoice::Desktop: return desktop;
    case DialogsChoice::Automatic: break;
  }
  return interactiveDesktop() ? static_cast<MessageBoxes&>(desktop) : console;
}

}  // namespace platform
