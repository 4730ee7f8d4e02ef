// The product's tables of date and time pictures, and two short lists of
// command names. Nothing in this program reads them; they are carried as
// constants with their exact contents.
//
// Each table entry is one string: the picture padded with blanks to column 16,
// then what it shows for Monday 19 March 20## at 15:04:23 (the year's last two
// digits are written "##"):
//   "MM/DD/YY        03/19/##"
//   "hh:mm:ss am     03:04:23 am"
#pragma once

#include <array>
#include <cstddef>

namespace quillbray {

// Where the example starts in an entry.
inline constexpr std::size_t kFormatPictureColumn = 16;

extern const std::array<const char*, 55> DateFormats;
extern const std::array<const char*, 26> TimeFormats;

extern const std::array<const char*, 6> CommandNames;
extern const std::array<const char*, 2> ShortCommandNames;

}  // namespace quillbray
