#include "platform/Clock.h"

namespace platform {
namespace {
Clock* installed = nullptr;
}

DateTime makeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  const weekday wd{sys_days{date}};
  return {year, month, day, hour, minute, second, millisecond, static_cast<int>(wd.c_encoding()) + 1};
}

Clock& clock() { return installed ? *installed : platformClock(); }

ScopedClock::ScopedClock(Clock& c) : previous_(installed) { installed = &c; }
ScopedClock::~ScopedClock() { installed = previous_; }

}  // namespace platform
