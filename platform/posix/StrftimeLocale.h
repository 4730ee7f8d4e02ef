// The translation of a POSIX locale's time data (nl_langinfo: strftime-style
// formats and names) into the Windows-shaped LocaleInfo.
//
//   D_FMT       "%m/%d/%y"               => shortDate "mm/dd/yy", dateSeparator "/"
//   D_T_FMT     "%a %d %b %Y %r %Z"      => longDate  "ddd dd mmm yyyy" (the time taken out)
//   T_FMT       "%r", T_FMT_AMPM "%I:%M:%S %p"
//                                        => timeFormat "hh:mm:ss tt", timeKind "0",
//                                           leadingZeroHour "1", markerPosition "0",
//                                           timeSeparator ":"
//
// The rules are listed in docs/platform.md ("Locale and time pictures").
#pragma once

#include <array>
#include <string>

#include "platform/Locale.h"

namespace platform {

struct StrftimeLocale {
  std::string dateFormat;      // D_FMT
  std::string dateTimeFormat;  // D_T_FMT
  std::string timeFormat;      // T_FMT
  std::string timeFormatAmPm;  // T_FMT_AMPM
  std::string am;              // AM_STR
  std::string pm;              // PM_STR
  std::array<std::string, 7> longDayNames;  // DAY_1 (Sunday) ... DAY_7
  std::array<std::string, 7> shortDayNames;  // ABDAY_1 ...
  std::array<std::string, 12> longMonthNames;  // MON_1 ...
  std::array<std::string, 12> shortMonthNames; // ABMON_1 ...
};

LocaleInfo translateStrftimeLocale(const StrftimeLocale& locale);

}  // namespace platform
