#include "platform/DialogsChoice.h"

#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "platform/StandardStreams.h"

namespace platform {

DialogsChoice dialogsChoice() {
  const char* forced = std::getenv("QUILLBRAY_DIALOGS");
  const std::string_view choice = forced ? forced : "";
  if (choice == "console") return DialogsChoice::Console;
  if (choice == "gui") return DialogsChoice::Desktop;
  static bool warned = false;
  if (!choice.empty() && !std::exchange(warned, true)) {
    writeToStderr("quillbray: QUILLBRAY_DIALOGS='" + std::string(choice) +
                  "' is not \"console\" or \"gui\"; ignored\n");
  }
  return DialogsChoice::Automatic;
}

}  // namespace platform
