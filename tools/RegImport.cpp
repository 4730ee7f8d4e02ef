#include "tools/RegImport.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>

#include "platform/Files.h"
#include "platform/Utf8.h"
#include "tools/RegCodePage.h"
#include "tools/RegFileText.h"
#include "tools/RegKeyName.h"

namespace quillbray {
namespace {

using platform::RegistryValue;

constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kVersion4 = "REGEDIT4";

// windows-1252, for REGEDIT4 text that is not UTF-8 when no code page is given.
const CodePage& ansiDefault() {
  static const CodePage page;
  return page;
}

// The file's bytes as UTF-8 text; the line of any fault is counted in the text
// decoded before it. A REGEDIT4 file is in the ANSI code page of the Windows
// that wrote it: `ansi` when given, else UTF-8 when its bytes are UTF-8, else
// windows-1252. A version 5 file is UTF-16LE with a byte-order mark or UTF-8.
std::string decodeText(std::string_view bytes, const std::string& fileName, const CodePage* ansi) {
  const auto lineAt = [](std::string_view text) { return 1 + std::count(text.begin(), text.end(), '\n'); };
  std::string text;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data()) + 2;
    const std::size_t size = bytes.size() - 2;
    // Decoded piece by piece up to the fault, so the message can name its line.
    std::size_t i = 0;
    for (; i + 1 < size; i += 2) {
      const unsigned u = data[i] | (data[i + 1] << 8);
      std::size_t n = 2;
      if (u >= 0xD800 && u <= 0xDBFF) n = 4;
      if (i + n > size) break;
      try {
        text += utf16leToUtf8(data + i, n);
      } catch (const std::runtime_error& e) {
        throw BadRegFile(fileName + ": line " + std::to_string(lineAt(text)) + ": " + e.what());
      }
      i += n - 2;
    }
    if (i != size)
      throw BadRegFile(fileName + ": line " + std::to_string(lineAt(text)) +
                       ": the file ends in the middle of a UTF-16 character");
  } else if (bytes.substr(0, kVersion4.size()) == kVersion4 && (ansi || !platform::isUtf8(bytes))) {
    const CodePage& page = ansi ? *ansi : ansiDefault();
    try {
      text = page.toUtf8(bytes);
    } catch (const UndecodableText& e) {
      throw BadRegFile(fileName + ": line " + std::to_string(lineAt(bytes.substr(0, e.offset))) + ": " + e.what() +
                       " (give the file's code page with /cp NAME)");
    }
  } else {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    for (std::size_t i = 0; i < bytes.size();) {
      char32_t cp = 0;
      const std::size_t len = platform::decodeUtf8(bytes, i, cp);
      if (len == 0)
        throw BadRegFile(fileName + ": line " + std::to_string(lineAt(bytes.substr(0, i))) +
                         ": not UTF-8 or UTF-16LE text (save the file as UTF-8 or as UTF-16LE with a byte-order mark)");
      i += len;
    }
    text.assign(bytes);
  }
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos)
    throw BadRegFile(fileName + ": line " + std::to_string(lineAt(std::string_view(text).substr(0, nul))) +
                     ": a NUL character: this is not a .reg text file");
  return text;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}
std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A fault of the line in hand; the caller adds the file and the line.
class LineFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses one file's text line by line, handing each change to a sink as it
// is read; nothing of the file is kept but the key in hand, so a file of
// millions of lines costs no more memory than its text.
class Parser {
 public:
  // utf8Keeper names what keeps text as UTF-8, for the message that refuses
  // UTF-16 bytes no UTF-8 text holds; null where text is kept as UTF-16, and
  // such bytes are handed on as they are (RegChange::utf16).
  Parser(const RegChangeSink& sink, const CodePage* ansi, const char* utf8Keeper)
      : sink_(sink), ansi_(ansi), utf8Keeper_(utf8Keeper) {}

  void run(std::string_view text, const std::string& fileName) {
    text_ = text;
    bool header = false;
    std::string_view line;
    while (nextLine(line)) {
      const std::size_t first = lineNo_;
      try {
        line = trimLeft(line);
        if (header) {
          parseLine(line);
          continue;
        }
        if (line == kVersion5) {
          version5_ = true;
        } else if (line != kVersion4) {
          throw LineFault("not a .reg file: the first line must be \"" + std::string(kVersion5) + "\" or \"" +
                          std::string(kVersion4) + "\"");
        }
        header = true;
      } catch (const LineFault& e) {
        throw BadRegFile(fileName + ": line " + std::to_string(first) + ": " + e.what());
      } catch (const platform::RegistryError& e) {
        throw BadRegFile(fileName + ": line " + std::to_string(first) + ": " + e.what());
      }
    }
    if (!header) throw BadRegFile(fileName + ": line 1: not a .reg file: it is empty");
  }

