// Case mapping through the C.UTF-8 locale's tables, independent of the
// process locale.
#include "platform/Text.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

namespace platform {
namespace {

locale_t utf8Locale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
  }();
  return loc;
}

// Decodes one UTF-8 sequence at s[i]; answers its length, or 0 when invalid.
std::size_t decode(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
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

void encode(char32_t cp, std::string& out) {
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

template <typename Map>
std::string mapLetters(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {  // the common case, without the locale call
      out += static_cast<char>(map(c));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = decode(s, i, cp);
    if (len == 0) {
      out += s[i++];
      continue;
    }
    encode(static_cast<char32_t>(map(static_cast<wint_t>(cp))), out);
    i += len;
  }
  return out;
}

}  // namespace

std::string upperCase(std::string_view utf8) {
  return mapLetters(utf8, [](wint_t c) {
    return c < 0x80 ? static_cast<wint_t>(c >= 'a' && c <= 'z' ? c - 32 : c)
                    : towupper_l(c, utf8Locale());
  });
}

std::string lowerCase(std::string_view utf8) {
  return mapLetters(utf8, [](wint_t c) {
    return c < 0x80 ? static_cast<wint_t>(c >= 'A' && c <= 'Z' ? c + 32 : c)
                    : towlower_l(c, utf8Locale());
  });
}

}  // namespace platform
