#include "import/MarkupScan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "import/ConfigDocument.h"

namespace quillbray {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Walks markup the way the parser will, closely enough to count it: tags and
// their quoted attribute values, comments, CDATA sections, processing
// instructions and the document type's internal subset. Text is skipped; an
// error in the markup is left for the parser to report.
class Scanner {
 public:
  Scanner(std::string_view text, const ConfigLimits& limits) : t_(text), limits_(limits) {}

  void scan() {
    while (i_ < t_.size()) {
      i_ = t_.find_first_of("<&", i_);
      if (i_ == std::string_view::npos) return;
      if (t_[i_] == '&') {
        reference(i_ + 1);
      } else if (at("<!--")) {
        item(), skipPast("-->");
      } else if (at("<![CDATA[")) {
        item(), skipPast("]]>");
      } else if (at("<?")) {
        item(), skipPast("?>");
      } else if (at("<!DOCTYPE")) {
        item(), doctype();
      } else if (at("</")) {
        skipPast(">");
      } else if (at("<!")) {
        item(), skipPast(">");
      } else {
        startTag();
      }
    }
  }

 private:
  bool at(std::string_view s) const { return t_.substr(i_, s.size()) == s; }
  void skipPast(std::string_view end) {
    const std::size_t p = t_.find(end, i_ + 1);
    i_ = p == std::string_view::npos ? t_.size() : p + end.size();
  }
  // Moves past a quoted literal starting at i_, counting references in it
  // when `references` (an attribute value's are expanded, a system
  // identifier's are not).
  void skipQuoted(bool references) {
    const std::size_t end = std::min(t_.find(t_[i_], i_ + 1), t_.size());
    const std::string_view literal = t_.substr(i_ + 1, end - i_ - 1);
    if (references)
      for (std::size_t p = literal.find('&'); p != std::string_view::npos; p = literal.find('&', p + 1))
        reference(i_ + 1 + p + 1);
    i_ = end == t_.size() ? end : end + 1;
  }

  void item() {
    if (++items_ > limits_.maxElements)
      throw ImportError("the file has more than " + GroupedNumber(limits_.maxElements) +
                        " elements (comments, processing instructions and declarations counted with them); at most " +
                        GroupedNumber(limits_.maxElements) + " are read");
  }

  // A reference whose name starts at `from` ("&#..." is a character and is
  // not counted, nor are the five predefined entities).
  void reference(std::size_t from) {
    std::size_t end = from;
    while (end < t_.size() && t_[end] != ';' && !isBlank(t_[end]) && t_[end] != '<' && t_[end] != '&' &&
           t_[end] != '"' && t_[end] != '\'' && t_[end] != '>')
      ++end;
    if (i_ < end && t_[i_] == '&') i_ = end;  // in text, go on after the name
    if (end >= t_.size() || t_[end] != ';' || end == from || t_[from] == '#') return;
    static constexpr std::array<std::string_view, 5> kPredefined = {"lt", "gt", "amp", "apos", "quot"};
    const std::string_view name = t_.substr(from, end - from);
    if (std::find(kPredefined.begin(), kPredefined.end(), name) != kPredefined.end()) return;
    if (++references_ > limits_.maxEntityReferences)
      throw ImportError("the file has more than " + GroupedNumber(limits_.maxEntityReferences) +
                        " entity references; at most " + GroupedNumber(limits_.maxEntityReferences) + " are read");
  }

