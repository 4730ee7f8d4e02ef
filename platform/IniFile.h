// Initialization files ("Quillbray.ini"): sections in square brackets, one
// "name=value" entry per line.
//
// Reading follows the rules of Windows' profile routines: lines end in CR, LF
// or CR LF; each line is trimmed of blanks and control characters and blank
// lines are dropped; "[ name ]" is the section "name"; an entry splits at its
// first "=", its name trimmed and its value's leading blanks dropped; lines
// without "=" and lines starting with ";" are kept on rewrite but are not
// entries. Sections and entry names match without regard to letter case; the
// first matching entry of the first matching section counts.
//
// Writing: an updated entry stays where it stands with its original spelling,
// a new entry goes at the end of its section, a new section at the end of the
// file; lines are written with CR LF, no blank lines; a UTF-8 byte-order mark
// the file had is kept. Lines that were not changed keep their text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class IniFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A settings file larger than this, or of more lines, is refused, never
// half-read. The line limit bounds the memory a file of very short lines
// takes with its index (some 60 bytes a plain line, 130 an entry, 230 a
// section header, besides long texts).
constexpr std::size_t kMaxIniFileBytes = 64u * 1024 * 1024;
constexpr std::size_t kMaxIniFileLines = 1'000'000;

// The text of a file as lines, with the reading and writing rules above.
//
// Every lookup goes through an index by folded name (platform::foldName,
// computed once per name): one of the sections, one of each section's
// entries. Each keeps the duplicates a hand-edited file may hold, in file
// order, so that the first one still counts after an edit removes the one
// before it. A lookup or an edit costs the same whatever the file's size.
class IniDocument {
 public:
  // Throws IniFileError for a text of more than kMaxIniFileLines lines.
  static IniDocument parse(std::string_view bytes);
  std::string text() const;

  // The raw value text of the first matching entry, or nothing.
  std::optional<std::string> value(std::string_view section, std::string_view name) const;
  // The entry names of the first matching section, in file order.
  std::vector<std::string> names(std::string_view section) const;
  // The names of the sections, the first of each name in file order (a
  // section of no name is not one).
  std::vector<std::string> sectionNames() const;
  void set(std::string_view section, std::string_view name, std::string_view value);
  // Removes the first matching entry; false when there was none.
  bool erase(std::string_view section, std::string_view name);

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  // An erased entry stays in its section's lines, without text, until the
  // section is compacted: positions in the index stay valid meanwhile.
  enum class Kind : std::uint8_t { Section, Entry, Other, Erased };
  // The trimmed line as it is written back; a section's or entry's name and
  // an entry's value are parts of it.
  struct Line {
    Kind kind;
    std::uint32_t nameAt = 0, nameSize = 0, valueAt = 0;
    std::string text;
    std::uint32_t nextSame = kNone;  // an entry: the next one of its section with its folded name
    std::string_view name() const { return std::string_view(text).substr(nameAt, nameSize); }
    std::string_view value() const { return std::string_view(text).substr(valueAt); }
  };
  static Line entry(std::string_view name, std::string_view value);
  // A header and the lines after it, up to the next header.
  struct Section {
    using Index = std::unordered_map<std::string, std::uint32_t>;
    Line header;
    std::vector<Line> lines;
    // By folded name, the first entry of that name; the others follow it
    // through nextSame.
    Index entries;
    std::uint32_t erased = 0;
    void index();
    const Line* find(const std::string& fold) const;
    void erase(Index::iterator at);
    void compact();
  };
  void addSection(Line header, std::string fold);
  // Where the first section of this trimmed name and its folded spelling
  // is; sections_.size() when there is none.
  std::size_t sectionAt(std::string_view section, const std::string& fold) const;
  const Section* find(std::string_view section) const;

  // The lines before the first header are the section "" (whose header is
  // never written); a header of no name is never found.
  std::vector<Section> sections_ = std::vector<Section>(1, Section{Line{Kind::Other, 0, 0, 0, {}}, {}, {}, 0});
  std::unordered_map<std::string, std::uint32_t> sectionIndex_;  // folded name -> its first section
  bool bom_ = false;
};

// One settings file. Reads see this accessor's own changes at once.
//   Linux:   reads come from the file as it was first read, with the
//            changes applied. Changes are kept until flush(), which takes
//            the file's lock, reads it again, applies them and replaces the
//            file at once (a temporary file, synced, renamed over it, the
//            folder synced), so another process's changes in between are
//            kept and a killed writer leaves the old or the new file.
//   Windows: the system's profile routines read the file at each call and
//            write each change at once; flush() has them write out what
//            they cache.
// The destructor flushes and swallows a failure.
class IniFile {
 public:
  virtual ~IniFile() = default;
  virtual const std::string& fileName() const = 0;

  // The entry's text with one pair of matching surrounding quotes ('x' or
  // "x") dropped; nothing when there is no such entry. A file that cannot be
  // read (too large, not a regular file, no permission, a link or file that
  // another user owns or may write) throws IniFileError "Cannot read <file>".
  virtual std::optional<std::string> readString(const std::string& section, const std::string& name) = 0;
  virtual std::vector<std::string> entryNames(const std::string& section) = 0;
  // The sections, as IniDocument::sectionNames; reading fails as readString.
  virtual std::vector<std::string> sectionNames() = 0;

  // Throw IniFileError "Unable to write to <file>", the reason on the next
  // line, when the file or its folder may not be written, the file cannot be
  // read or is not text, or a section or name would not read back as given
  // (or a value holds a line break or zero byte).
  virtual void writeString(const std::string& section, const std::string& name, const std::string& value) = 0;
  // Throws as writeString would for any entry: the refusals of the file
  // itself, known before anything is kept. Changes nothing.
  virtual void checkCanWrite() = 0;
  virtual void deleteEntry(const std::string& section, const std::string& name) = 0;

  // Writes the changes kept so far; nothing to do when there are none.
  // Failing, it throws "Unable to write to <file>" and the reason, and the
  // changes are dropped.
  virtual void flush() = 0;
};

std::unique_ptr<IniFile> openIniFile(const std::string& fileName);

// The text a value is written as. Reading drops blanks, control characters
// and DEL at both ends of a line, then one pair of matching quotes: a value
// with such a character at an end is written inside a pair of double quotes,
// so that it reads back whole. Any other value is written as it is (one that
// comes in a pair of quotes reads back without them, as callers may expect).
std::string iniValueText(const std::string& value);

// Throws IniFileError saying why, when one line of the file cannot hold this
// entry so that it reads back as written: the refusal writeString would meet
// for the entry itself, known before anything is written.
void checkIniEntry(const std::string& section, const std::string& name, const std::string& value);

// Test hooks around the replacement of a file: called with the file's name
// while the lock is held, after the temporary file is synced and before it is
// renamed, and after the rename.
struct IniWriteHooks {
  std::function<void(const std::string&)> beforeRename;
  std::function<void(const std::string&)> afterRename;
};
void setIniWriteHooks(IniWriteHooks hooks);

}  // namespace platform
