#include "platform/MessageBox.h"

namespace platform {
namespace {
MessageBoxes* installed = nullptr;
}

MessageBoxes& messageBoxes() { return installed ? *installed : platformMessageBoxes(); }

BoxAnswer showMessageBox(std::string text, std::string caption, BoxOwner owner,
                         std::uint32_t style) {
  return messageBoxes().show({std::move(text), std::move(caption), owner, style});
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes) : previous_(installed) {
  installed = &boxes;
}
ScopedMessageBoxes::~ScopedMessageBoxes() { installed = previous_; }

// Placeholder until desktop flood control lands: every box is shown.
ScopedBoxLimit::ScopedBoxLimit(std::size_t) {}
ScopedBoxLimit::~ScopedBoxLimit() {}

}  // namespace platform
