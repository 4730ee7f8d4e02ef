// The two forms of message boxes on Linux: text on standard error, and a
// zenity dialog on the desktop that falls back to the console form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/MessageBox.h"

namespace platform {

// What the console form writes for a box that asks nothing: the caption
// after the icon as a word ("Error: caption"), then the text's lines.
std::string consoleForm(const MessageBoxRequest& box);

class ConsoleBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override;
};

class ZenityBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override;
  bool onDesktop() const override { return !fellBack_; }
  // A box held back is written to standard error in the console form.
  void heldBack(const MessageBoxRequest& box) override;

 private:
  ConsoleBoxes console_;
  bool fellBack_ = false;
};

bool isYesNo(std::uint32_t style);
// "\r\n" (and a lone "\r") become line breaks.
std::string plainLines(const std::string& text);
// Writes text to standard error; answers whether all of it went out. A broken
// standard error loses the text, never the process.
bool writeToStderr(std::string_view text) noexcept;

}  // namespace platform
