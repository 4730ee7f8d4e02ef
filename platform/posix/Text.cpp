// Case mapping through the C.UTF-8 locale's tables, independent of the
// process locale.
#include "platform/Text.h"

#include "platform/Utf8.h"

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
    const std::size_t len = decodeUtf8(s, i, cp);
    if (len == 0) {
      out += s[i++];
      continue;
    }
    encodeUtf8(static_cast<char32_t>(map(static_cast<wint_t>(cp))), out);
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
