// Fitting a box's text and caption to the screen.
#include <string>

#include "TestSupport.h"
#include "platform/posix/BoxText.h"

namespace {

using platform::fitBoxCaption;
using platform::fitBoxText;

const std::string kCut(platform::kBoxCutLine);

TEST(BoxText, LongLinesAreWrappedAndLongTextsCut) {
  struct Case {
    const char* name;
    std::string text;
    std::string shown;
    bool cut;
  };
  // 10 columns, 5 lines.
  const Case cases[] = {
      {"short", "short", "short", false},
      {"empty", "", "", false},
      {"line ends as the program writes them", "a\r\nb\rc\n\r\nd", "a\nb\nc\n\nd", false},
      {"a line that fits keeps its blanks", "  Key: x  ", "  Key: x  ", false},
      {"exactly the width", "0123456789", "0123456789", false},
      {"long word", "abcdefghijklmnopqrstuvwxy", "abcdefghij\nklmnopqrst\nuvwxy", false},
      {"long line of words", "one two three four five six", "one two\nthree four\nfive six", false},
      {"long word after a short one", "ab abcdefghijkl mn", "ab abcdefg\nhijkl mn", false},
      {"long word after a full line", "abcdefghi abcdefghijkl", "abcdefghi\nabcdefghij\nkl", false},
      {"blanks at a break are dropped", "aaaa     bbbbbbb   ", "aaaa\nbbbbbbb", false},
      {"tabs take eight columns", "a\tb\tc", "a\tb\nc", false},
      {"two-byte characters", "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9",
       "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\n\u00e9", false},
      {"wide characters take two columns", "\u65e5\u672c\u8a9e\u65e5\u672c\u8a9e",
       "\u65e5\u672c\u8a9e\u65e5\u672c\n\u8a9e", false},
      {"four-byte characters", "a\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600",
       "a\U0001F600\U0001F600\U0001F600\U0001F600\n\U0001F600", false},
      {"bytes that are not UTF-8 count one each", std::string(12, '\xff'), std::string(10, '\xff') + "\n\xff\xff",
       false},
      {"exactly the number of lines", "1\r\n2\r\n3\r\n4\r\n5", "1\n2\n3\n4\n5", false},
      {"many lines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7", "1\n2\n3\n4\n" + kCut, true},
      {"wrapping makes too many lines", std::string(60, 'x'),
       std::string(10, 'x') + "\n" + std::string(10, 'x') + "\n" + std::string(10, 'x') + "\n" + std::string(10, 'x') +
           "\n" + kCut,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto fitted = fitBoxText(c.text, 10, 5);
    EXPECT_EQ(fitted.text, c.shown);
    EXPECT_EQ(fitted.cut, c.cut);
  }
}

// The name that once made a box 31,743 pixels wide, at the real limits.
TEST(BoxText, AHugeNameFitsTheScreenAndSaysTheRestIsElsewhere) {
  const std::string text = "OpenPref Error: Unable to open Preferences.\r\n\r\nKey: Software\\" +
                           std::string(17000, 'n') + "\r\nReason: too long";
  const auto fitted = fitBoxText(text);
  EXPECT_TRUE(fitted.cut);
  std::size_t lines = 0;
  std::size_t start = 0;
  for (std::size_t end; start <= fitted.text.size(); start = end + 1) {
    end = fitted.text.find('\n', start);
    if (end == std::string::npos) end = fitted.text.size();
    EXPECT_LE(end - start, platform::kBoxColumns);
    ++lines;
  }
  EXPECT_EQ(lines, platform::kBoxLines);
  EXPECT_TRUE(fitted.text.starts_with("OpenPref Error: Unable to open Preferences.\n\nKey: Software\\nnn"));
  EXPECT_TRUE(fitted.text.ends_with("\n" + kCut));
}

TEST(BoxText, CaptionsTakeOneLineAndEndInDotsWhenCut) {
  struct Case {
    std::string caption;
    std::string shown;
    bool cut;
  };
  const Case cases[] = {
      {"prog Error", "prog Error", false},
      {"prog\r\nError", "prog Error", false},
      {"0123456789", "0123456789", false},
      {"prog OpenPref Error", "prog Op...", true},
      {"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9", "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9...",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    const auto fitted = fitBoxCaption(c.caption, 10);
    EXPECT_EQ(fitted.text, c.shown);
    EXPECT_EQ(fitted.cut, c.cut);
  }
}

}  // namespace
