// Message boxes on Linux: a zenity dialog on a desktop session, else text on
// standard error. QUILLBRAY_DIALOGS=console or =gui forces one form.
#include <cstdlib>

#include "platform/DialogsChoice.h"
#include "platform/posix/BoxForms.h"

namespace platform {
namespace {

bool nonEmpty(const char* value) { return value && *value; }

bool wantGui() {
  switch (dialogsChoice()) {
    case DialogsChoice::Console: return false;
    case DialogsChoice::Desktop: return true;
    case DialogsChoice::Automatic: break;
  }
  return nonEmpty(std::getenv("DISPLAY")) || nonEmpty(std::getenv("WAYLAND_DISPLAY"));
}

}  // namespace

MessageBoxes& platformMessageBoxes() {
  static ConsoleBoxes console;
  static ZenityBoxes zenity;
  return wantGui() ? static_cast<MessageBoxes&>(zenity) : console;
}

}  // namespace platform
