// The Appearance group, written in two openings of its key: saveAppearance's
// 21 values, then saveThemes' 45 per-theme values.
#include "settings/GroupWrite.h"

namespace quillbray {

using namespace saving;

namespace {

constexpr GroupValue kAppearance[] = {
    Integer("Visual Theme", &C::VisualTheme),
    Colour("Filepath Status Bar Normal Color", &C::FilepathStatusBarNormalColor),
    Colour("Filepath Status Bar Browse Mode Color", &C::FilepathStatusBarBrowseModeColor),
    Colour("Filepath Status Bar Read Only Color", &C::FilepathStatusBarReadOnlyColor),
    Colour("Quillet Background Normal Color", &C::QuilletBackgroundNormalColor),
    Colour("Quillet Background Browse Mode Color", &C::QuilletBackgroundBrowseModeColor),
    Colour("Quillet Background Read Only Color", &C::QuilletBackgroundReadOnlyColor),
    Colour("Quillet Enabled Normal Color", &C::QuilletEnabledNormalColor),
    Colour("Quillet Enabled Browse Mode Color", &C::QuilletEnabledBrowseModeColor),
    Colour("Quillet Enabled Read Only Color", &C::QuilletEnabledReadOnlyColor),
    Colour("Quillet Disabled Normal Color", &C::QuilletDisabledNormalColor),
    Colour("Quillet Disabled Browse Mode Color", &C::QuilletDisabledBrowseModeColor),
    Colour("Quillet Disabled Read Only Color", &C::QuilletDisabledReadOnlyColor),
    Boolean("Show Large Category Icons", &C::ShowLargeCategoryIcons),
    Boolean("Show Index column", &C::ShowIndexColumn),
    Boolean("Show Quillet column", &C::ShowQuilletColumn),
    Boolean("Show Replacement Keys column", &C::ShowReplacementKeysColumn),
    Boolean("Show Suffixes column", &C::ShowSuffixesColumn),
    Boolean("Show Scope column", &C::ShowScopeColumn),
    Boolean("Show Modified column", &C::ShowModifiedColumn),
    Boolean("Show Notes column", &C::ShowNotesColumn),
};

// The nine properties of a theme, in writing order; each is stored as an
// integer named "Theme <theme name> <property>".
struct ThemeProperty {
  const char* name;
  std::int32_t (*value)(const C&, std::size_t theme);
  ValueKind kind = ValueKind::Integer;  // what it holds; written as an integer either way
};

constexpr ThemeProperty kThemeProperties[] = {
    {"Menus and Toolbars Style", [](const C& c, std::size_t t) { return c.ThemeMenusAndToolbarsStyle[t]; }},
    // An unsigned byte, widened: 200 is stored as 200.
    {"Dialog Button Alignment",
     [](const C& c, std::size_t t) { return std::int32_t{c.ThemeDialogButtonAlignment[t]}; }},
    {"Dialog Button Edge Space", [](const C& c, std::size_t t) { return c.ThemeDialogButtonEdgeSpace[t]; }},
    {"Dialog Button Space", [](const C& c, std::size_t t) { return c.ThemeDialogButtonSpace[t]; }},
    {"Dialog Button Bottom Space", [](const C& c, std::size_t t) { return c.ThemeDialogButtonBottomSpace[t]; }},
    {"Dialog Header Background Color",
     [](const C& c, std::size_t t) { return c.ThemeDialogHeaderBackgroundColor[t]; }, ValueKind::Colour},
    {"Dialog Background Color", [](const C& c, std::size_t t) { return c.ThemeDialogBackgroundColor[t]; }, ValueKind::Colour},
    {"Dialog Buttons Background Color",
     [](const C& c, std::size_t t) { return c.ThemeDialogButtonsBackgroundColor[t]; }, ValueKind::Colour},
    {"QB Playback Bar Color", [](const C& c, std::size_t t) { return c.ThemeQBPlaybackBarColor[t]; }, ValueKind::Colour},
};

}  // namespace

namespace saving {

GroupTable AppearanceTable() { return {cgAppearance, CatalogueScope(cgAppearance), kAppearance}; }

std::vector<std::pair<std::string, ValueKind>> ThemeValues() {
  std::vector<std::pair<std::string, ValueKind>> out;
  for (std::size_t theme = 0; theme < kThemeCount; ++theme)
    for (const ThemeProperty& property : kThemeProperties)
      out.emplace_back(std::string("Theme ") + ThemeNames[theme] + " " + property.name, property.kind);
  return out;
}

}  // namespace saving

void TConfigManager::saveAppearance() { writeGroup(*this, placeOf(cgAppearance), kAppearance); }

// Theme by theme (Custom first, Current last), each with its nine properties.
void TConfigManager::saveThemes() {
  const GroupPlace place = placeOf(cgAppearance);
  writeGroup(*this, place, [&] {
    for (std::size_t theme = 0; theme < kThemeCount; ++theme)
      for (const ThemeProperty& property : kThemeProperties)
        SetPrefInteger(place.section, std::string("Theme ") + ThemeNames[theme] + " " + property.name,
                       property.value(*this, theme));
  });
}

}  // namespace quillbray
