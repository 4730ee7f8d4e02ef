// The process locale's time data through nl_langinfo, after the program's
// setlocale(LC_ALL, "").
#include <langinfo.h>

#include "platform/Locale.h"
#include "platform/posix/StrftimeLocale.h"

namespace platform {
namespace {

std::string item(nl_item what) {
  const char* text = ::nl_langinfo(what);
  return text ? text : "";
}

}  // namespace

LocaleInfo processLocale() {
  StrftimeLocale locale;
  locale.dateFormat = item(D_FMT);
  locale.dateTimeFormat = item(D_T_FMT);
  locale.timeFormat = item(T_FMT);
  locale.timeFormatAmPm = item(T_FMT_AMPM);
  locale.am = item(AM_STR);
  locale.pm = item(PM_STR);
  const nl_item days[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  const nl_item abdays[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
  for (int i = 0; i < 7; ++i) {
    locale.longDayNames[i] = item(days[i]);
    locale.shortDayNames[i] = item(abdays[i]);
  }
  const nl_item months[] = {MON_1, MON_2, MON_3, MON_4, MON_5, MON_6, MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  const nl_item abmonths[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                              ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  for (int i = 0; i < 12; ++i) {
    locale.longMonthNames[i] = item(months[i]);
    locale.shortMonthNames[i] = item(abmonths[i]);
  }
  return translateStrftimeLocale(locale);
}

}  // namespace platform
