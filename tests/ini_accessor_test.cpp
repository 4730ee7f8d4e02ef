// The settings-file accessor as every system's form promises it: changes
// wait for flush(), one pair of quotes is dropped once, names and sections
// include the changes kept, refusals say "Unable to write to <file>", and
// text the file cannot hold is refused, never stored as something else.
#include <fstream>

#include "TestSupport.h"
#include "platform/IniFile.h"

namespace {

using namespace qbtest;
using platform::IniFileError;
using platform::openIniFile;

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// UTF-16 LE text of ASCII and two-byte UTF-8 letters, for files made here.
std::string utf16le(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::string refusal(const std::function<void()>& write) {
  try {
    write();
  } catch (const IniFileError& e) {
    return e.what();
  }
  return {};
}

class IniAccessorTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string path = dir.file("Quillbray.ini");
};

// Linux keeps the changes until the flush and writes them in one step;
// Windows writes each at once through the profile routines.
TEST_F(IniAccessorTest, ChangesAreReadAtOnceAndWrittenAtFlushOrAtOnce) {
  auto f = openIniFile(path);
  f->writeString("Sec", "Name", "1");
  f->writeString("Sec", "Quoted", "\"\"q\"\"");  // one pair goes, on reading
  f->writeString("Other", "x", "  blanks around  ");
  EXPECT_EQ(f->readString("SEC", "name"), "1");
  EXPECT_EQ(f->readString("sec", "quoted"), "\"q\"");
  EXPECT_EQ(f->readString("other", "X"), "  blanks around  ");
  EXPECT_EQ(std::filesystem::exists(path), qbtest::kOnWindows) << "written at once only on Windows";
  f->flush();
  ASSERT_TRUE(std::filesystem::exists(path));

  // What another accessor reads from the file is what this one read.
  auto g = openIniFile(path);
  EXPECT_EQ(g->readString("sec", "NAME"), "1");
  EXPECT_EQ(g->readString("sec", "quoted"), "\"q\"");
  EXPECT_EQ(g->readString("other", "x"), "  blanks around  ");
  EXPECT_EQ(g->readString("sec", "missing"), std::nullopt);
  EXPECT_EQ(g->readString("missing", "name"), std::nullopt);

  g->deleteEntry("sec", "name");
  g->deleteEntry("sec", "missing");  // nothing to delete
  EXPECT_EQ(g->readString("sec", "name"), std::nullopt);
  EXPECT_EQ(openIniFile(path)->readString("sec", "name"), qbtest::kOnWindows ? std::nullopt : std::optional<std::string>("1"))
      << "deleted at once only on Windows";
  g->flush();
  EXPECT_EQ(openIniFile(path)->readString("sec", "name"), std::nullopt);
  EXPECT_EQ(openIniFile(path)->readString("sec", "quoted"), "\"q\"");
}

TEST_F(IniAccessorTest, AnEmptyValueIsThereAndAMissingOneIsNot) {
  {
    auto f = openIniFile(path);
    f->writeString("a", "empty", "");
  }  // the destructor writes
  auto f = openIniFile(path);
  EXPECT_EQ(f->readString("a", "empty"), "");
  EXPECT_EQ(f->readString("a", "other"), std::nullopt);
}

TEST_F(IniAccessorTest, NamesAndSectionsIncludeTheChangesKept) {
  writeFile(path, "[Logs]\r\nb=1\r\na=2\r\n[Fonts]\r\nf=1\r\n");
  auto f = openIniFile(path);
  f->writeString("logs", "C", "3");
  f->writeString("LOGS", "B", "9");  // an update: the name stays where it is
  f->deleteEntry("logs", "a");
  f->writeString("New", "n", "1");
  EXPECT_EQ(f->entryNames("Logs"), (std::vector<std::string>{"b", "C"}));
  EXPECT_EQ(f->entryNames("new"), (std::vector<std::string>{"n"}));
  EXPECT_TRUE(f->entryNames("missing").empty());
  EXPECT_EQ(f->sectionNames(), (std::vector<std::string>{"Logs", "Fonts", "New"}));
  f->flush();
  auto g = openIniFile(path);
  EXPECT_EQ(g->entryNames("logs"), (std::vector<std::string>{"b", "C"}));
  EXPECT_EQ(g->readString("logs", "b"), "9");
  EXPECT_EQ(g->sectionNames(), (std::vector<std::string>{"Logs", "Fonts", "New"}));
}

// The system's routines cut what does not fit their buffer; long entries
// and long lists come back whole.
TEST_F(IniAccessorTest, LongValuesAndLongNameListsComeBackWhole) {
  const std::string longValue(70'000, 'v');
  std::vector<std::string> names;
  for (int i = 0; i < 1500; ++i) names.push_back("name number " + std::to_string(i));
  {
    auto f = openIniFile(path);
    f->writeString("a", "long", longValue);
    for (const auto& n : names) f->writeString("many", n, "1");
    for (int i = 0; i < 100; ++i) f->writeString("section number " + std::to_string(i), "x", "1");
    f->flush();
  }
  auto f = openIniFile(path);
  EXPECT_EQ(f->readString("a", "long"), longValue);
  EXPECT_EQ(f->entryNames("many"), names);
  EXPECT_EQ(f->sectionNames().size(), 102u);
}

TEST_F(IniAccessorTest, RefusalsNameTheFileAndTheReason) {
  const std::string inMissingFolder = dir.file("no folder/Quillbray.ini");
  const std::string prefix = "Unable to write to " + inMissingFolder + "\r\n";
  auto f = openIniFile(inMissingFolder);
  const std::string atWrite = refusal([&] { f->writeString("a", "x", "1"); });
  EXPECT_EQ(atWrite.rfind(prefix, 0), 0u) << atWrite;
  EXPECT_GT(atWrite.size(), prefix.size()) << "no reason";
  const std::string atCheck = refusal([&] { f->checkCanWrite(); });
  EXPECT_EQ(atCheck.rfind(prefix, 0), 0u) << atCheck;
  EXPECT_EQ(f->readString("a", "x"), std::nullopt);  // nothing was kept
  EXPECT_NO_THROW(f->flush());

  const std::string badName = refusal([&] { openIniFile(path)->writeString("a", "x=y", "1"); });
  EXPECT_EQ(badName.rfind("Unable to write to " + path + "\r\n", 0), 0u) << badName;
  EXPECT_FALSE(std::filesystem::exists(path));

  std::filesystem::create_directory(path);  // a folder where the file should be
  const std::string read = refusal([&] { openIniFile(path)->readString("a", "x"); });
  EXPECT_EQ(read.rfind("Cannot read " + path + "\r\n", 0), 0u) << read;
  const std::string write = refusal([&] { openIniFile(path)->writeString("a", "x", "1"); });
  EXPECT_EQ(write.rfind("Unable to write to " + path + "\r\n", 0), 0u) << write;
}

// Text outside ASCII. The Linux form keeps the file's bytes (UTF-8). The
// Windows routines keep a file that starts with the UTF-16 mark FF FE in
// UTF-16 and any other in the ANSI code page, where a character the code
// page lacks would become "?": such a write is refused with the reason.
// U+1F600 is in no ANSI code page (only in UTF-8, which Windows may be set
// to use as its code page: the text is then stored).
TEST_F(IniAccessorTest, TextOutsideASCIIIsStoredExactlyOrRefused) {
  const std::string smile = "\xF0\x9F\x98\x80", eAcute = "\xC3\xA9";
  const std::string utf16Start = "\xFF\xFE" + utf16le(u"[a]\r\nold=1\r\n");
  enum Outcome { Stored, Refused, StoredOrRefused };
  const struct {
    const char* what;
    std::string before;  // the file before, "" for none
    std::string section, name, value;
    Outcome onLinux, onWindows;
  } cases[] = {
      {"a new file", "", "a", "x", smile, Stored, StoredOrRefused},
      {"a file of ASCII text", "[a]\r\nold=1\r\n", "a", "x", smile, Stored, StoredOrRefused},
      {"in a name", "[a]\r\nold=1\r\n", "a", "x" + smile, "1", Stored, StoredOrRefused},
      {"in a section", "[a]\r\nold=1\r\n", smile, "x", "1", Stored, StoredOrRefused},
      // Windows reads a UTF-8 mark as three ANSI characters and writes the
      // file in the ANSI code page (Wine writes it in UTF-8): refused there
      // as in any ANSI file.
      {"a file with the UTF-8 mark", "\xEF\xBB\xBF[a]\r\nold=1\r\n", "a", "x", smile, Stored, StoredOrRefused},
      // A UTF-16 file holds zero bytes, which the Linux form never rewrites.
      {"a UTF-16 file", utf16Start, "a", "x", smile + eAcute, Refused, Stored},
      {"a name in a UTF-16 file", utf16Start, eAcute + "t" + eAcute, "x" + smile, eAcute, Refused, Stored},
      // Bytes that are not UTF-8 have no UTF-16 form.
      {"bytes that are not UTF-8", "", "a", "x", "\xFF\xFE", Stored, Refused},
      {"bytes that are not UTF-8, in a UTF-16 file", utf16Start, "a", "x", "\xFF\xFE", Refused, Refused},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path);
    if (!c.before.empty()) writeFile(path, c.before);
    const Outcome want = kOnWindows ? c.onWindows : c.onLinux;
    std::string refused;
    {
      auto f = openIniFile(path);
      refused = refusal([&] {
        f->writeString(c.section, c.name, c.value);
        f->flush();
      });
    }
    const std::string after = std::filesystem::exists(path) ? readFile(path) : "";
    if (!refused.empty()) {
      EXPECT_NE(want, Stored) << refused;
      EXPECT_EQ(refused.rfind("Unable to write to " + path + "\r\n", 0), 0u) << refused;
      EXPECT_EQ(after, c.before) << "changed by a refused write";
      continue;
    }
    EXPECT_NE(want, Refused) << "stored";
    auto back = openIniFile(path);
    EXPECT_EQ(back->readString(c.section, c.name), c.value);
    const auto names = back->entryNames(c.section);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), c.name);
    if (c.before == utf16Start) {
      EXPECT_EQ(after.rfind("\xFF\xFE", 0), 0u) << "no longer UTF-16";
      EXPECT_EQ(back->readString("a", "old"), "1");
    }
  }
}

