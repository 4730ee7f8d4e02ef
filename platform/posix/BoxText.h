// A box's text made to fit the screen: long lines wrapped, a long text cut.
//
// zenity sizes its dialog to the text, so one long line (a 17,000-character
// name) makes a box wider than any screen, its buttons out of reach. The
// dialog gets lines no wider than kBoxColumns and at most kBoxLines of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// At zenity's usual font (10-11 pt DejaVu Sans, Cantarell or Ubuntu at 96 dpi)
// a character is 7-8 pixels on average and at most 13; 80 columns of text
// are 600-800 pixels, with the icon and the margins well inside 1024. 30
// lines of about 17-20 pixels, with title bar and buttons, fit in 768.
constexpr std::size_t kBoxColumns = 80;
constexpr std::size_t kBoxLines = 30;

// The last line of a text that was cut.
constexpr std::string_view kBoxCutLine = "... (the full text is on standard error)";

struct FittedText {
  std::string text;  // lines separated by "\n"
  bool cut = false;  // something of the text is not in `text`
};

// Splits text into lines at "\r\n", "\r" or "\n"; a line wider than
// `columns` is wrapped at blanks (the blanks at a break are dropped), and a
// word wider than `columns` goes on where the line stands and is broken
// between two characters, never inside one. Wide (East Asian) characters take two columns, a tab eight. When more
// than `lines` lines result, the first lines - 1 are kept and kBoxCutLine
// ends the text. Lines that fit are kept exactly as they are.
FittedText fitBoxText(std::string_view text, std::size_t columns = kBoxColumns, std::size_t lines = kBoxLines);

// A caption on one line of at most `columns`: line breaks become blanks and
// a longer caption ends in "...". `cut` tells whether anything was left out.
FittedText fitBoxCaption(std::string_view caption, std::size_t columns = kBoxColumns);

}  // namespace platform
