#include "tools/RegFileText.h"

#include <stdexcept>

#include "platform/Utf8.h"

namespace quillbray {

std::vector<std::uint8_t> utf8ToUtf16le(std::string_view text) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() * 2);
  auto put = [&](char32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = platform::decodeUtf8(text, i, cp);
    if (len == 0) {
      put(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += len;
  }
  return out;
}

std::string regFileBytes(std::string_view utf8) {
  std::string withCrLf;
  withCrLf.reserve(utf8.size() + utf8.size() / 16);
  for (char c : utf8) {
    if (c == '\n') withCrLf += '\r';
    withCrLf += c;
  }
  const std::vector<std::uint8_t> units = utf8ToUtf16le(withCrLf);
  std::string out = "\xFF\xFE";
  out.append(units.begin(), units.end());
  return out;
}

std::string utf16leToUtf8(const std::uint8_t* data, std::size_t size) {
  if (size % 2 != 0) throw std::runtime_error("UTF-16 text of an odd number of bytes");
  std::string out;
  out.reserve(size / 2);
  for (std::size_t i = 0; i < size; i += 2) {
    char32_t u = data[i] | (data[i + 1] << 8);
    if (u >= 0xD800 && u <= 0xDBFF) {
      char32_t low = i + 3 < size ? (data[i + 2] | (data[i + 3] << 8)) : 0;
      if (low < 0xDC00 || low > 0xDFFF) throw std::runtime_error("UTF-16 text with a lone surrogate");
      u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      throw std::runtime_error("UTF-16 text with a lone surrogate");
    }
    platform::encodeUtf8(u, out);
  }
  return out;
}

}  // namespace quillbray
