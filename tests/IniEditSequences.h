// Sequences of edits of a settings file and what reads back after each
// step, shared by the tests of the document and of the Linux writer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/IniFile.h"

namespace qbtest::iniedits {

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

inline std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const auto& n : names) out += (out.empty() ? "" : ",") + n;
  return out;
}

inline Step set(std::string section, std::string name, std::string value) { return {Op::Set, section, name, value}; }
inline Step erase(std::string section, std::string name) { return {Op::Erase, section, name}; }
inline Step eraseNothing(std::string section, std::string name) { return {Op::EraseNothing, section, name}; }
inline Step read(std::string section, std::string name, std::optional<std::string> v) { return {Op::Read, section, name, v}; }
inline Step names(std::string section, std::string list) { return {Op::Names, section, "", list}; }

// A section of n entries "k<i>=<i>", a comment, n duplicates "K<i>=dup<i>"
// and third ones of two names; the first entries and some duplicates are
// deleted, more than half of the section's lines, while names still have
// duplicates after them.
inline Sequence manyDeletions() {
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

inline std::vector<Sequence> sequences() {
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
        // Dž and dž fold to DŽ; Wine's invariant upper case keeps the
        // title-case Dž as it is, so there they are two names.
        read("\xC3\x84pfel", "\xC7\x86", kOnWindows ? std::nullopt : std::optional<std::string>("3")),
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

}  // namespace qbtest::iniedits
