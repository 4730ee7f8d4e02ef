// Lookups of the settings file after edits: which of several duplicate
// sections or entries a read finds and a write changes, names that differ
// in letter case, sections emptied and written again, many deletions in one
// section, and the replay of the changes at flush onto a file changed in
// between. Each sequence is checked in memory, through a file accessor, and
// against the text it leaves (read again from scratch).
#include <fstream>
#include <random>

#include "TestSupport.h"
#include "platform/IniFile.h"
#include "platform/Text.h"

namespace {

using namespace qbtest;
using platform::IniDocument;
using platform::openIniFile;

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

enum class Op {
  Set,           // value: the value written
  Erase,         // an entry is there to erase
  EraseNothing,  // no entry to erase
  Read,          // value: what reads back, nothing for no entry
  Names,         // value: the entry names, joined by ","
};
struct Step {
  Op op;
  std::string section, name;
  std::optional<std::string> value = std::nullopt;
};
struct Sequence {
  std::string what, before;
  std::vector<Step> steps;
  std::string after;
};

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ",") + n;
  return out;
}

Step set(std::string section, std::string name, std::string value) { return {Op::Set, section, name, value}; }
Step erase(std::string section, std::string name) { return {Op::Erase, section, name}; }
Step eraseNothing(std::string section, std::string name) { return {Op::EraseNothing, section, name}; }
Step read(std::string section, std::string name, std::optional<std::string> v) { return {Op::Read, section, name, v}; }
Step names(std::string section, std::string list) { return {Op::Names, section, "", list}; }

// A section of n entries "k<i>=<i>", a comment, n duplicates "K<i>=dup<i>"
// and third ones of two names; the first entries and some duplicates are
// deleted, more than half of the section's lines, while names still have
// duplicates after them.
Sequence manyDeletions() {
  constexpr int n = 200;
  Sequence s{"many deletions in one section, of duplicates too", "[b]\nz=1\n[a]\n", {}, {}};
  for (int i = 0; i < n; ++i) s.before += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  s.before += "; the duplicates\n";
  for (int i = 0; i < n; ++i) s.before += "K" + std::to_string(i) + "=dup" + std::to_string(i) + "\n";
  s.before += "k150=third\nk180=third\n[c]\nk0=c\n";
  for (int i = 0; i < n; ++i) s.steps.push_back(erase("a", "k" + std::to_string(i)));
  s.steps.push_back(read("a", "k7", "dup7"));
  for (int i = 0; i < n / 2; ++i) s.steps.push_back(erase("A", "K" + std::to_string(i)));
  s.steps.push_back(read("a", "k7", std::nullopt));
  s.steps.push_back(eraseNothing("a", "k7"));
  s.steps.push_back(read("a", "k150", "dup150"));
  s.steps.push_back(erase("a", "k150"));
  s.steps.push_back(read("a", "k150", "third"));
  s.steps.push_back(set("a", "k150", "new"));
  s.steps.push_back(set("a", "k7", "back"));
  s.steps.push_back(read("c", "k0", "c"));
  s.steps.push_back(erase("a", "k199"));
  s.steps.push_back(read("a", "k198", "dup198"));
  s.steps.push_back(read("a", "k180", "dup180"));
  s.after = "[b]\r\nz=1\r\n[a]\r\n; the duplicates\r\n";
  for (int i = n / 2; i < n - 1; ++i)
    if (i != 150) s.after += "K" + std::to_string(i) + "=dup" + std::to_string(i) + "\r\n";
  s.after += "k150=new\r\nk180=third\r\nk7=back\r\n[c]\r\nk0=c\r\n";
  return s;
}