 private:
  // The next line, without its line end and the blanks before it; false
  // after the last.
  bool nextLine(std::string_view& line) {
    if (pos_ > text_.size()) return false;
    std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = trimRight(text_.substr(pos_, end - pos_));
    pos_ = end + 1;
    ++lineNo_;
    return true;
  }

  void parseLine(std::string_view line) {
    // A line of its own may be a ';' or a '#' comment; after a value only ';' starts one.
    if (line.empty() || line[0] == ';' || line[0] == '#') return;
    if (line[0] == '[') return parseKey(line);
    if (!key_) throw LineFault("a value before the first [KEY] line");
    if (deleted_) throw LineFault("a value below a [-KEY] line, which deletes that key");
    RegChange& change = change_;  // reused: its buffers keep their capacity
    change.root = key_->root;
    change.path = key_->path;
    change.name.clear();
    change.utf16 = false;
    std::size_t i = 0;
    if (line[0] == '@') {
      i = 1;
    } else if (line[0] == '"') {
      change.name = quoted(line, i);
    } else {
      throw LineFault("expected [KEY], \"name\"=... or @=...");
    }
    platform::checkValueName(change.name);
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '=') throw LineFault("expected '=' after the value name");
    std::string_view data = trimLeft(line.substr(i + 1));
    // A comment may follow the data; a string's own ';' stays in it.
    if (data.empty() || data[0] != '"') data = trimRight(data.substr(0, data.find(';')));
    if (data == "-") {
      change.kind = RegChange::Kind::DeleteValue;
      change.value = {};
    } else {
      change.kind = RegChange::Kind::SetValue;
      change.value = parseData(data, change.utf16);
    }
    sink_(change);
  }

  void parseKey(std::string_view line) {
    if (line.back() != ']') throw LineFault("the key line is not closed with ']'");
    std::string_view inner = line.substr(1, line.size() - 2);
    deleted_ = !inner.empty() && inner[0] == '-';
    if (deleted_) inner.remove_prefix(1);
    RegKeyName name;
    try {
      name = parseKeyName(std::string(inner));
    } catch (const BadKeyName& e) {
      throw LineFault(e.what());
    }
    platform::splitKeyPath(name.path);  // names and depth within the limits
    if (deleted_ && platform::splitKeyPath(name.path).empty()) throw LineFault("a root cannot be deleted");
    RegChange& change = change_;
    change.kind = deleted_ ? RegChange::Kind::DeleteKey : RegChange::Kind::CreateKey;
    change.root = name.root;
    change.path = name.path;
    change.name.clear();
    change.value = {};
    change.utf16 = false;
    sink_(change);
    key_ = std::move(name);
  }

  // A "..." string from line[i], with the escapes \\ and \", and \r and \n
  // as Wine writes a carriage return and a line feed; i ends after it. A NUL
  // (\0) is refused, as reg.exe refuses it.
  static std::string quoted(std::string_view line, std::size_t& i) {
    std::string out;
    for (++i; i < line.size(); ++i) {
      const char c = line[i];
      if (c == '"') {
        ++i;
        return out;
      }
      if (c != '\\') {
        out += c;
        continue;
      }
      const char e = i + 1 < line.size() ? line[i + 1] : '\0';
      if (e == '\\' || e == '"') out += e;
      else if (e == 'r') out += '\r';
      else if (e == 'n') out += '\n';
      else if (e == '0')
        throw LineFault("a NUL (\\0) in a string: text that holds one is written as hex(1):, hex(2): or hex(7):");
      else throw LineFault("a '\\' in a string that is not \\\\, \\\", \\r or \\n: write a backslash as \\\\");
      ++i;
    }
    throw LineFault("a string without its closing '\"'");
  }

  RegistryValue parseData(std::string_view data, bool& utf16) {
    if (!data.empty() && data[0] == '"') {
      std::size_t i = 0;
      const std::string text = quoted(data, i);
      const std::string_view rest = trimLeft(data.substr(i));
      if (!rest.empty() && rest[0] != ';') throw LineFault("text after the closing '\"'");
      RegistryValue v{platform::REG_SZ, {text.begin(), text.end()}};
      v.data.push_back(0);
      return v;
    }
    if (data.rfind("dword:", 0) == 0) {
      const std::string_view digits = trimLeft(data.substr(6));
      if (digits.empty() || digits.size() > 8)
        throw LineFault("a dword needs 1 to 8 hex digits, not '" + std::string(digits) + "'");
      std::uint32_t n = 0;
      for (char c : digits) {
        if (hexDigit(c) < 0) throw LineFault("bad hex digits in dword:" + std::string(digits));
        n = (n << 4) | static_cast<std::uint32_t>(hexDigit(c));
      }
      return {platform::REG_DWORD, {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                    static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)}};
    }
    if (data.rfind("hex", 0) != 0) throw LineFault("unknown data '" + std::string(data.substr(0, 40)) + "'");
    std::uint32_t type = platform::REG_BINARY;
    std::size_t i = 3;
    if (i < data.size() && data[i] == '(') {
      const std::size_t close = data.find(')', i);
      if (close == std::string_view::npos || close == i + 1 || close - i - 1 > 8)
        throw LineFault("expected hex(N): with N of 1 to 8 hex digits");
      type = 0;
      for (std::size_t k = i + 1; k < close; ++k) {
        if (hexDigit(data[k]) < 0) throw LineFault("bad type number in hex(" + std::string(data.substr(i + 1, close - i - 1)) + ")");
        type = (type << 4) | static_cast<std::uint32_t>(hexDigit(data[k]));
      }
      i = close + 1;
    }
    if (i >= data.size() || data[i] != ':') throw LineFault("expected ':' after hex");
    std::vector<std::uint8_t> bytes = hexBytes(data.substr(i + 1));
    if (type == platform::REG_SZ || type == platform::REG_EXPAND_SZ || type == 7)
      return textValue(type, std::move(bytes), utf16);
    return {type, std::move(bytes)};
  }

  // hex(1), hex(2) and hex(7) data: version 5 files carry text as UTF-16LE,
  // REGEDIT4 files in their ANSI code page, as the file's own text; the hive
  // keeps UTF-8. hex(2) and hex(7) text that does not end with a NUL gets
  // one, as reg.exe adds it; empty data stays empty.
  RegistryValue textValue(std::uint32_t type, std::vector<std::uint8_t> bytes, bool& utf16) {
    const bool terminate = type != platform::REG_SZ;
    std::string text;
    try {
      const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      if (version5_) text = utf16leToUtf8(bytes.data(), bytes.size());
      else if (ansi_) text = ansi_->toUtf8(raw);
      else if (!platform::isUtf8(raw)) text = ansiDefault().toUtf8(raw);
      else text = raw;
    } catch (const std::runtime_error& e) {
      if (!version5_ || utf8Keeper_) {
        if (version5_ && bytes.size() % 2 != 0)
          throw LineFault("hex(" + std::to_string(type) + ") text of an odd number of bytes (" +
                          std::to_string(bytes.size()) + "): " + utf8Keeper_ +
                          " keeps text as UTF-8 and cannot hold half a UTF-16 character");
        throw LineFault("hex(" + std::to_string(type) + ") text: " + e.what());
      }
      // Kept as the file gives it: a NUL ends it when it has whole characters.
      const std::size_t n = bytes.size();
      if (terminate && n >= 2 && n % 2 == 0 && (bytes[n - 2] != 0 || bytes[n - 1] != 0))
        bytes.insert(bytes.end(), {0, 0});
      utf16 = true;
      return {type, std::move(bytes)};
    }
    if (terminate && !text.empty() && text.back() != '\0') text += '\0';
    return {type, {text.begin(), text.end()}};
  }

  // A hex list, "0a,ff", from the value's line on. A '\' after a ',' (or
  // right after the colon) continues it on the next line, and a ';' comment
  // may follow that '\'; blank lines and ';' comment lines before the next
  // part are skipped. The list ends at a line without '\', or with the text.
  std::vector<std::uint8_t> hexBytes(std::string_view part) {
    std::vector<std::uint8_t> out;
    for (bool first = true;; first = false) {
      const bool more = !part.empty() && part.back() == '\\';
      if (more) {
        part = trimRight(part.substr(0, part.size() - 1));
        if (part.empty() ? !first : part.back() != ',')
          throw LineFault("a '\\' continues a hex list only after a ','");
      }
      hexItems(part, out);
      if (!more) return out;
      std::string_view next;
      do {
        if (!nextLine(next)) return out;  // the text ends after the '\'
        next = trimLeft(next);
      } while (next.empty() || next[0] == ';');
      part = trimRight(next.substr(0, next.find(';')));
    }
  }

  // The bytes of one line's part of a list; a ',' may follow its last byte.
  static void hexItems(std::string_view list, std::vector<std::uint8_t>& out) {
    list = trimLeft(list);
    if (list.empty()) return;
    std::size_t i = 0;
    while (true) {
      std::size_t end = list.find(',', i);
      if (end == std::string_view::npos) end = list.size();
      const std::string_view item = trimRight(trimLeft(list.substr(i, end - i)));
      if (item.empty() && end == list.size() && i > 0) return;  // a comma after the last byte
      if (item.empty() || item.size() > 2 || hexDigit(item[0]) < 0 || (item.size() == 2 && hexDigit(item[1]) < 0))
        throw LineFault("bad hex digits '" + std::string(item.substr(0, 20)) + "'");
      out.push_back(static_cast<std::uint8_t>(item.size() == 1 ? hexDigit(item[0])
                                                               : hexDigit(item[0]) * 16 + hexDigit(item[1])));
      if (end == list.size()) return;
      i = end + 1;
    }
  }

  bool version5_ = false;
  bool deleted_ = false;
  std::optional<RegKeyName> key_;
  const RegChangeSink& sink_;
  const CodePage* ansi_;  // a REGEDIT4 file's code page, given with /cp
  const char* utf8Keeper_;
  RegChange change_;
  std::string_view text_;
  std::size_t pos_ = 0;     // where the next line starts
  std::size_t lineNo_ = 0;  // the last line's number
};


