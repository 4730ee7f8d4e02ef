// UTF-8 decoding and encoding of single characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Decodes the character at s[i]; answers its length in bytes, or 0 when the
// bytes there are not valid UTF-8 (overlong forms and surrogates included).
inline std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
  if (len == 0 || i + len > s.size()) return 0;
  cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  for (std::size_t k = 1; k < len; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Whether all of text is valid UTF-8.
inline bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(text, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

inline void encodeUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Text for a line on a terminal: control characters, DEL and bytes that are
// not UTF-8 shown as \xNN, so that what a file holds cannot forge lines or
// move the cursor.
inline std::string printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(text, i, cp);
    if (len == 0 || cp < 0x20 || cp == 0x7F) {
      const auto byte = static_cast<unsigned char>(text[i]);
      ((out += "\\x") += kHex[byte >> 4]) += kHex[byte & 15];
      ++i;
    } else {
      out.append(text.substr(i, len));
      i += len;
    }
  }
  return out;
}

// printable(text) in double quotes, for a message that names a value.
inline std::string quotedPrintable(std::string_view text) {
  std::string out(1, '"');
  out += printable(text);
  out += '"';
  return out;
}

}  // namespace platform
