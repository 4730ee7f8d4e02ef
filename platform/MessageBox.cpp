// The message-box service and the desktop box limit: portable code only; the
// forms themselves live in the platform file.
#include "platform/MessageBox.h"

#include <string>
#include <utility>

namespace platform {
namespace {

MessageBoxes* installed = nullptr;

MessageBoxes& target() { return installed ? *installed : platformMessageBoxes(); }

bool isQuestion(std::uint32_t style) { return (style & 0xF) == MB_YESNO; }

// The limit in force. Counting happens here rather than in each form so that
// every caller of messageBoxes() gets it, whichever service is installed.
struct BoxLimit {
  std::size_t depth = 0;  // ScopedBoxLimits alive; the outermost sets `limit`
  std::size_t limit = 0;
  std::size_t shown = 0;
  std::size_t heldBack = 0;
  MessageBoxRequest lastHeldBack;
};

BoxLimit boxLimit;

// 9990 => "9,990"; the separator is fixed so the text is the same for every user.
std::string withThousands(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, 1, ',');
  return digits;
}

std::string summaryText(std::size_t heldBack) {
  return "... and " + withThousands(heldBack) +
         (heldBack == 1 ? " more message was not shown." : " more messages were not shown.");
}

// What messageBoxes() hands out: the current service behind the limit.
class LimitedBoxes final : public MessageBoxes {
 public:
  BoxAnswer show(const MessageBoxRequest& box) override {
    MessageBoxes& boxes = target();
    if (boxLimit.depth > 0 && !isQuestion(box.style) && boxes.onDesktop()) {
      if (boxLimit.shown >= boxLimit.limit) {
        ++boxLimit.heldBack;
        boxLimit.lastHeldBack = box;
        boxes.heldBack(box);
        return BoxAnswer::Ok;
      }
      ++boxLimit.shown;
    }
    return boxes.show(box);
  }
  bool onDesktop() const override { return target().onDesktop(); }
};

LimitedBoxes limited;

}  // namespace

MessageBoxes& messageBoxes() { return limited; }

BoxAnswer showMessageBox(std::string text, std::string caption, BoxOwner owner,
                         std::uint32_t style) {
  return messageBoxes().show({std::move(text), std::move(caption), owner, style});
}

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes) : previous_(installed) {
  // Installing the limited front itself would make it call itself.
  if (&boxes != &limited) installed = &boxes;
}
ScopedMessageBoxes::~ScopedMessageBoxes() { installed = previous_; }

ScopedBoxLimit::ScopedBoxLimit(std::size_t limit) {
  if (boxLimit.depth++ == 0) boxLimit = {1, limit, 0, 0, {}};
}

ScopedBoxLimit::~ScopedBoxLimit() {
  if (--boxLimit.depth > 0) return;
  const std::size_t heldBack = std::exchange(boxLimit.heldBack, 0);
  if (heldBack == 0) return;
  try {
    MessageBoxRequest summary = std::move(boxLimit.lastHeldBack);
    summary.text = summaryText(heldBack);
    target().show(summary);
  } catch (...) {
    // A destructor must not throw; the platform forms never do, and a
    // service that does has nowhere else to report to.
  }
}

}  // namespace platform