// Applies changes in the file's order, all or nothing: every hive they touch
// is opened for writing, and so locked, before the first change, and a hive
// that cannot be written stops the import while nothing has changed. The
// key of the last change stays open for the next, and a value set again at
// once (the same name of the same key) is written only once.
class Applier {
 public:
  Applier(bool user, bool machine) {
    // Any failure drops everything: no replay copy of the writes is needed.
    platform::registry().setAllOrNothing(true);
    try {
      if (user) tops_[0] = platform::registry().openKey(platform::RegistryRoot::CurrentUser, "", platform::KeyAccess::ReadWrite, true);
      if (machine)
        tops_[1] = platform::registry().openKey(platform::RegistryRoot::LocalMachine, "", platform::KeyAccess::ReadWrite, true);
    } catch (const platform::RegistryError& e) {
      discard();
      platform::registry().setAllOrNothing(false);
      throw platform::RegistryError(std::string(e.what()) + "; nothing was imported");
    }
  }
  ~Applier() {
    discard();  // not finished: an error drops every change
    platform::registry().setAllOrNothing(false);
  }
  Applier(const Applier&) = delete;
  Applier& operator=(const Applier&) = delete;

  void apply(const RegChange& c) {
    if (pending_ && c.kind == RegChange::Kind::SetValue && c.root == set_.root && c.path == set_.path &&
        c.name == set_.name) {
      set_.value = c.value;
      return;
    }
    writePending();
    platform::RegistryKey& top = *tops_[slot(c.root)];
    switch (c.kind) {
      case RegChange::Kind::CreateKey:
        keyFor(c, true);
        break;
      case RegChange::Kind::DeleteKey:
        current_.reset();
        parent_.reset();
        top.deleteSubKeyTree(c.path);
        break;
      case RegChange::Kind::SetValue:
        set_ = c;
        pending_ = true;
        break;
      case RegChange::Kind::DeleteValue:
        if (platform::RegistryKey* key = keyFor(c, false)) key->deleteValue(c.name);
        break;
    }
  }

