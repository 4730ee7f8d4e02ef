// The translation of POSIX locales (the Linux form of the locale): strftime
// formats become pictures and Windows' locale values.
#include <clocale>
#include <optional>

#include "TestSupport.h"
#include "common/FormatSettings.h"
#include "platform/Locale.h"
#include "platform/posix/StrftimeLocale.h"

namespace {

using namespace quillbray;
using platform::makeDateTime;

const TDateTime kAfternoon = makeDateTime(2024, 2, 29, 13, 5, 9, 7);  // a Thursday
const TDateTime kMorning = makeDateTime(2024, 12, 1, 9, 4, 3, 45);    // a Sunday

platform::StrftimeLocale strftimeLocale(const char* d, const char* dt, const char* t, const char* tAmPm) {
  platform::StrftimeLocale l;
  l.dateFormat = d;
  l.dateTimeFormat = dt;
  l.timeFormat = t;
  l.timeFormatAmPm = tAmPm;
  l.am = "AM";
  l.pm = "PM";
  return l;
}

TEST(LocaleTranslationTest, StrftimeFormatsBecomePicturesAndWindowsValues) {
  using O = std::optional<std::string>;
  const struct {
    const char* name;
    platform::StrftimeLocale locale;
    O shortDate, longDate, dateSep, timeSep, zero, kind, marker, timeFormat;
  } cases[] = {
      {"C", strftimeLocale("%m/%d/%y", "%a %b %e %H:%M:%S %Y", "%H:%M:%S", "%I:%M:%S %p"),
       "mm/dd/yy", "ddd mmm d yyyy", "/", ":", "1", "1", "0", "HH:mm:ss"},
      {"en_US", strftimeLocale("%m/%d/%Y", "%a %d %b %Y %r %Z", "%r", "%I:%M:%S %p"),
       "mm/dd/yyyy", "ddd dd mmm yyyy", "/", ":", "1", "0", "0", "hh:mm:ss tt"},
      {"de_DE", strftimeLocale("%d.%m.%Y", "%a %d %b %Y %T %Z", "%T", ""),
       "dd.mm.yyyy", "ddd dd mmm yyyy", ".", ":", "1", "1", std::nullopt, "HH:mm:ss"},
      {"words in the long date", strftimeLocale("%d/%m/%Y", "%A, %d de %B de %Y %T", "%T", ""),
       "dd/mm/yyyy", "dddd, dd\" de \"mmmm\" de \"yyyy", "/", ":", "1", "1", std::nullopt, "HH:mm:ss"},
      {"no ASCII separators",
       strftimeLocale("%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", "%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5 %H:%M",
                      "%H\xE6\x99\x82%M\xE5\x88\x86", ""),
       "yyyy\xE5\xB9\xB4mm\xE6\x9C\x88" "dd\xE6\x97\xA5", "yyyy\xE5\xB9\xB4mm\xE6\x9C\x88" "dd\xE6\x97\xA5",
       std::nullopt, std::nullopt, "1", "1", std::nullopt, "HH\xE6\x99\x82mm\xE5\x88\x86"},
      {"marker in front, unpadded", strftimeLocale("%-d/%-m/%Y", "%A %e %B %Y, %p %l:%M:%S", "%p %l:%M:%S", ""),
       "d/m/yyyy", "dddd d mmmm yyyy,", "/", ":", "0", "0", "1", "tt h:mm:ss"},
      {"letters in the time", strftimeLocale("%F", "%c", "%H h %M", "%I h %M %P"),
       "yyyy-mm-dd", std::nullopt, "-", std::nullopt, "1", "1", "0", "HH' h 'mm"},
      {"composites and other separators", strftimeLocale("%D", "%a %Y/%m/%d %R", "%k.%M", "%I.%M %p"),
       "mm/dd/yy", "ddd yyyy/mm/dd", "/", ".", "0", "1", "0", "H.mm"},
      {"a slash that is not the separator", strftimeLocale("%d.%m.%Y", "%d/%m/%Y %T", "%T", ""),
       "dd.mm.yyyy", "dd\"/\"mm\"/\"yyyy", ".", ":", "1", "1", std::nullopt, "HH:mm:ss"},
      {"nothing", strftimeLocale("", "", "", ""),
       std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
       std::nullopt},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    const platform::LocaleInfo l = platform::translateStrftimeLocale(tc.locale);
    EXPECT_EQ(l.shortDate, tc.shortDate);
    EXPECT_EQ(l.longDate, tc.longDate);
    EXPECT_EQ(l.dateSeparator, tc.dateSep);
    EXPECT_EQ(l.timeSeparator, tc.timeSep);
    EXPECT_EQ(l.leadingZeroHour, tc.zero);
    EXPECT_EQ(l.timeKind, tc.kind);
    EXPECT_EQ(l.markerPosition, tc.marker);
    EXPECT_EQ(l.timeFormat, tc.timeFormat);
  }
}

TEST(LocaleTranslationTest, QuotesAndPercentSignsInText) {
  platform::StrftimeLocale l = strftimeLocale("%d \"%m\" %% %", "%d 'x' %m", "%H 'h' %M", "");
  const platform::LocaleInfo info = platform::translateStrftimeLocale(l);
  // Text that needs quoting is quoted whole; a double quote goes in single
  // quotes.
  EXPECT_EQ(info.shortDate, "dd\" \"'\"'mm'\"'\" % %\"");
  EXPECT_EQ(info.timeFormat, "HH' ''h'' 'mm");
  const TFormatSettings s = FormatSettingsFromLocale(info);
  EXPECT_EQ(FormatDateTime("ddddd", kMorning, s), "01 \"12\" % %");
}

// Switches the process locale for its lifetime.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

TEST(LocaleTranslationTest, RealPosixLocales) {
  for (const char* name : {"C.UTF-8", "POSIX"}) {
    SCOPED_TRACE(name);
    const ScopedLocale locale(name);
    ASSERT_TRUE(locale.ok());
    const platform::LocaleInfo l = platform::processLocale();
    EXPECT_EQ(l.shortDate, "mm/dd/yy");
    EXPECT_EQ(l.longDate, "ddd mmm d yyyy");
    EXPECT_EQ(l.timeFormat, "HH:mm:ss");
    EXPECT_EQ(l.amDesignator, "AM");
    EXPECT_EQ(l.pmDesignator, "PM");
    EXPECT_EQ(l.longDayNames[0], "Sunday");
    EXPECT_EQ(l.shortMonthNames[11], "Dec");

    // Start-up: the settings of the run, with the derived short time picture.
    const ScopedFormatSettings keep(TFormatSettings{});
    ReadFormatSettings();
    const TFormatSettings& s = FormatSettings();
    EXPECT_EQ(s.LongTimePicture, "hh:mm:ss");
    EXPECT_EQ(s.ShortTimePicture, "HH:mm");
    EXPECT_EQ(FormatDateTime("c", kAfternoon), "02/29/24 13:05:09");
    EXPECT_EQ(FormatDateTime("dddddd t", kMorning), "Sun Dec 1 2024 09:04");
  }
}

// en_US.UTF-8 where it is installed; elsewhere it is compiled from the
// system's locale sources into a temporary folder named by LOCPATH, which
// setlocale reads at each call. Skipped, with the reason, only when neither
// works.
TEST(LocaleTranslationTest, EnglishUnitedStates) {
  qbtest::TempDir dir;
  qbtest::ScopedEnv env;
  std::string why = "installed, but setlocale refuses it";
  if (!ScopedLocale("en_US.UTF-8").ok()) {
    const auto run = qbtest::runShell("localedef -c -i en_US -f UTF-8 '" + dir.file("en_US.UTF-8") + "'");
    why = "not installed, and localedef -i en_US -f UTF-8 could not make it (status " + std::to_string(run.status) +
          "): " + run.err;
    env.set("LOCPATH", dir.path().string());
  }
  const ScopedLocale locale("en_US.UTF-8");
  if (!locale.ok()) GTEST_SKIP() << "en_US.UTF-8 is " << why;
  const platform::LocaleInfo l = platform::processLocale();
  EXPECT_EQ(l.shortDate, "mm/dd/yyyy");
  EXPECT_EQ(l.timeKind, "0");
  EXPECT_EQ(l.timeFormat, "hh:mm:ss tt");
  const ScopedFormatSettings keep(TFormatSettings{});
  ReadFormatSettings();
  EXPECT_EQ(FormatSettings().ShortTimePicture, "hh:mm");
  EXPECT_EQ(FormatDateTime("tt", kAfternoon), "01:05:09 PM");
}

}  // namespace
