// The desktop box limit, seen through the recorder standing in for a form.
#include <string>

#include "TestSupport.h"
#include "platform/ConsoleBoxes.h"

namespace {

using platform::BoxOwner;
using platform::MessageBoxRequest;

MessageBoxRequest errorBox(const std::string& text, const std::string& caption = "prog Error",
                           BoxOwner owner = BoxOwner::ApplicationWindow) {
  return {text, caption, owner, qbtest::kErrorStyle};
}

const MessageBoxRequest kQuestion{"Switch logging off?", "prog LogEvent Error", BoxOwner::None,
                                  platform::MB_ICONWARNING | platform::MB_YESNO};

void show(const MessageBoxRequest& box) { platform::showMessageBox(box.text, box.caption, box.owner, box.style); }

TEST(BoxLimit, AFloodOnTheDesktopShowsTheLimitThenOneSummary) {
  qbtest::BoxRecorder recorder;
  recorder.desktop = true;
  {
    const platform::ScopedBoxLimit limit(10);
    for (int i = 0; i < 9999; ++i) show(errorBox("group " + std::to_string(i)));
    show(errorBox("the last group", "prog Last Error", BoxOwner::ForegroundWindow));
    EXPECT_EQ(recorder.boxes.size(), 10u);
  }
  ASSERT_EQ(recorder.boxes.size(), 11u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(recorder.boxes[i], errorBox("group " + std::to_string(i)));
  EXPECT_EQ(recorder.boxes[10], errorBox("... and 9,990 more messages were not shown.", "prog Last Error",
                                         BoxOwner::ForegroundWindow));
  // Nothing is lost: every box held back went to the form as it was held back.
  ASSERT_EQ(recorder.heldBackBoxes.size(), 9990u);
  for (int i = 10; i < 9999; ++i) EXPECT_EQ(recorder.heldBackBoxes[i - 10], errorBox("group " + std::to_string(i)));
  EXPECT_EQ(recorder.heldBackBoxes.back(), errorBox("the last group", "prog Last Error", BoxOwner::ForegroundWindow));
}

TEST(BoxLimit, TheConsoleShowsEveryBox) {
  qbtest::BoxRecorder recorder;
  {
    const platform::ScopedBoxLimit limit(2);
    for (int i = 0; i < 5; ++i) show(errorBox(std::to_string(i)));
  }
  EXPECT_EQ(recorder.boxes.size(), 5u);
  EXPECT_TRUE(recorder.heldBackBoxes.empty());
}

// A question is shown and answered however many boxes were held back, and
// does not use up the limit.
TEST(BoxLimit, QuestionsAreAlwaysShownAndNotCounted) {
  qbtest::BoxRecorder recorder;
  recorder.desktop = true;
  recorder.answer = platform::BoxAnswer::Yes;
  {
    const platform::ScopedBoxLimit limit(1);
    show(kQuestion);
    show(errorBox("first"));
    show(errorBox("second"));
    EXPECT_EQ(platform::showMessageBox(kQuestion.text, kQuestion.caption, kQuestion.owner, kQuestion.style),
              platform::BoxAnswer::Yes);
  }
  EXPECT_EQ(recorder.boxes, (std::vector<MessageBoxRequest>{kQuestion, errorBox("first"), kQuestion,
                                                            errorBox("... and 1 more message was not shown.")}));
}

TEST(BoxLimit, AnInnerLimitJoinsTheOuterOne) {
  qbtest::BoxRecorder recorder;
  recorder.desktop = true;
  {
    const platform::ScopedBoxLimit outer(2);
    show(errorBox("1"));
    {
      const platform::ScopedBoxLimit inner(5);
      show(errorBox("2"));
      show(errorBox("3"));
      show(errorBox("4"));
    }
    EXPECT_EQ(recorder.boxes.size(), 2u);  // no summary yet
    EXPECT_EQ(recorder.heldBackBoxes, (std::vector<MessageBoxRequest>{errorBox("3"), errorBox("4")}));
    show(errorBox("5", "prog Fifth Error"));
  }
  EXPECT_EQ(recorder.boxes, (std::vector<MessageBoxRequest>{
                                errorBox("1"), errorBox("2"),
                                errorBox("... and 3 more messages were not shown.", "prog Fifth Error")}));
}

TEST(BoxLimit, NoSummaryWhenNothingWasHeldBackAndEachLimitCountsAfresh) {
  qbtest::BoxRecorder recorder;
  recorder.desktop = true;
  for (int round = 0; round < 2; ++round) {
    const platform::ScopedBoxLimit limit(3);
    for (int i = 0; i < 3; ++i) show(errorBox(std::to_string(i)));
  }
  EXPECT_EQ(recorder.boxes.size(), 6u);
  show(errorBox("no limit"));
  EXPECT_EQ(recorder.boxes.size(), 7u);
}

TEST(BoxLimit, CallersOfTheServiceItselfAreLimitedToo) {
  qbtest::BoxRecorder recorder;
  recorder.desktop = true;
  EXPECT_TRUE(platform::messageBoxes().onDesktop());
  {
    const platform::ScopedBoxLimit limit(0);
    EXPECT_EQ(platform::messageBoxes().show(errorBox("held")), platform::BoxAnswer::Ok);
    EXPECT_TRUE(recorder.boxes.empty());
  }
  EXPECT_EQ(recorder.boxes, (std::vector<MessageBoxRequest>{errorBox("... and 1 more message was not shown.")}));
}

TEST(BoxLimit, TheCountIsWrittenWithThousandsSeparators) {
  const std::pair<int, std::string> cases[] = {
      {999, "999"}, {1000, "1,000"}, {123456, "123,456"}, {1234567, "1,234,567"}};
  for (const auto& [count, written] : cases) {
    SCOPED_TRACE(count);
    qbtest::BoxRecorder recorder;
    recorder.desktop = true;
    {
      const platform::ScopedBoxLimit limit(0);
      const MessageBoxRequest box = errorBox("x");
      for (int i = 0; i < count; ++i) platform::messageBoxes().show(box);
    }
    ASSERT_EQ(recorder.boxes.size(), 1u);
    EXPECT_EQ(recorder.boxes[0].text, "... and " + written + " more messages were not shown.");
  }
}

// On a console a box is its caption on one line and its text below; the icon
// goes before the caption as a word unless the caption says that word.
TEST(ConsoleForm, TheIconIsSaidOnce) {
  const struct {
    std::uint32_t icon;
    std::string caption, first;
  } cases[] = {
      {platform::MB_ICONERROR, "Quillbray Configuration Import", "Error: Quillbray Configuration Import"},
      {platform::MB_ICONERROR, "quillbray-import Error: SetPrefInteger", "quillbray-import Error: SetPrefInteger"},
      {platform::MB_ICONERROR, "quillbray-import OpenPref Error", "quillbray-import OpenPref Error"},
      {platform::MB_ICONERROR, "Errors seen", "Error: Errors seen"},
      {platform::MB_ICONWARNING, "Warning", "Warning"},
      {platform::MB_ICONWARNING, "Error", "Warning: Error"},
      {0, "plain", "plain"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    EXPECT_EQ(platform::consoleForm({"a\r\nb", c.caption, BoxOwner::None, c.icon}), c.first + "\na\nb\n");
  }
}

}  // namespace
