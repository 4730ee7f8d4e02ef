// The formatting settings: read from the locale at start-up, process-wide.
#include "common/FormatSettings.h"

#include <optional>

namespace quillbray {
namespace {

std::optional<TFormatSettings> current;

// A Windows-style number value ("0", "1"); a failed query counts as 0.
bool nonZero(const std::optional<std::string>& value) {
  if (!value || value->empty()) return false;
  for (char c : *value)
    if (c < '0' || c > '9') return false;
  return value->find_first_not_of('0') != std::string::npos;
}

std::string firstCharacter(const std::string& text) { return text.substr(0, 1); }

template <std::size_t N>
void takeNames(std::array<std::string, N>& names, const std::array<std::string, N>& given) {
  for (std::size_t i = 0; i < N; ++i)
    if (!given[i].empty()) names[i] = given[i];
}

}  // namespace

TFormatSettings FormatSettingsFromLocale(const platform::LocaleInfo& locale) {
  TFormatSettings s;
  if (locale.shortDate) s.ShortDatePicture = *locale.shortDate;
  if (locale.longDate) s.LongDatePicture = *locale.longDate;
  if (locale.dateSeparator) s.DateSeparator = firstCharacter(*locale.dateSeparator);
  if (locale.timeSeparator) s.TimeSeparator = firstCharacter(*locale.timeSeparator);
  if (locale.amDesignator) s.TimeAMString = *locale.amDesignator;
  if (locale.pmDesignator) s.TimePMString = *locale.pmDesignator;

  const std::string hour = nonZero(locale.leadingZeroHour) ? "hh" : "h";
  std::string prefix, suffix;
  if (!nonZero(locale.timeKind)) {
    if (nonZero(locale.markerPosition)) prefix = "AMPM ";
    else suffix = " AMPM";
  }
  s.LongTimePicture = prefix + hour + ":mm:ss" + suffix;
  s.ShortTimePicture = prefix + hour + ":mm" + suffix;

  takeNames(s.ShortMonthNames, locale.shortMonthNames);
  takeNames(s.LongMonthNames, locale.longMonthNames);
  takeNames(s.ShortDayNames, locale.shortDayNames);
  takeNames(s.LongDayNames, locale.longDayNames);
  return s;
}

std::string ShortTimePictureFrom(const std::string& localeTimeFormat, const std::string& current) {
  if (localeTimeFormat.empty()) return current;
  std::string picture = localeTimeFormat;
  while (!picture.empty()) {
    const char last = picture.back();
    if (last != ' ' && last != ':' && last != 's' && last != 't') break;
    picture.pop_back();
  }
  // A format of nothing but those characters leaves nothing; the picture from
  // the locale's other values is kept then.
  return picture.empty() ? current : picture;
}

const TFormatSettings& FormatSettings() {
  if (!current) ReadFormatSettings();
  return *current;
}

void ReadFormatSettings() {
  const platform::LocaleInfo locale = platform::processLocale();
  TFormatSettings s = FormatSettingsFromLocale(locale);
  s.ShortTimePicture = ShortTimePictureFrom(locale.timeFormat.value_or(""), s.ShortTimePicture);
  current = std::move(s);
}

ScopedFormatSettings::ScopedFormatSettings(TFormatSettings settings) : hadSettings_(current.has_value()) {
  if (current) previous_ = *current;
  current = std::move(settings);
}

ScopedFormatSettings::~ScopedFormatSettings() {
  if (hadSettings_) current = std::move(previous_);
  else current.reset();
}

TDateTime Now() { return platform::clock().now(); }

}  // namespace quillbray
