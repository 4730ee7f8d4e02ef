// Names that Windows gives its own code pages where iconv reads another
// encoding under the same name.
#pragma once

#include <string_view>

namespace platform {

// Windows writes code page 932 and labels it Shift_JIS; iconv's SHIFT_JIS is
// JIS X 0201, which reads 0x5C as a yen sign and 0x7E as an overline, so
// "C:\Users" would read as "C:¥Users". iconv's CP932 reads it as Windows does.
inline constexpr std::string_view kCp932 = "CP932";
inline constexpr std::string_view kCp932Names[] = {"Shift_JIS", "Shift-JIS", "SJIS", "MS_Kanji", "csShiftJIS", "x-sjis"};

}  // namespace platform
