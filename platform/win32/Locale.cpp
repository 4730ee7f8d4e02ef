// The thread locale's formatting data through GetLocaleInfoW: the Windows
// pictures and names are already in the shape LocaleInfo holds.
#include "platform/Locale.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace platform {
namespace {

// One item of the locale; nullopt when the query fails.
std::optional<std::string> item(LCID locale, LCTYPE what) {
  const int size = ::GetLocaleInfoW(locale, what, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  const int got = ::GetLocaleInfoW(locale, what, text.data(), size);
  if (got <= 0) return std::nullopt;
  text.resize(static_cast<std::size_t>(got - 1));  // without the terminating zero
  return win32::narrow(text);
}

std::string name(LCID locale, LCTYPE what) { return item(locale, what).value_or(""); }

}  // namespace

LocaleInfo processLocale() {
  const LCID locale = ::GetThreadLocale();
  LocaleInfo info;
  info.shortDate = item(locale, LOCALE_SSHORTDATE);
  info.longDate = item(locale, LOCALE_SLONGDATE);
  info.dateSeparator = item(locale, LOCALE_SDATE);
  info.timeSeparator = item(locale, LOCALE_STIME);
  info.amDesignator = item(locale, LOCALE_S1159);
  info.pmDesignator = item(locale, LOCALE_S2359);
  info.leadingZeroHour = item(locale, LOCALE_ITLZERO);
  info.timeKind = item(locale, LOCALE_ITIME);
  info.markerPosition = item(locale, LOCALE_ITIMEMARKPOSN);
  info.timeFormat = item(locale, LOCALE_STIMEFORMAT);
  for (LCTYPE i = 0; i < 12; ++i) {
    info.shortMonthNames[i] = name(locale, LOCALE_SABBREVMONTHNAME1 + i);
    info.longMonthNames[i] = name(locale, LOCALE_SMONTHNAME1 + i);
  }
  // The locale's week starts on Monday (DAYNAME1); LocaleInfo's on Sunday.
  for (LCTYPE i = 0; i < 7; ++i) {
    const LCTYPE day = (i + 6) % 7;
    info.shortDayNames[i] = name(locale, LOCALE_SABBREVDAYNAME1 + day);
    info.longDayNames[i] = name(locale, LOCALE_SDAYNAME1 + day);
  }
  return info;
}

}  // namespace platform
