// The locale's formatting data on Windows, from the thread's locale.
#include "TestSupport.h"
#include "platform/Locale.h"
// clang-format off
#include <windows.h>
// clang-format on

namespace {

// The thread in another locale for the object's lifetime.
class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(LCID locale) : previous_(::GetThreadLocale()) { ok_ = ::SetThreadLocale(locale); }
  ~ScopedThreadLocale() { ::SetThreadLocale(previous_); }
  ScopedThreadLocale(const ScopedThreadLocale&) = delete;
  ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;
  bool ok() const { return ok_; }

 private:
  LCID previous_;
  bool ok_ = false;
};

TEST(WindowsLocale, TheThreadsLocaleGivesPicturesAndNamesSundayFirst) {
  const struct {
    LANGID language;
    const char* shortDate;
    const char* timeFormat;
    const char* timeKind;
    const char* sunday;
    const char* monday;
    const char* saturday;
    const char* december;
  } cases[] = {
      {0x0409, "M/d/yyyy", "h:mm:ss tt", "0", "Sunday", "Monday", "Saturday", "December"},
      {0x0407, "dd.MM.yyyy", "HH:mm:ss", "1", "Sonntag", "Montag", "Samstag", "Dezember"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    ScopedThreadLocale locale(MAKELCID(c.language, SORT_DEFAULT));
    ASSERT_TRUE(locale.ok());
    const platform::LocaleInfo info = platform::processLocale();
    // Wine's German short date is "d.M.yyyy", Windows' "dd.MM.yyyy": both
    // are the locale's own picture, used as it is.
    if (c.language == 0x0407)
      EXPECT_TRUE(info.shortDate == "dd.MM.yyyy" || info.shortDate == "d.M.yyyy") << info.shortDate.value_or("<none>");
    else
      EXPECT_EQ(info.shortDate, c.shortDate);
    EXPECT_EQ(info.timeFormat, c.timeFormat);
    EXPECT_EQ(info.timeKind, c.timeKind);
    EXPECT_EQ(info.longDayNames[0], c.sunday);
    EXPECT_EQ(info.longDayNames[1], c.monday);
    EXPECT_EQ(info.longDayNames[6], c.saturday);
    EXPECT_EQ(info.longMonthNames[11], c.december);
    EXPECT_FALSE(info.shortDayNames[0].empty());
    EXPECT_FALSE(info.shortMonthNames[0].empty());
  }
}

}  // namespace