std::vector<Sequence> sequences() {
  std::vector<Sequence> all = {
      {"deleting the first of duplicate entries uncovers the second",
       "[a]\nx=1\nX=2\ny=0\n",
       {erase("a", "x"), read("a", "x", "2"), names("a", "X,y"), set("a", "x", "3"), read("A", "X", "3")},
       "[a]\r\nX=3\r\ny=0\r\n"},
      {"three duplicates deleted one by one, then written anew",
       "[a]\nx=1\nX=2\nx=3\ny=0\n",
       {erase("a", "X"), erase("a", "x"), read("a", "x", "3"), erase("a", "x"), read("a", "x", std::nullopt),
        eraseNothing("a", "x"), set("a", "x", "4"), read("a", "x", "4"), names("a", "y,x")},
       "[a]\r\ny=0\r\nx=4\r\n"},
      {"a write changes the first duplicate only, and it stays first",
       "[a]\nx=1\nX=2\n",
       {set("a", "x", "9"), read("a", "x", "9"), erase("a", "x"), read("a", "x", "2"), set("a", "x", "8")},
       "[a]\r\nX=8\r\n"},
      {"duplicate sections: reads and writes go to the first",
       "[a]\nx=1\n[A]\nx=2\ny=2\n",
       {read("a", "y", std::nullopt), erase("a", "x"), read("a", "x", std::nullopt), eraseNothing("a", "x"),
        set("a", "y", "3"), names("A", "y")},
       "[a]\r\ny=3\r\n[A]\r\nx=2\r\ny=2\r\n"},
      {"a section emptied, then written again, keeps its header and place",
       "[a]\nx=1\ny=2\n[b]\nz=1\n",
       {erase("a", "x"), erase("a", "y"), names("a", ""), read("a", "x", std::nullopt), set("A", "Y", "5"),
        set("b", "z", "2"), read("a", "y", "5")},
       "[a]\r\nY=5\r\n[b]\r\nz=2\r\n"},
      {"an emptied first section of two hides the second all the same",
       "[a]\nx=1\n[a]\nx=2\n",
       {erase("a", "x"), read("a", "x", std::nullopt), set("a", "x", "3")},
       "[a]\r\nx=3\r\n[a]\r\nx=2\r\n"},
      {"letter case: the spelling first written stays until the entry is deleted",
       "",
       {set("Sec", "Key", "1"), set("SEC", "KEY", "2"), set("sec", "key", "3"), read("sEc", "kEy", "3"),
        erase("SeC", "kEy"), set("sEC", "kEY", "4"), names("sec", "kEY")},
       "[Sec]\r\nkEY=4\r\n"},
      {"a section added by a write is found under another case",
       "[z]\n",
       {set("n", "a", "1"), set("N", "b", "2"), set("n", "A", "3"), erase("N", "B"), set("n", "c", "4")},
       "[z]\r\n[n]\r\na=3\r\nc=4\r\n"},
      {"non-ASCII letters fold as foldName folds them",
       "[\xC3\x84pfel]\n\xC3\x96l=1\n",
       {read("\xC3\xA4PFEL", "\xC3\xB6L", "1"), set("\xC3\x84PFEL", "\xC3\xB6l", "2"),
        set("\xC3\xA4pfel", "Stra\xC3\x9F" "e", "1"),
        read("\xC3\xA4pfel", "STRASSE", std::nullopt),  // no simple case mapping makes ß SS
        set("\xC3\xA4pfel", "STRASSE", "2"), set("\xC3\xA4pfel", "\xC7\x85", "3"),
        read("\xC3\x84pfel", "\xC7\x86", "3"),  // Dž and dž fold to DŽ
        erase("\xC3\x84pfel", "\xC3\x96L"), read("\xC3\xA4pfel", "\xC3\xB6l", std::nullopt)},
       "[\xC3\x84pfel]\r\nStra\xC3\x9F" "e=1\r\nSTRASSE=2\r\n\xC7\x85=3\r\n"},
      {"bytes that are not UTF-8 match only themselves",
       "[a]\n\xE4=1\n",
       {read("a", "\xC4", std::nullopt), set("a", "\xC4", "2"), read("a", "\xE4", "1"), erase("a", "\xE4"),
        read("a", "\xC4", "2")},
       "[a]\r\n\xC4=2\r\n"},
      {"the lines before the first header form the section \"\"",
       "x=1\n[a]\nx=2\n",
       {read("", "x", "1"), erase("", "x"), read("", "x", std::nullopt), read("a", "x", "2"), set("", "y", "3"),
        set("", "X", "4")},
       "y=3\r\nX=4\r\n[a]\r\nx=2\r\n"},
      {"a header of no name is never found",
       "[]\nx=1\n[ ]\ny=1\n",
       {read("", "x", std::nullopt), set("", "x", "2"), names("", "x"), read("", "y", std::nullopt)},
       "x=2\r\n[]\r\nx=1\r\n[ ]\r\ny=1\r\n"},
      {"comments and plain lines stay where they are",
       "; top\n[a]\nplain\nx=1\n;x=2\nX=3\n",
       {erase("a", "x"), read("a", "x", "3"), erase("a", "x"), set("a", "x", "4"), read("a", ";x", std::nullopt)},
       "; top\r\n[a]\r\nplain\r\n;x=2\r\nx=4\r\n"},
  };
  all.push_back(manyDeletions());
  return all;
}

// A read step checked against what reads.
template <typename Reads>
void check(const Step& s, Reads&& reads) {
  if (s.op == Op::Read) {
    EXPECT_EQ(reads.value(s.section, s.name), s.value) << "[" << s.section << "] " << s.name;
  } else if (s.op == Op::Names) {
    EXPECT_EQ(joined(reads.names(s.section)), *s.value) << "[" << s.section << "]";
  }
}

