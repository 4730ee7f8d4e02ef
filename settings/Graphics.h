// The user-interface toolkit's colour and font records, as the catalogue
// keeps them. The program draws nothing; these only carry stored values.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace quillbray {

// A colour in the toolkit's encoding: red in the low byte, then green, then
// blue. A top byte of 0xFF names a system colour by the index in the low byte.
using TColor = std::int32_t;

// The system colour of window text (index 8).
inline constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);

enum TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles. Its bits are private on purpose: the stored style
// number has an order of its own (underline 2, italic 4).
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (const TFontStyle s : styles) include(s);
  }
  constexpr bool contains(TFontStyle s) const { return (bits_ & bit(s)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr void include(TFontStyle s) { bits_ = static_cast<std::uint8_t>(bits_ | bit(s)); }
  constexpr void exclude(TFontStyle s) { bits_ = static_cast<std::uint8_t>(bits_ & ~bit(s)); }
  constexpr bool operator==(const TFontStyles&) const = default;

 private:
  static constexpr std::uint8_t bit(TFontStyle s) { return static_cast<std::uint8_t>(1u << s); }
  std::uint8_t bits_ = 0;
};

// A font's four attributes. A new font has the toolkit's defaults; "Sans" is
// the generic family every Linux font set resolves.
struct TFont {
  std::string Name = "Sans";
  int Size = 10;  // points
  TColor Color = clWindowText;
  TFontStyles Style;
};

}  // namespace quillbray
