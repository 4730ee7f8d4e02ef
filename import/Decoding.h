// The name, text, integer and binary encodings of configuration files.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quillbray {

// Every occurrence of `from`, left to right, replaced by `to`; inserted text
// is not looked at again. An empty `from` leaves the text as it is.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// Undoes the name encoding, step by step, each step replacing every
// occurrence left to right:
//   "_0x5B_" -> "["   "_0x5D_" -> "]"   "_0x24_" -> "$"   "_" -> " "
// so "My_Value_0x5B_2_0x5D_" is "My Value[2]".
std::string DecodeName(std::string_view name);

// Undoes the text encoding, in this order:
//   "_0x5B_" -> "["   "_0x5D_" -> "]"   "&#34;" -> "\""   "&pos;" -> "'"
//   "&amp;" -> "&"    "$lt;" -> "<"     "$gt;" -> ">"     "&#36;" -> "$"
//   "_" -> " "
std::string DecodeText(std::string_view text);

// Reads an integer the way the product writes one: leading blanks, a sign,
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X" (at
// most 32 bits, so "$FFFFFFFF" is -1). Empty text, any other character
// (trailing blanks too) or a decimal number outside 32 bits gives 0.
std::int32_t ReadIntegerText(std::string_view text);

// Why a text reads as no integer (ReadIntegerText then gives 0), or None.
enum class IntegerFault {
  None,
  NoDigits,        // "", "  ", "-", "$"
  TrailingBlank,   // "30 "
  OtherCharacter,  // "true", "3.5", "12abc"
  OutOfRange,      // "4294967296", "-2147483649"
};
// `at`, when given, receives where the fault lies: the first character that
// is no digit, or the digit that left the range.
IntegerFault IntegerTextFault(std::string_view text, std::size_t* at = nullptr);

// The byte count a binary text gives (blanks already removed): half its
// number of characters, rounded down. Characters, not bytes of UTF-8:
//   "0A1B" => 2    "0A1Bé" (5 characters) => 2    "0A1" => 1
std::size_t BinaryByteCount(std::string_view text);

// The number of hexadecimal digits in text.
std::size_t HexDigitCount(std::string_view text);

// The count test: whether the hexadecimal digits of text, halved and rounded
// down, make exactly n bytes ("0A,1B" makes 2; "0A,1B,2C" does not make 4).
bool HexDigitsMake(std::string_view text, std::size_t n);

// Fills buffer with the n bytes that the hexadecimal digits of text spell
// (first digit high; other characters are passed over). False, and the buffer
// untouched, when the digits do not make exactly n bytes (an odd last digit is
// ignored). buffer must hold n bytes.
bool HexToBytes(std::string_view text, std::span<std::uint8_t> buffer, std::size_t n);

}  // namespace quillbray
