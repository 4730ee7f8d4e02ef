// The stored form of a font's style set.
#include "settings/ConfigManager.h"

namespace quillbray {

// Underline is 2 and italic 4: not the order of TFontStyle.
std::int32_t fontStyleToInt(TFontStyles style) {
  std::int32_t n = 0;
  if (style.contains(fsBold)) n |= 1;
  if (style.contains(fsUnderline)) n |= 2;
  if (style.contains(fsItalic)) n |= 4;
  if (style.contains(fsStrikeOut)) n |= 8;
  return n;
}

}  // namespace quillbray