  void startTag() {
    item();
    ++i_;
    while (i_ < t_.size() && !isBlank(t_[i_]) && t_[i_] != '>' && t_[i_] != '/' && t_[i_] != '<') ++i_;
    std::size_t attributes = 0;
    while (i_ < t_.size()) {
      while (i_ < t_.size() && isBlank(t_[i_])) ++i_;
      if (i_ >= t_.size() || t_[i_] == '<') return;
      if (t_[i_] == '>') {
        ++i_;
        return;
      }
      if (t_[i_] == '/') {
        ++i_;
        continue;
      }
      const std::size_t name = i_;
      while (i_ < t_.size() && !isBlank(t_[i_]) && t_[i_] != '=' && t_[i_] != '>' && t_[i_] != '/' && t_[i_] != '<')
        ++i_;
      const std::string_view attributeName = t_.substr(name, i_ - name);
      while (i_ < t_.size() && isBlank(t_[i_])) ++i_;
      if (i_ >= t_.size() || t_[i_] != '=') continue;
      attribute(++attributes);
      if (attributeName == "xmlns" || startsWith(attributeName, "xmlns:")) namespaceDeclaration();
      ++i_;
      while (i_ < t_.size() && isBlank(t_[i_])) ++i_;
      if (i_ < t_.size() && (t_[i_] == '"' || t_[i_] == '\'')) skipQuoted(true);
    }
  }

  void attribute(std::size_t ofThisElement) {
    if (ofThisElement > limits_.maxAttributesPerElement) {
      const auto line = 1 + std::count(t_.begin(), t_.begin() + static_cast<std::ptrdiff_t>(i_), '\n');
      throw ImportError("line " + std::to_string(line) + ": an element has more than " +
                        GroupedNumber(limits_.maxAttributesPerElement) + " attributes; at most " +
                        GroupedNumber(limits_.maxAttributesPerElement) + " are read");
    }
    if (++attributes_ > limits_.maxAttributes)
      throw ImportError("the file has more than " + GroupedNumber(limits_.maxAttributes) + " attributes; at most " +
                        GroupedNumber(limits_.maxAttributes) + " are read");
  }

  void namespaceDeclaration() {
    if (++namespaces_ > limits_.maxNamespaceDeclarations)
      throw ImportError("the file declares more than " + GroupedNumber(limits_.maxNamespaceDeclarations) +
                        " namespaces; at most " + GroupedNumber(limits_.maxNamespaceDeclarations) + " are read");
  }

  // From "<!DOCTYPE" to its closing '>', through the internal subset.
  void doctype() {
    i_ += 9;
    while (i_ < t_.size()) {
      const char c = t_[i_];
      if (c == '"' || c == '\'') {
        skipQuoted(false);
      } else if (c == '>') {
        ++i_;
        return;
      } else if (c == '[') {
        ++i_;
        internalSubset();
      } else {
        ++i_;
      }
    }
  }

  // Declarations count as items; a parameter-entity reference between them
  // counts as a reference. An entity's text is weighed when it is declared.
  void internalSubset() {
    while (i_ < t_.size()) {
      if (t_[i_] == ']') {
        ++i_;
        return;
      }
      if (t_[i_] == '%') {
        reference(i_ + 1);
        ++i_;
      } else if (at("<!--")) {
        skipPast("-->");
      } else if (at("<?")) {
        skipPast("?>");
      } else if (at("<!")) {
        item();
        for (i_ += 2; i_ < t_.size() && t_[i_] != '>';)
          if (t_[i_] == '"' || t_[i_] == '\'') skipQuoted(false);
          else ++i_;
        if (i_ < t_.size()) ++i_;
      } else {
        ++i_;
      }
    }
  }