TEST(IniEdits, SequencesInMemoryFindWhatTheTextHolds) {
  for (const Sequence& seq : sequences()) {
    SCOPED_TRACE(seq.what);
    IniDocument doc = IniDocument::parse(seq.before);
    for (const Step& s : seq.steps) {
      if (s.op == Op::Set) doc.set(s.section, s.name, *s.value);
      if (s.op == Op::Erase || s.op == Op::EraseNothing) {
        EXPECT_EQ(doc.erase(s.section, s.name), s.op == Op::Erase) << "[" << s.section << "] " << s.name;
      }
      check(s, doc);
      SCOPED_TRACE("the text so far, parsed again");
      check(s, IniDocument::parse(doc.text()));
    }
    EXPECT_EQ(doc.text(), seq.after);
  }
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

// A plain model of the rules (every lookup a scan of the lines, folding as
// it goes) against the document, over random edits of a random file built
// from a few names in several spellings: long runs of duplicates, emptied
// sections and compaction while duplicates remain all come about.
class Model {
 public:
  explicit Model(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
      const auto end = text.find("\r\n", at);
      lines_.push_back(text.substr(at, end - at));
      at = end + 2;
    }
  }
  std::optional<std::string> value(const std::string& section, const std::string& name) const {
    const auto at = entry(section, name);
    if (!at) return std::nullopt;
    return lines_[*at].substr(lines_[*at].find('=') + 1);
  }
  std::vector<std::string> names(const std::string& section) const {
    std::vector<std::string> out;
    const auto [begin, end] = range(section);
    for (std::size_t i = begin; i < end; ++i)
      if (isEntry(lines_[i])) out.push_back(entryName(lines_[i]));
    return out;
  }
  void set(const std::string& section, const std::string& name, const std::string& value) {
    if (const auto at = entry(section, name)) {
      lines_[*at] = entryName(lines_[*at]) + "=" + value;
      return;
    }
    auto [begin, end] = range(section);
    if (begin == std::string::npos) {
      lines_.push_back("[" + section + "]");
      end = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), name + "=" + value);
  }
  bool erase(const std::string& section, const std::string& name) {
    const auto at = entry(section, name);
    if (at) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    return at.has_value();
  }
  std::string text() const {
    std::string out;
    for (const auto& l : lines_) out += l + "\r\n";
    return out;
  }

 private:
  static bool isHeader(const std::string& l) { return l[0] == '[' && l.find(']') != std::string::npos; }
  static bool isEntry(const std::string& l) { return !isHeader(l) && l[0] != ';' && l.find('=') != std::string::npos; }
  static std::string entryName(const std::string& l) { return l.substr(0, l.find('=')); }  // the models' names hold no blanks
  static std::string headerName(const std::string& l) { return l.substr(1, l.find(']') - 1); }
  std::pair<std::size_t, std::size_t> range(const std::string& section) const {
    std::size_t i = 0;
    if (!section.empty()) {
      while (i < lines_.size() && !(isHeader(lines_[i]) && !headerName(lines_[i]).empty() &&
                                    platform::foldName(headerName(lines_[i])) == platform::foldName(section)))
        ++i;
      if (i == lines_.size()) return {std::string::npos, std::string::npos};
      ++i;
    }
    std::size_t end = i;
    while (end < lines_.size() && !isHeader(lines_[end])) ++end;
    return {i, end};
  }
  std::optional<std::size_t> entry(const std::string& section, const std::string& name) const {
    const auto [begin, end] = range(section);
    if (begin == std::string::npos) return std::nullopt;
    for (std::size_t i = begin; i < end; ++i)
      if (isEntry(lines_[i]) && platform::foldName(entryName(lines_[i])) == platform::foldName(name)) return i;
    return std::nullopt;
  }
  std::vector<std::string> lines_;
};

TEST(IniEdits, RandomEditsAgreeWithAPlainScanOfTheLines) {
  const std::vector<std::string> sections = {"", "a", "A", "b", "\xC3\x84", "\xC3\xA4"};
  const std::vector<std::string> names = {"x", "X", "y", "\xC3\xB6", "\xC3\x96", "z1", "Z1"};
  std::mt19937 random(11);
  const auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::string before;
    for (int i = 0, n = static_cast<int>(random() % 600); i < n; ++i) {
      const unsigned kind = random() % 150;
      if (kind == 0) before += "[" + pick(sections) + "]\n";
      else if (kind < 10) before += "; note\n";
      else before += pick(names) + "=" + std::to_string(i) + "\n";
    }
    IniDocument doc = IniDocument::parse(before);
    Model model(doc.text());
    for (int i = 0; i < 2500; ++i) {
      const std::string section = pick(sections), name = pick(names);
      const unsigned op = random() % 5;
      if (op < 2) {
        doc.set(section, name, std::to_string(i));
        model.set(section, name, std::to_string(i));
      } else if (op < 4) {
        ASSERT_EQ(doc.erase(section, name), model.erase(section, name)) << i;
      }
      ASSERT_EQ(doc.value(section, name), model.value(section, name)) << i;
      ASSERT_EQ(doc.names(section), model.names(section)) << i;
    }
    EXPECT_EQ(doc.text(), model.text());
  }
}

}  // namespace