  // Both hives hold their changes uncommitted until here; only a commit that
  // fails after the other hive's has succeeded (a full disk) can split them.
  void finish() {
    writePending();
    current_.reset();
    parent_.reset();
    for (auto& top : tops_)
      if (top) top->close();
    for (auto& top : tops_) top.reset();
  }

 private:
  static int slot(platform::RegistryRoot root) { return root == platform::RegistryRoot::LocalMachine ? 1 : 0; }

  void discard() {
    current_.reset();
    parent_.reset();
    for (auto& top : tops_)
      if (top) top->discard();
    for (auto& top : tops_) top.reset();
  }

  void writePending() {
    if (!pending_) return;
    pending_ = false;
    platform::RegistryKey* key = keyFor(set_, true);
    if (set_.utf16) key->setUtf16Value(set_.name, set_.value.type, set_.value.data);
    else key->setValue(set_.name, set_.value);
  }

  // The change's key, kept open while the changes stay in it; null when it
  // does not exist and create is false.
  // Sibling keys, one after another, are the common shape of a large file:
  // their parent stays open too, so each new key is one step from it.
  platform::RegistryKey* keyFor(const RegChange& c, bool create) {
    if (current_ && c.root == currentRoot_ && c.path == currentPath_) return current_.get();
    const std::size_t cut = c.path.rfind('\\');
    if (cut != std::string::npos && cut > 0 && cut + 1 < c.path.size()) {
      const std::string_view parentPath = std::string_view(c.path).substr(0, cut);
      if (!parent_ || c.root != parentRoot_ || parentPath != parentPath_) {
        parent_ = tops_[slot(c.root)]->openFromRoot(parentPath, create);
        parentRoot_ = c.root;
        parentPath_ = parentPath;
      }
      current_ = parent_ ? parent_->openSubKey(std::string_view(c.path).substr(cut + 1), create) : nullptr;
      if (!parent_) parentPath_.clear();
    } else {
      current_ = tops_[slot(c.root)]->openFromRoot(c.path, create);
    }
    currentRoot_ = c.root;
    currentPath_ = c.path;
    return current_.get();
  }

