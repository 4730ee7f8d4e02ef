// The console form of message boxes: the box as text on standard error, and
// a Yes/No question asked on the terminal. Every platform falls back to it
// when no box can reach a desktop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MessageBox.h"

namespace platform {

// What the console form writes for a box that asks nothing: the caption on
// one line, after the icon as a word ("Error: caption") unless the caption
// holds that word already ("prog Error"), then the text's lines.
std::string consoleForm(const MessageBoxRequest& box);

class ConsoleBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override;
};

bool isYesNo(std::uint32_t style);
// "\r\n" (and a lone "\r") become line breaks.
std::string plainLines(const std::string& text);

}  // namespace platform
