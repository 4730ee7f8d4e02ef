// Date-time pictures: the picture language against fixed date-times and a
// fixed locale, the formatting settings built from locale values and the
// short time picture rule.
#include <optional>

#include "TestSupport.h"
#include "common/FormatSettings.h"
#include "platform/Locale.h"

namespace {

using namespace quillbray;
using platform::makeDateTime;

// Separators other than "/" and ":" show that those characters stand for them.
TFormatSettings fixedLocale() {
  TFormatSettings s;
  s.ShortDatePicture = "dd/mm/yyyy";
  s.LongDatePicture = "dddd d mmmm yyyy";
  s.DateSeparator = "-";
  s.TimeSeparator = ".";
  s.TimeAMString = "AM";
  s.TimePMString = "PM";
  s.LongTimePicture = "hh:mm:ss";
  s.ShortTimePicture = "h:mm AMPM";
  return s;
}

const TDateTime kAfternoon = makeDateTime(2024, 2, 29, 13, 5, 9, 7);  // a Thursday
const TDateTime kMorning = makeDateTime(2024, 12, 1, 9, 4, 3, 45);    // a Sunday
const TDateTime kMidnight = makeDateTime(2007, 1, 2);                 // a Tuesday
const TDateTime kMidnightMs = makeDateTime(2007, 1, 2, 0, 0, 0, 500);
const TDateTime kNoon = makeDateTime(2024, 2, 29, 12, 30);
const TDateTime kEarlyYear = makeDateTime(987, 3, 4, 23, 59, 59, 999);

TEST(DateTimeTest, DayOfWeekIsWorkedOut) {
  EXPECT_EQ(kAfternoon.dayOfWeek, 5);
  EXPECT_EQ(kMorning.dayOfWeek, 1);
  EXPECT_EQ(kMidnight.dayOfWeek, 3);
  EXPECT_EQ(makeDateTime(2024, 3, 2).dayOfWeek, 7);
}

TEST(PictureTest, EveryElementAgainstAFixedLocale) {
  const ScopedFormatSettings locale(fixedLocale());
  const struct {
    const char* picture;
    TDateTime when;
    const char* expected;
  } cases[] = {
      // days
      {"d", kMorning, "1"},
      {"dd", kMorning, "01"},
      {"d", kAfternoon, "29"},
      {"ddd", kAfternoon, "Thu"},
      {"dddd", kAfternoon, "Thursday"},
      {"ddddd", kAfternoon, "29-02-2024"},
      {"dddddd", kAfternoon, "Thursday 29 February 2024"},
      {"ddddddd", kAfternoon, "Thursday 29 February 2024"},
      {"DdD", kMorning, "Sun"},
      {"aaa", kMorning, "Sun"},
      {"aaaa", kMorning, "Sunday"},
      {"AAAA", kAfternoon, "Thursday"},
      // months
      {"m", kAfternoon, "2"},
      {"mm", kAfternoon, "02"},
      {"mm", kMorning, "12"},
      {"mmm", kAfternoon, "Feb"},
      {"mmmm", kAfternoon, "February"},
      {"mmmmmm", kMorning, "December"},
      // years
      {"y", kAfternoon, "24"},
      {"yy", kMidnight, "07"},
      {"yyy", kAfternoon, "2024"},
      {"yyyy", kEarlyYear, "0987"},
      {"yy", kEarlyYear, "87"},
      // hours, minutes, seconds, milliseconds
      {"h", kMorning, "9"},
      {"hh", kMorning, "09"},
      {"hhh", kMorning, "09"},
      {"h", kAfternoon, "13"},
      {"h", kMidnight, "0"},
      {"n", kMorning, "4"},
      {"nn", kMorning, "04"},
      {"nnn", kMorning, "04"},
      {"s", kMorning, "3"},
      {"ss", kMorning, "03"},
      {"z", kMorning, "45"},
      {"z", kAfternoon, "7"},
      {"zz", kAfternoon, "07"},
      {"zzz", kAfternoon, "007"},
      {"zzzz", kEarlyYear, "999"},
      // time pictures
      {"t", kAfternoon, "1.05 PM"},
      {"tt", kAfternoon, "13.05.09"},
      {"TTT", kMorning, "09.04.03"},
      // c and the empty picture: no time at exactly midnight
      {"c", kAfternoon, "29-02-2024 13.05.09"},
      {"", kAfternoon, "29-02-2024 13.05.09"},
      {"c", kMidnight, "02-01-2007"},
      {"", kMidnight, "02-01-2007"},
      {"c", kMidnightMs, "02-01-2007"},
      {"C", makeDateTime(2007, 1, 2, 0, 0, 1), "02-01-2007 00.00.01"},
      // am/pm elements
      {"am/pm", kAfternoon, "pm"},
      {"am/pm", kMorning, "am"},
      {"AM/PM", kMorning, "AM"},
      {"Am/pM", kAfternoon, "pM"},
      {"Am/pM", kMorning, "Am"},
      {"a/p", kAfternoon, "p"},
      {"A/P", kMorning, "A"},
      {"a/P", kNoon, "P"},
      {"ampm", kAfternoon, "PM"},
      {"AMPM", kMorning, "AM"},
      {"ampm", kMidnight, "AM"},
      // 12-hour form only when an am/pm element follows before the next hour
      {"h am/pm", kAfternoon, "1 pm"},
      {"hh a/p", kAfternoon, "01 p"},
      {"h ampm", kMidnight, "12 AM"},
      {"h:nn ampm", kNoon, "12.30 PM"},
      {"h:mm am/pm h", kAfternoon, "1.05 pm 13"},
      {"am/pm h", kAfternoon, "pm 13"},
      {"h 'am/pm'", kAfternoon, "13 am/pm"},
      {"h dddd ampm", kAfternoon, "1 Thursday PM"},
      // m after an hour element is the minute
      {"h:mm", kAfternoon, "13.05"},
      {"H:M", kAfternoon, "13.5"},
      {"hh 'x' mm", kMorning, "09 x 04"},
      {"hh mm:ss", kMorning, "09 04.03"},
      {"hh dd mm", kMorning, "09 01 12"},
      {"mm hh", kMorning, "12 09"},
      {"h mmm", kAfternoon, "13 Feb"},
      {"h:nn:ss mm", kMorning, "9.04.03 12"},
      {"t mm", kMorning, "9.04 AM 12"},
      // separators, quoted and other text
      {"yyyy/mm/dd", kAfternoon, "2024-02-29"},
      {"hh:nn:ss", kAfternoon, "13.05.09"},
      {"'yyyy' yyyy", kAfternoon, "yyyy 2024"},
      {"\"h:m 'x'\" h", kAfternoon, "h:m 'x' 13"},
      {"'unterminated d", kAfternoon, "unterminated d"},
      {"Q1 bx e g [", kAfternoon, "Q1 bx e g ["},
      {"yyyy\xE5\xB9\xB4m\xE6\x9C\x88", kAfternoon, "2024\xE5\xB9\xB4" "2\xE6\x9C\x88"},
      {"aa", kAfternoon, "aa"},
      {"yyyymmdd", kAfternoon, "20240229"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(std::string("picture \"") + tc.picture + "\"");
    EXPECT_EQ(FormatDateTime(tc.picture, tc.when), tc.expected);
  }
}

TEST(PictureTest, ExpansionsGoOneLevelDeep) {
  TFormatSettings s = fixedLocale();
  s.ShortDatePicture = "ddddd|yy";  // names itself
  s.ShortTimePicture = "tt h:mm";   // a short time picture derived from "tt h:mm:ss"
  EXPECT_EQ(FormatDateTime("ddddd", kAfternoon, s), "|24");
  EXPECT_EQ(FormatDateTime("c", kMidnight, s), "|07");
  EXPECT_EQ(FormatDateTime("t", kAfternoon, s), " 13.05");
  EXPECT_EQ(FormatDateTime("tt", kAfternoon, s), "13.05.09");
}

TEST(PictureTest, EmptySeparatorsPrintNothing) {
  TFormatSettings s = fixedLocale();
  s.DateSeparator.clear();
  s.TimeSeparator.clear();
  EXPECT_EQ(FormatDateTime("d/m h:n", kMorning, s), "112 94");
}

TEST(ShortTimePictureTest, TrailingSecondsAndMarkersGo) {
  const struct {
    const char* format;
    const char* expected;
  } cases[] = {
      {"h:mm:ss tt", "h:mm"},
      {"HH:mm:ss", "HH:mm"},
      {"tt h:mm:ss", "tt h:mm"},
      {"H.mm.ss", "H.mm."},
      {"HH:mm:SS", "HH:mm:SS"},  // exact case: "S" and "T" stay
      {"h:mm TT", "h:mm TT"},
      {"", "h:mm AMPM"},          // a failed query keeps the built picture
      {"ss tt", "h:mm AMPM"},     // nothing left: the built picture too
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.format);
    EXPECT_EQ(ShortTimePictureFrom(tc.format, "h:mm AMPM"), tc.expected);
  }
}

platform::LocaleInfo twelveHourLocale() {
  platform::LocaleInfo l;
  l.leadingZeroHour = "0";
  l.timeKind = "0";
  l.markerPosition = "0";
  return l;
}

TEST(FormatSettingsTest, TimePicturesFromTheLocaleValues) {
  const struct {
    std::optional<std::string> zero, kind, marker;
    const char* longTime;
    const char* shortTime;
  } cases[] = {
      {"0", "0", "0", "h:mm:ss AMPM", "h:mm AMPM"},
      {"1", "0", "0", "hh:mm:ss AMPM", "hh:mm AMPM"},
      {"0", "0", "1", "AMPM h:mm:ss", "AMPM h:mm"},
      {"1", "1", "1", "hh:mm:ss", "hh:mm"},
      {"0", "1", "0", "h:mm:ss", "h:mm"},
      {std::nullopt, std::nullopt, std::nullopt, "h:mm:ss AMPM", "h:mm AMPM"},
  };
  for (const auto& tc : cases) {
    platform::LocaleInfo l;
    l.leadingZeroHour = tc.zero;
    l.timeKind = tc.kind;
    l.markerPosition = tc.marker;
    const TFormatSettings s = FormatSettingsFromLocale(l);
    EXPECT_EQ(s.LongTimePicture, tc.longTime);
    EXPECT_EQ(s.ShortTimePicture, tc.shortTime);
  }
}

TEST(FormatSettingsTest, FailedQueriesGiveTheDefaults) {
  const TFormatSettings s = FormatSettingsFromLocale(platform::LocaleInfo{});
  EXPECT_EQ(s.ShortDatePicture, "m/d/yy");
  EXPECT_EQ(s.LongDatePicture, "mmmm d, yyyy");
  EXPECT_EQ(s.DateSeparator, "/");
  EXPECT_EQ(s.TimeSeparator, ":");
  EXPECT_EQ(s.TimeAMString, "am");
  EXPECT_EQ(s.TimePMString, "pm");
  EXPECT_EQ(s.LongMonthNames[1], "February");
  EXPECT_EQ(s.ShortDayNames[0], "Sun");
  EXPECT_EQ(FormatDateTime("t", kAfternoon, s), "1:05 pm");
  EXPECT_EQ(FormatDateTime("c", kAfternoon, s), "2/29/24 1:05:09 pm");
}

TEST(FormatSettingsTest, LocaleValuesAreTaken) {
  platform::LocaleInfo l;
  l.shortDate = "dd.mm.yyyy";
  l.longDate = "dddd, d. mmmm yyyy";
  l.dateSeparator = ".x";  // only the first character counts
  l.timeSeparator = "";    // an empty answer: no separator
  l.amDesignator = "";
  l.pmDesignator = "nachm.";
  l.longMonthNames[1] = "Februar";
  l.longDayNames[4] = "Donnerstag";
  const TFormatSettings s = FormatSettingsFromLocale(l);
  EXPECT_EQ(s.DateSeparator, ".");
  EXPECT_EQ(s.TimeSeparator, "");
  EXPECT_EQ(FormatDateTime("dddddd", kAfternoon, s), "Donnerstag, 29. Februar 2024");
  EXPECT_EQ(FormatDateTime("mmmm mmm", kMorning, s), "December Dec");  // names the locale left out
  EXPECT_EQ(FormatDateTime("d/m ampm|", kMorning, s), "1.12 |");
  EXPECT_EQ(FormatDateTime("ampm", kAfternoon, s), "nachm.");
}

// The locale's time format h:mm:ss tt gives the short time picture h:mm, which
// holds no AM/PM element: "t" prints the hour in 24-hour form.
TEST(FormatSettingsTest, ShortTimeFromATwelveHourTimeFormat) {
  platform::LocaleInfo l = twelveHourLocale();
  l.timeFormat = "h:mm:ss tt";
  TFormatSettings s = FormatSettingsFromLocale(l);
  EXPECT_EQ(s.ShortTimePicture, "h:mm AMPM");
  s.ShortTimePicture = ShortTimePictureFrom(*l.timeFormat, s.ShortTimePicture);
  EXPECT_EQ(s.ShortTimePicture, "h:mm");
  EXPECT_EQ(FormatDateTime("t", kAfternoon, s), "13:05");
  EXPECT_EQ(FormatDateTime("tt", kAfternoon, s), "1:05:09 pm");
}

}  // namespace
