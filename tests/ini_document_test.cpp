// The settings file's text as IniDocument reads and writes it, on every
// system: the section list, and any bytes parsing and writing back stably.
#include <random>

#include "TestSupport.h"
#include "platform/IniFile.h"

namespace {

using platform::IniDocument;

// Whatever the bytes, reading does not crash, and text written back reads
// the same and writes back unchanged.
TEST(IniDocumentText, AnyBytesParseAndRewriteStably) {
  std::mt19937 random(7);
  const std::string alphabet = std::string("[]=;'\" \t\r\n\0\x01\xEF\xBB\xBF" "abAB", 19);
  for (int round = 0; round < 500; ++round) {
    std::string bytes(random() % 200, ' ');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    IniDocument doc = IniDocument::parse(bytes);
    doc.set("a", "x", "1");
    const std::string once = doc.text();
    EXPECT_EQ(IniDocument::parse(once).text(), once);
    EXPECT_EQ(IniDocument::parse(once).value("A", "X"), "1");
  }
}

// A line starting with U+FEFF after dropped blank lines stays a line: written
// first, it would read as the file's byte-order mark.
TEST(IniDocumentText, ALineStartingWithUFeffNeverBecomesTheByteOrderMark) {
  const std::string mark = "\xEF\xBB\xBF";
  const struct {
    const char* what;
    std::string bytes;
    std::string firstName;  // of the section before the first header
  } cases[] = {
      {"an entry after a blank line", "\r\n" + mark + "a=1\r\n", mark + "a"},
      {"a line of U+FEFF alone, then an entry", "\r\n" + mark + "\r\na=1\r\n", "a"},
      {"a byte-order mark, a blank line, an entry", mark + "\r\n" + mark + "a=1\r\n", mark + "a"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    IniDocument doc = IniDocument::parse(c.bytes);
    ASSERT_EQ(doc.names("").front(), c.firstName);
    doc.set("s", "x", "1");
    EXPECT_EQ(doc.text().starts_with(mark), c.bytes.starts_with(mark)) << doc.text();
    const IniDocument back = IniDocument::parse(doc.text());
    EXPECT_EQ(back.names(""), doc.names(""));
    EXPECT_EQ(back.value("", c.firstName), "1");
    EXPECT_EQ(IniDocument::parse(back.text()).text(), back.text());
  }
}

// The section list: file order, the first spelling of a name, no unnamed
// section, and the sections an edit adds.
TEST(IniSections, FirstOfEachNameInFileOrder) {
  const struct {
    std::string text;
    std::vector<std::string> sections;
  } cases[] = {
      {"", {}},
      {"a=1\n[]\nb=2\n", {}},
      {"[Logs]\n[Fonts]\n[LOGS]\n[ $Unknown\\My Group ]\n", {"Logs", "Fonts", "$Unknown\\My Group"}},
      {"x=1\n[B]\n[a]\n[b]\n[A]\n", {"B", "a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    IniDocument doc = IniDocument::parse(c.text);
    EXPECT_EQ(doc.sectionNames(), c.sections);
    doc.set("New", "n", "1");
    std::vector<std::string> grown = c.sections;
    grown.push_back("New");
    EXPECT_EQ(doc.sectionNames(), grown);
  }
}

}  // namespace
