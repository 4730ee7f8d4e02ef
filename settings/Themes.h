// The product's five visual themes and the names they are stored under.
#pragma once

#include <array>
#include <cstddef>

namespace quillbray {

inline constexpr std::size_t kThemeCount = 5;

// One value per theme, indexed by theme number.
template <class T>
using TPerTheme = std::array<T, kThemeCount>;

// The theme part of every per-theme value name ("Theme Blue Gradient ..."),
// by theme number.
inline constexpr TPerTheme<const char*> ThemeNames = {"Custom", "Blue Gradient", "Retro", "Flat", "Current"};

// Display names of the themes. Nothing in this program shows them; the
// product declares a second four-entry table identical to the last one,
// which is not repeated here.
inline constexpr TPerTheme<const char*> ThemeDisplayNames = {"Custom", "Blue Gradient", "Retro", "Flat", "Current"};
inline constexpr std::array<const char*, 4> PresetThemeDisplayNames = {"Blue Gradient", "Retro", "Flat", "Current"};

}  // namespace quillbray
