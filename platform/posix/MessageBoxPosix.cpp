// Message boxes on Linux: a zenity dialog on a desktop session, else text on
// standard error. QUILLBRAY_DIALOGS=console or =gui forces one form.
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "platform/posix/BoxForms.h"

namespace platform {
namespace {

bool nonEmpty(const char* value) { return value && *value; }

bool wantGui() {
  const char* forced = std::getenv("QUILLBRAY_DIALOGS");
  const std::string_view choice = forced ? forced : "";
  if (choice == "console") return false;
  if (choice == "gui") return true;
  static bool warned = false;
  if (!choice.empty() && !std::exchange(warned, true)) {
    writeToStderr("quillbray: QUILLBRAY_DIALOGS='" + std::string(choice) +
                  "' is not \"console\" or \"gui\"; ignored\n");
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
