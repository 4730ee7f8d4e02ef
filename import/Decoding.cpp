#include "import/Decoding.h"

#include <algorithm>
#include <utility>

#include "platform/Utf8.h"

namespace quillbray {

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  // An empty text is found everywhere and would never be passed: nothing to replace.
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t pos; (pos = text.find(from, start)) != std::string_view::npos; start = pos + from.size()) {
    out.append(text.substr(start, pos - start));
    out.append(to);
  }
  out.append(text.substr(start));
  return out;
}

namespace {

using Step = std::pair<std::string_view, std::string_view>;

template <std::size_t N>
std::string applySteps(std::string_view input, const Step (&steps)[N]) {
  std::string text(input);
  for (const auto& [from, to] : steps) {
    if (from.size() == 1 && to.size() == 1) {
      std::replace(text.begin(), text.end(), from[0], to[0]);  // same length: in place
    } else if (text.find(from) != std::string::npos) {
      text = ReplaceAll(text, from, to);
    }
  }
  return text;
}

constexpr Step kNameSteps[] = {
    {"_0x5B_", "["},
    {"_0x5D_", "]"},
    {"_0x24_", "$"},
    {"_", " "},
};

constexpr Step kTextSteps[] = {
    {"_0x5B_", "["},
    {"_0x5D_", "]"},
    {"&#34;", "\""},
    {"&pos;", "'"},
    {"&amp;", "&"},
    {"$lt;", "<"},
    {"$gt;", ">"},
    {"&#36;", "$"},
    {"_", " "},
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

// Every step of both encodings starts with one of these: text without any
// of them decodes to itself (most names and texts).
constexpr std::string_view kNameStepStarts = "_";
constexpr std::string_view kTextStepStarts = "_&$";

std::string DecodeName(std::string_view name) {
  if (name.find_first_of(kNameStepStarts) == std::string_view::npos) return std::string(name);
  return applySteps(name, kNameSteps);
}

std::string DecodeText(std::string_view text) {
  if (text.find_first_of(kTextStepStarts) == std::string_view::npos) return std::string(text);
  return applySteps(text, kTextSteps);
}

namespace {

// The integer a text reads as, or why it reads as none.
struct IntegerReading {
  std::int32_t value = 0;
  IntegerFault fault = IntegerFault::None;
  std::size_t at = 0;  // where the fault is: the first character that is no digit
};

IntegerReading readInteger(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return {0, IntegerFault::NoDigits, i};

  std::uint64_t value = 0;
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : negative ? 0x80000000ull : 0x7FFFFFFFull;
  for (; i < s.size(); ++i) {
    const int digit = hex ? hexValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (digit < 0) {
      const bool trailingBlanks = s.find_first_not_of(" \t\r\n", i) == std::string_view::npos;
      return {0, trailingBlanks ? IntegerFault::TrailingBlank : IntegerFault::OtherCharacter, i};
    }
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (value > limit) return {0, IntegerFault::OutOfRange, i};
  }
  auto bits = static_cast<std::uint32_t>(value);
  if (negative) bits = 0u - bits;  // wraps as the product's 32-bit arithmetic does
  return {static_cast<std::int32_t>(bits), IntegerFault::None, i};
}

}  // namespace

std::int32_t ReadIntegerText(std::string_view s) { return readInteger(s).value; }

IntegerFault IntegerTextFault(std::string_view s, std::size_t* at) {
  const IntegerReading r = readInteger(s);
  if (at) *at = r.at;
  return r.fault;
}

std::size_t BinaryByteCount(std::string_view text) {
  // A character is counted once whatever its length in UTF-8: the lead byte
  // counts, continuation bytes do not (a stray one counts as a character of its own).
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    const std::size_t len = platform::decodeUtf8(text, i, cp);
    i += len ? len : 1;
    ++characters;
  }
  return characters / 2;
}

std::size_t HexDigitCount(std::string_view text) {
  std::size_t digits = 0;
  for (char c : text)
    if (hexValue(c) >= 0) ++digits;
  return digits;
}

bool HexDigitsMake(std::string_view text, std::size_t n) { return HexDigitCount(text) / 2 == n; }

bool HexToBytes(std::string_view text, std::span<std::uint8_t> buffer, std::size_t n) {
  if (!HexDigitsMake(text, n) || buffer.size() < n) return false;
  std::string digits;
  digits.reserve(2 * n);
  for (char c : text)
    if (hexValue(c) >= 0) digits += c;
  for (std::size_t k = 0; k < n; ++k)
    buffer[k] = static_cast<std::uint8_t>(hexValue(digits[2 * k]) << 4 | hexValue(digits[2 * k + 1]));
  return true;
}

}  // namespace quillbray
