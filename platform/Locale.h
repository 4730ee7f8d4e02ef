// The locale's formatting data, in the shape the Windows locale queries
// (GetLocaleInfo) give it, so that the formatting settings are built from it
// as they are on Windows.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace platform {

// Each value is nullopt where the locale answers nothing (a failed query);
// the reader then uses its default. An empty string is an answer (a 24-hour
// locale may have no AM designator).
struct LocaleInfo {
  std::optional<std::string> shortDate;       // LOCALE_SSHORTDATE, picture language ("mm/dd/yy")
  std::optional<std::string> longDate;        // LOCALE_SLONGDATE, picture language
  std::optional<std::string> dateSeparator;   // LOCALE_SDATE ("/")
  std::optional<std::string> timeSeparator;   // LOCALE_STIME (":")
  std::optional<std::string> amDesignator;    // LOCALE_S1159
  std::optional<std::string> pmDesignator;    // LOCALE_S2359
  std::optional<std::string> leadingZeroHour; // LOCALE_ITLZERO: "1" two-digit hours, "0" not
  std::optional<std::string> timeKind;        // LOCALE_ITIME: "0" 12-hour clock, "1" 24-hour
  std::optional<std::string> markerPosition;  // LOCALE_ITIMEMARKPOSN: "1" AM/PM in front, "0" behind
  // LOCALE_STIMEFORMAT, in the Windows time-format language: h/hh 12-hour,
  // H/HH 24-hour, mm, ss, tt the AM/PM marker, 'text' quoted ("h:mm:ss tt").
  std::optional<std::string> timeFormat;
  // Names; an empty one was not given by the locale.
  std::array<std::string, 12> shortMonthNames;
  std::array<std::string, 12> longMonthNames;
  std::array<std::string, 7> shortDayNames;  // Sunday first
  std::array<std::string, 7> longDayNames;
};

// The formatting data of the process's locale, as set by setlocale().
LocaleInfo processLocale();

}  // namespace platform
