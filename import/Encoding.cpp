// The writing side of the name and text encodings.
#include "import/Encoding.h"

#include "import/Decoding.h"
#include "platform/Utf8.h"

namespace quillbray {
namespace {

bool isNameStartChar(char32_t c) {
  return (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
         (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
         (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c) {
  return isNameStartChar(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string EncodeName(std::string_view name) {
  std::string out = ReplaceAll(name, "[", "_0x5B_");
  out = ReplaceAll(out, "]", "_0x5D_");
  out = ReplaceAll(out, "$", "_0x24_");
  return ReplaceAll(out, " ", "_");
}

std::string EncodeText(std::string_view text) {
  // "&" first, so that the ampersands of later steps are not escaped again.
  std::string out = ReplaceAll(text, "&", "&amp;");
  out = ReplaceAll(out, "$", "&#36;");
  out = ReplaceAll(out, "\"", "&#34;");
  out = ReplaceAll(out, "'", "&pos;");
  out = ReplaceAll(out, "<", "$lt;");
  out = ReplaceAll(out, ">", "$gt;");
  out = ReplaceAll(out, "[", "_0x5B_");
  out = ReplaceAll(out, "]", "_0x5D_");
  return ReplaceAll(out, " ", "_");
}

bool IsXmlElementName(std::string_view utf8) {
  if (utf8.empty()) return false;
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t len = platform::decodeUtf8(utf8, i, c);
    if (len == 0) return false;
    if (i == 0 ? !isNameStartChar(c) : !isNameChar(c)) return false;
    i += len;
  }
  return true;
}

std::size_t FirstUnwritableCharacter(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    const std::size_t len = platform::decodeUtf8(utf8, i, c);
    if (len == 0 || !isXmlChar(c)) return i;
    i += len;
  }
  return std::string_view::npos;
}

std::string EscapeXmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '\t': out += "&#9;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace quillbray
