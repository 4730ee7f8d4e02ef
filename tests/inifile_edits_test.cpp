// Lookups of the settings file after edits: which of several duplicate
// sections or entries a read finds and a write changes, names that differ
// in letter case, sections emptied and written again, many deletions in one
// section. Each sequence is checked in memory and against the text it
// leaves (read again from scratch); random edits are compared with a plain
// scan of the lines.
#include <random>

#include "IniEditSequences.h"
#include "platform/Text.h"

namespace {

using namespace qbtest;
using namespace qbtest::iniedits;
using platform::IniDocument;

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
