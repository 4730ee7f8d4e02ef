// Message boxes: the program's only visible output.
//
// A box is described the Windows way (text, caption, owner, style bits) so that
// the core states exactly what it shows; each platform form decides how that
// reaches the user. Tests install a recorder through ScopedMessageBoxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Style bits, with their Windows values.
constexpr std::uint32_t MB_OK = 0x0;
constexpr std::uint32_t MB_YESNO = 0x4;
constexpr std::uint32_t MB_ICONERROR = 0x10;
constexpr std::uint32_t MB_ICONQUESTION = 0x20;
constexpr std::uint32_t MB_ICONWARNING = 0x30;
constexpr std::uint32_t MB_ICONINFORMATION = 0x40;
constexpr std::uint32_t MB_SETFOREGROUND = 0x10000;

// The window a box belongs to. The program shows no window of its own, so the
// owner only tells which of the Windows choices the caller made.
enum class BoxOwner { None, ApplicationWindow, ForegroundWindow };

enum class BoxAnswer { Ok, Yes, No };

struct MessageBoxRequest {
  std::string text;
  std::string caption;
  BoxOwner owner = BoxOwner::None;
  std::uint32_t style = MB_OK;

  bool operator==(const MessageBoxRequest&) const = default;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and waits for the user's answer. Never throws and never
  // ends the process: a box that cannot be shown anywhere answers Ok, or No
  // for a question.
  virtual BoxAnswer show(const MessageBoxRequest& box) = 0;
  // True when boxes go to the desktop, where a flood of them is held back by
  // ScopedBoxLimit.
  virtual bool onDesktop() const { return false; }
  // Takes a box that ScopedBoxLimit holds back instead of showing it, so that
  // it is not lost: the desktop form writes it to standard error as the
  // console form would. Never throws.
  virtual void heldBack(const MessageBoxRequest& box) { (void)box; }
};

// The process's message-box service: the one installed by ScopedMessageBoxes,
// else the platform's own form chosen from the environment, with the box
// limit in force (see ScopedBoxLimit) applied to it.
MessageBoxes& messageBoxes();

// Shorthand for messageBoxes().show({...}).
BoxAnswer showMessageBox(std::string text, std::string caption, BoxOwner owner,
                         std::uint32_t style);

// Installs another service (a recorder in tests) for its lifetime.
class ScopedMessageBoxes {
 public:
  explicit ScopedMessageBoxes(MessageBoxes& boxes);
  ~ScopedMessageBoxes();
  ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
  ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

 private:
  MessageBoxes* previous_;
};

// While one lives, a form that puts boxes on the desktop shows at most `limit`
// of them; the rest are counted, and when the outermost limit ends one last
// box sums them up ("... and 9,990 more"). Each box held back goes to the
// form's heldBack() as it is held back. Boxes that need an answer (Yes/No)
// are always shown. The console form shows every box.
//
// A held-back box answers Ok. An inner limit joins the outer one: the count,
// the outer limit and the one summary are shared. The summary takes the
// caption, owner and style of the last box held back. Not thread-safe: the
// boxes of one process are shown from one thread.
class ScopedBoxLimit {
 public:
  explicit ScopedBoxLimit(std::size_t limit);
  ~ScopedBoxLimit();
  ScopedBoxLimit(const ScopedBoxLimit&) = delete;
  ScopedBoxLimit& operator=(const ScopedBoxLimit&) = delete;
};

// The platform's own form (defined by the platform implementation).
MessageBoxes& platformMessageBoxes();

}  // namespace platform
