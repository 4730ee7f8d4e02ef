// The Windows clock: the local time of GetLocalTime, and Sleep.
#include <windows.h>

#include "platform/Clock.h"

namespace platform {
namespace {

class WindowsClock : public Clock {
 public:
  DateTime now() override {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    DateTime dt;
    dt.year = t.wYear;
    dt.month = t.wMonth;
    dt.day = t.wDay;
    dt.hour = t.wHour;
    dt.minute = t.wMinute;
    dt.second = t.wSecond;
    dt.millisecond = t.wMilliseconds;
    dt.dayOfWeek = t.wDayOfWeek + 1;  // Windows counts 0 (Sunday) to 6
    return dt;
  }

  void sleep(std::chrono::milliseconds duration) override {
    if (duration.count() <= 0) return;
    ::Sleep(static_cast<DWORD>(duration.count()));
  }
};

}  // namespace

Clock& platformClock() {
  static WindowsClock clock;
  return clock;
}

}  // namespace platform
