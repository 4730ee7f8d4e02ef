// The Linux writer's view of the edit sequences: its reads through the
// accessor, what it writes at flush (the changes replayed onto the file read
// again), and the replay onto a file another writer changed in between.
#include <fstream>

#include "IniEditSequences.h"

namespace {

using namespace qbtest;
using namespace qbtest::iniedits;
using platform::IniDocument;
using platform::openIniFile;

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class IniEditsFile : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string path = dir.file("Quillbray.ini");
};

// The accessor's view: its reads, what it writes at flush (the changes
// replayed onto the file read again), and its reads after the flush.
TEST_F(IniEditsFile, SequencesThroughTheAccessorWriteWhatTheyRead) {
  struct Reads {
    platform::IniFile& f;
    std::optional<std::string> value(const std::string& s, const std::string& n) { return f.readString(s, n); }
    std::vector<std::string> names(const std::string& s) { return f.entryNames(s); }
  };
  for (const Sequence& seq : sequences()) {
    SCOPED_TRACE(seq.what);
    writeFile(path, seq.before);
    auto f = openIniFile(path);
    for (const Step& s : seq.steps) {
      if (s.op == Op::Set) f->writeString(s.section, s.name, *s.value);
      if (s.op == Op::Erase || s.op == Op::EraseNothing) f->deleteEntry(s.section, s.name);
      check(s, Reads{*f});
    }
    f->flush();
    EXPECT_EQ(readFile(path), seq.after);
    const IniDocument written = IniDocument::parse(seq.after);
    for (const Step& s : seq.steps) {
      if (s.op != Op::Read) continue;
      EXPECT_EQ(f->readString(s.section, s.name), written.value(s.section, s.name)) << "after the flush: " << s.name;
    }
  }
}

// Another writer changes the file between this accessor's reads and its
// flush: the changes are replayed by name onto the file as it is then.
TEST_F(IniEditsFile, TheReplayAtFlushLandsOnTheFileAsChangedInBetween) {
  const struct {
    const char* what;
    std::string before;
    std::function<void(platform::IniFile&)> mine;
    std::string between;  // the file as the other writer leaves it
    std::string after;
    std::vector<std::pair<std::string, std::optional<std::string>>> reads;  // in [a], after the flush
  } cases[] = {
      {"a duplicate section put before mine takes the writes",
       "[a]\nx=1\n",
       [](auto& f) {
         f.writeString("a", "y", "2");
         f.deleteEntry("a", "x");
       },
       "[A]\nx=other\n[a]\nx=1\n",
       "[A]\r\ny=2\r\n[a]\r\nx=1\r\n",
       {{"x", std::nullopt}, {"y", "2"}}},
      {"a duplicate entry added after mine is uncovered by my deletion",
       "[a]\nx=1\n",
       [](auto& f) { f.deleteEntry("a", "x"); },
       "[a]\nx=1\nX=2\n",
       "[a]\r\nX=2\r\n",
       {{"x", "2"}}},
      {"a duplicate entry added before mine takes my write",
       "[a]\nx=1\n",
       [](auto& f) { f.writeString("a", "x", "mine"); },
       "[a]\nX=other\nx=1\n",
       "[a]\r\nX=mine\r\nx=1\r\n",
       {{"x", "mine"}}},
      {"the section deleted in between comes back at the end",
       "[a]\nx=1\n[b]\ny=1\n",
       [](auto& f) {
         f.writeString("a", "x", "2");
         f.writeString("A", "z", "3");
       },
       "[b]\ny=1\n",
       "[b]\r\ny=1\r\n[a]\r\nx=2\r\nz=3\r\n",
       {{"x", "2"}, {"z", "3"}}},
      {"my deletions and writes in one section, replayed in order",
       "[a]\nx=1\nX=2\n",
       [](auto& f) {
         f.deleteEntry("a", "x");
         f.deleteEntry("a", "x");
         f.writeString("a", "x", "3");
         f.deleteEntry("a", "x");
         f.writeString("a", "X", "4");
       },
       "[a]\nx=1\nX=2\nx=other\n",
       "[a]\r\nX=4\r\n",
       {{"x", "4"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(path, c.before);
    auto f = openIniFile(path);
    f->readString("a", "x");
    c.mine(*f);
    writeFile(path, c.between);
    f->flush();
    EXPECT_EQ(readFile(path), c.after);
    for (const auto& [name, value] : c.reads) {
      EXPECT_EQ(f->readString("a", name), value) << name;
      EXPECT_EQ(openIniFile(path)->readString("a", name), value) << name;
    }
  }
}

}  // namespace
