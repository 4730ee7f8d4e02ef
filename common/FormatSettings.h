// Date-time pictures and the process-wide formatting settings they use.
//
// A picture is a short text in which letter groups stand for parts of a date
// and time ("yyyy-mm-dd hh:nn:ss.zzz"); the names and separators come from the
// formatting settings, which are read from the process's locale at start-up.
#pragma once

#include <array>
#include <string>

#include "platform/Clock.h"
#include "platform/Locale.h"

namespace quillbray {

using TDateTime = platform::DateTime;

struct TFormatSettings {
  std::string ShortDatePicture = "m/d/yy";
  std::string LongDatePicture = "mmmm d, yyyy";
  std::string DateSeparator = "/";  // one character, or empty for none
  std::string TimeSeparator = ":";
  std::string TimeAMString = "am";
  std::string TimePMString = "pm";
  std::string LongTimePicture = "h:mm:ss AMPM";
  std::string ShortTimePicture = "h:mm AMPM";
  std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                "July",    "August",   "September", "October", "November", "December"};
  std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                             "Thursday", "Friday", "Saturday"};
};

// The settings as the locale gives them, before the short time picture is
// replaced. A value the locale does not answer keeps its default (above).
// The time pictures are built from three values:
//   12-hour, marker behind, no leading zero  =>  "h:mm:ss AMPM", "h:mm AMPM"
//   24-hour, leading zero                    =>  "hh:mm:ss",     "hh:mm"
//   12-hour, marker in front                 =>  "AMPM h:mm:ss", "AMPM h:mm"
TFormatSettings FormatSettingsFromLocale(const platform::LocaleInfo& locale);

// The short time picture from the locale's time format: trailing spaces, ":",
// "s" and "t" (exact case) are removed; an empty format keeps `current`.
//   "h:mm:ss tt" => "h:mm"    "HH:mm:ss" => "HH:mm"    "H.mm.ss" => "H.mm."
std::string ShortTimePictureFrom(const std::string& localeTimeFormat, const std::string& current);

// The process-wide settings. Read from the process's locale on first use
// unless ReadFormatSettings or a ScopedFormatSettings came first.
const TFormatSettings& FormatSettings();

// Start-up: reads the settings from the process's locale (after setlocale)
// and replaces the short time picture by the one derived from the locale's
// time format.
void ReadFormatSettings();

// Installs fixed settings for its lifetime (tests).
class ScopedFormatSettings {
 public:
  explicit ScopedFormatSettings(TFormatSettings settings);
  ~ScopedFormatSettings();
  ScopedFormatSettings(const ScopedFormatSettings&) = delete;
  ScopedFormatSettings& operator=(const ScopedFormatSettings&) = delete;

 private:
  TFormatSettings previous_;
  bool hadSettings_;
};

// The date-time as text by the picture; an empty picture counts as "c".
// Letters are case-insensitive; what is not an element is copied.
//   "yyyy-mm-dd hh:nn:ss.zzz", 2024-02-29 13:05:09.007 => "2024-02-29 13:05:09.007"
//   "h:mm am/pm"                                      => "1:05 pm"
//   "dddd, d mmmm 'at' t"                             => "Thursday, 29 February at 1:05 pm"
// Expansions (c, ddddd, dddddd, t, tt) go one level deep: an element of
// that kind inside an expanded picture gives nothing.
std::string FormatDateTime(const std::string& picture, const TDateTime& dateTime);
std::string FormatDateTime(const std::string& picture, const TDateTime& dateTime, const TFormatSettings& settings);

// The current local date and time (platform::clock()).
TDateTime Now();

}  // namespace quillbray
