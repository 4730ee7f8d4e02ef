// The desktop form of message boxes on Linux: a zenity dialog that falls
// back to the console form.
#pragma once

#include "platform/ConsoleBoxes.h"
#include "platform/MessageBox.h"
#include "platform/StandardStreams.h"

namespace platform {

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

}  // namespace platform
