// The code page of a REGEDIT4 file given with /cp: the same names read the
// same text on every system (iconv on Linux, the system's code pages on
// Windows), and the same bytes are faults.
#include <gtest/gtest.h>

#include "RegValues.h"
#include "TestSupport.h"
#include "tools/RegCodePage.h"
#include "tools/RegImport.h"

namespace {

using namespace qbtest;
using quillbray::CodePage;

// A REGEDIT4 file that sets one string value, its bytes in the code page.
std::string regFile(const std::string& text) { return "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"V\"=\"" + text + "\"\r\n"; }

TEST(RegCodePage, NamedCodePagesReadTheSameEverywhere) {
  const struct {
    const char* name;
    std::string text;  // in the code page
    const char* utf8;
  } cases[] = {
      {"1251", "\xCF\xF0\xE8", "При"},  // a number alone is that code page
      {"CP1251", "\xCF\xF0\xE8", "При"},
      {"windows-1250", "\x8A\xF3", "Šó"},
      {"1252", "\x80\x81", "€\xC2\x81"},  // built in: the unassigned 0x81 is U+0081, as Windows reads it
      {"ISO-8859-2", "\xA3\xF3" "d\xBC", "Łódź"},
      {"KOI8-R", "\xF0\xD2\xC9", "При"},
      {"866", "\x8F\xE0\xA8", "При"},
      // As Windows writes it: a second byte 0x5C (表) is no backslash escape.
      {"Shift_JIS", "\x93\xFA\x96{_\x95\x5C", "日本_表"},
      {"Shift_JIS", "C:\x5C\x5CUsers~", "C:\\Users~"},  // an escaped backslash, and no overline
      {"932", "\x93\xFA\x96{", "日本"},
      {"GBK", "\xD6\xD0\xCE\xC4", "中文"},
      {"EUC-KR", "\xC7\xD1\xB1\xDB", "한글"},
      {"Big5", "\xA4\xA4\xA4\xE5", "中文"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CodePage page(c.name);
    const auto changes = quillbray::parseRegText(regFile(c.text), "f", &page);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].value, sz(c.utf8));
  }
}

TEST(RegCodePage, BytesWithoutACharacterAreAFaultOfTheirLine) {
  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"Shift_JIS", regFile("\x81 "), "f: line 4: bytes that are no Shift_JIS character"},
      {"GBK", regFile("a\xFF"), "f: line 4: bytes that are no GBK character"},
      {"Shift_JIS", regFile("a") + "\x93", "f: line 5: the text ends in the middle of a Shift_JIS character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const CodePage page(c.name);
    try {
      quillbray::parseRegText(c.bytes, "f", &page);
      ADD_FAILURE() << "accepted";
    } catch (const quillbray::BadRegFile& e) {
      EXPECT_EQ(std::string(e.what()), c.message + " (give the file's code page with /cp NAME)");
    }
  }
}

TEST(RegCodePage, AnUnknownNameSaysWhoDoesNotKnowIt) {
  try {
    CodePage page("NO-SUCH-PAGE");
    ADD_FAILURE() << "accepted";
  } catch (const quillbray::UnknownCodePage& e) {
    EXPECT_EQ(std::string(e.what()), std::string("unknown code page 'NO-SUCH-PAGE' (") +
                                         (kOnWindows ? "Windows has no such code page" : "iconv knows no such name") +
                                         "; try CP1251, ISO-8859-2...)");
  }
  // An empty name would be the locale's character set on Linux: no name given.
  try {
    CodePage page("");
    ADD_FAILURE() << "accepted";
  } catch (const quillbray::UnknownCodePage& e) {
    EXPECT_EQ(std::string(e.what()), "unknown code page '' (no name was given; try CP1251, ISO-8859-2...)");
  }
}

}  // namespace