// Where Windows refuses text the code page lacks, the reason says so and
// names the remedy; the file keeps its text. The Linux form stores any text
// as UTF-8.
TEST_F(IniAccessorTest, TheRefusalOfTextTheCodePageLacksSaysWhy) {
  writeFile(path, "[a]\r\nold=1\r\n");
  const std::string why = refusal([&] { openIniFile(path)->writeString("a", "x", "\xF0\x9F\x98\x80"); });
  if (!kOnWindows) {
    EXPECT_EQ(why, "");
    EXPECT_EQ(openIniFile(path)->readString("a", "x"), "\xF0\x9F\x98\x80");
    return;
  }
  if (why.empty()) GTEST_SKIP() << "the system's code page is UTF-8: any text is stored";
  EXPECT_EQ(why.rfind("Unable to write to " + path + "\r\nthe value of 'x' holds characters that the system's code page (",
                      0),
            0u)
      << why;
  EXPECT_NE(why.find("UTF-16"), std::string::npos) << why;
  EXPECT_EQ(readFile(path), "[a]\r\nold=1\r\n");
}

// A UTF-8 mark at the start: the Linux form reads past it. Windows reads it
// as three ANSI characters before "[a]", so that the line is no section
// header; Wine reads past it, as Linux does, and the test takes both there.
TEST_F(IniAccessorTest, AUtf8MarkAtTheStart) {
  writeFile(path, "\xEF\xBB\xBF[a]\r\nx=1\r\n");
  const auto x = openIniFile(path)->readString("a", "x");
  if (kOnWindows) EXPECT_TRUE(x == std::nullopt || x == "1") << *x;
  else EXPECT_EQ(x, "1");
}

}  // namespace
