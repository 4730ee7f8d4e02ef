// The console form of the message boxes.
#include <unistd.h>

#include <cstdio>

#include "TestSupport.h"

namespace {

// Shows the box in a child whose standard error and input are files, and
// answers what it wrote and how it answered.
std::pair<std::string, int> showOnConsole(const platform::MessageBoxRequest& box) {
  qbtest::TempDir dir;
  const std::string err = dir.file("stderr");
  const int answer = qbtest::runInChild([&] {
    if (!std::freopen(err.c_str(), "w", stderr) || !std::freopen("/dev/null", "r", stdin)) return 90;
    ::setenv("QUILLBRAY_DIALOGS", "console", 1);
    return static_cast<int>(platform::platformMessageBoxes().show(box));
  });
  return {qbtest::readFile(err), answer};
}

TEST(ConsoleBoxes, CaptionWithIconWordThenTheTextLines) {
  const auto [text, answer] = showOnConsole({"OpenPref Error: Unable to open Preferences.\r\n\r\nKey: x",
                                             "Quillbray.exe OpenPref Error", platform::BoxOwner::ApplicationWindow,
                                             qbtest::kErrorStyle});
  EXPECT_EQ(text, "Error: Quillbray.exe OpenPref Error\nOpenPref Error: Unable to open Preferences.\n\nKey: x\n");
  EXPECT_EQ(answer, static_cast<int>(platform::BoxAnswer::Ok));
}

TEST(ConsoleBoxes, AQuestionWithoutATerminalAnswersNoAndSaysSo) {
  const auto [text, answer] = showOnConsole(
      {"Switch logging off?", "prog LogEvent Error", platform::BoxOwner::None, platform::MB_ICONWARNING | platform::MB_YESNO});
  EXPECT_EQ(text, "Warning: prog LogEvent Error\nSwitch logging off?\n(no terminal to ask: answered No)\n");
  EXPECT_EQ(answer, static_cast<int>(platform::BoxAnswer::No));
}

}  // namespace