  std::unique_ptr<platform::RegistryKey> tops_[2];
  std::unique_ptr<platform::RegistryKey> current_, parent_;
  platform::RegistryRoot parentRoot_ = platform::RegistryRoot::CurrentUser;
  std::string parentPath_;
  platform::RegistryRoot currentRoot_ = platform::RegistryRoot::CurrentUser;
  std::string currentPath_;
  RegChange set_;  // a value to set, held back in case the next change sets it again
  bool pending_ = false;
};

// The hives a list of changes touches.
struct Touched {
  bool user = false, machine = false;
  void note(const RegChange& c) { (c.root == platform::RegistryRoot::LocalMachine ? machine : user) = true; }
};

}  // namespace

std::vector<RegChange> parseRegText(std::string_view bytes, const std::string& fileName, const CodePage* ansi,
                                    const char* utf8Keeper) {
  std::vector<RegChange> changes;
  const RegChangeSink sink = [&](const RegChange& c) { changes.push_back(c); };
  Parser(sink, ansi, utf8Keeper).run(decodeText(bytes, fileName, ansi), fileName);
  return changes;
}

void importRegFile(const std::string& fileName, const CodePage* ansi) {
  std::string text;
  {
    const std::string bytes = readRegBytes(fileName);
    text = decodeText(bytes, fileName, ansi);
  }
  // Read twice: once to find every fault and every hive the file touches,
  // with nothing kept; then again, applying each change as it is read. The
  // text is the same, so the second reading finds no fault; if it did, the
  // Applier would drop every change.
  const char* utf8Keeper = platform::registry().keepsUtf16Text() ? nullptr : "the hive";
  Touched touched;
  const RegChangeSink note = [&](const RegChange& c) { touched.note(c); };
  Parser(note, ansi, utf8Keeper).run(text, fileName);
  Applier applier(touched.user, touched.machine);
  const RegChangeSink apply = [&](const RegChange& c) { applier.apply(c); };
  Parser(apply, ansi, utf8Keeper).run(text, fileName);
  applier.finish();
}

std::string readRegBytes(const std::string& fileName) {
  // The name is UTF-8 on every system (a narrow path is the ANSI code page on Windows).
  const std::filesystem::path path(std::u8string(fileName.begin(), fileName.end()));
  std::error_code error;
  if (std::filesystem::is_regular_file(path, error)) {
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxRegFileSize)
      throw BadRegFile("'" + fileName + "' is " + std::to_string(size) + " bytes; a .reg file may hold at most " +
                       std::to_string(kMaxRegFileSize) + " bytes");
  }
  try {
    // A folder, a pipe or a device is named as such and never read from (a
    // pipe without a writer would wait forever).
    return platform::readRegularFile(fileName, kMaxRegFileSize);
  } catch (const platform::FileError& e) {
    throw BadRegFile(e.what());
  }
}

std::vector<RegChange> readRegFile(const std::string& fileName, const char* utf8Keeper) {
  return parseRegText(readRegBytes(fileName), fileName, nullptr, utf8Keeper);
}

void applyRegChanges(const std::vector<RegChange>& changes) {
  Touched touched;
  for (const RegChange& c : changes) touched.note(c);
  if (!touched.user && !touched.machine) return;
  Applier applier(touched.user, touched.machine);
  for (const RegChange& c : changes) applier.apply(c);
  applier.finish();
}

}  // namespace quillbray