  std::string_view t_;
  const ConfigLimits& limits_;
  std::size_t i_ = 0;
  std::size_t items_ = 0;
  std::size_t attributes_ = 0;
  std::size_t references_ = 0;
  std::size_t namespaces_ = 0;
};

// How the file's characters are stored.
struct Layout {
  unsigned width = 1;  // bytes per code unit
  bool bigEndian = false;
  std::size_t skip = 0;  // a byte order mark
};

Layout layoutOf(std::string_view f) {
  using namespace std::string_view_literals;
  if (startsWith(f, "\x00\x00\x00\x3C"sv)) return {4, true, 0};
  if (startsWith(f, "\x3C\x00\x00\x00"sv)) return {4, false, 0};
  if (startsWith(f, "\x00\x00\x3C\x00"sv) || startsWith(f, "\x00\x3C\x00\x00"sv) || startsWith(f, "\x4C\x6F\xA7\x94"sv))
    throw ImportError("the file's encoding is not supported");
  if (startsWith(f, "\xFE\xFF"sv)) return {2, true, 2};
  if (startsWith(f, "\xFF\xFE"sv)) return {2, false, 2};
  if (startsWith(f, "\x00\x3C\x00\x3F"sv)) return {2, true, 0};
  if (startsWith(f, "\x3C\x00\x3F\x00"sv)) return {2, false, 0};
  if (startsWith(f, "\xEF\xBB\xBF"sv)) return {1, false, 3};
  return {};
}

// A copy in one byte per code unit: ASCII stays, everything else becomes
// 0x80, which is never markup.
std::string narrowed(std::string_view f, const Layout& layout) {
  std::string out;
  out.reserve(f.size() / layout.width);
  for (std::size_t i = layout.skip; i + layout.width <= f.size(); i += layout.width) {
    std::uint32_t unit = 0;
    for (unsigned b = 0; b < layout.width; ++b) {
      const auto byte = static_cast<unsigned char>(f[i + (layout.bigEndian ? b : layout.width - 1 - b)]);
      unit = unit << 8 | byte;
    }
    out += unit < 0x80 ? static_cast<char>(unit) : '\x80';
  }
  return out;
}

// The encoding the XML declaration names, if any.
std::string declaredEncoding(std::string_view text) {
  if (!startsWith(text, "<?xml")) return {};
  const std::string_view decl = text.substr(0, text.find("?>"));
  std::size_t p = decl.find("encoding");
  if (p == std::string_view::npos) return {};
  p = decl.find_first_of("\"'", p);
  if (p == std::string_view::npos) return {};
  const std::size_t end = decl.find(decl[p], p + 1);
  return std::string(decl.substr(p + 1, end == std::string_view::npos ? 0 : end - p - 1));
}

// Encodings in which every character below 0x80 is its ASCII byte and no other
// character uses those bytes, so that the markup reads as it will be parsed.
// (UTF-7, ISO-2022 and EBCDIC can hide markup from such a reading.)
bool asciiCompatible(const std::string& name) {
  std::string key;
  for (const char c : name)
    if (c != '-' && c != '_' && c != ' ') key += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  static constexpr std::array<std::string_view, 33> kFamilies = {
      "UTF8",    "USASCII", "ASCII",  "ISO8859", "ISOLATIN", "LATIN",   "WINDOWS", "CP125",    "CP874",
      "CP932",   "CP936",   "CP949",  "CP950",   "CP437",    "CP850",   "CP852",   "CP866",    "KOI8",
      "SHIFTJIS", "SJIS",   "MSKANJI", "EUC",    "GB2312",   "GBK",     "GB18030", "BIG5",     "TIS620",
      "MAC",     "UTF16",   "UCS2",   "UTF32",   "UCS4",     "UNICODE"};
  return std::any_of(kFamilies.begin(), kFamilies.end(), [&](std::string_view f) { return startsWith(key, f); });
}

}  // namespace

void CheckMarkup(std::string_view file, const ConfigLimits& limits) {
  const Layout layout = layoutOf(file);
  if (layout.width == 1) {
    const std::string_view text = file.substr(layout.skip);
    if (const std::string encoding = declaredEncoding(text); !encoding.empty() && !asciiCompatible(encoding))
      throw ImportError("the file's encoding '" + encoding + "' is not supported");
    Scanner(text, limits).scan();
  } else {
    const std::string text = narrowed(file, layout);
    Scanner(text, limits).scan();
  }
}

void CheckMarkupText(std::string_view utf8, const ConfigLimits& limits) { Scanner(utf8, limits).scan(); }

}  // namespace quillbray
