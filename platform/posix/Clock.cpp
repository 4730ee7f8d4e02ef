#include <time.h>

#include <cerrno>

#include "platform/Clock.h"

namespace platform {
namespace {

class PosixClock : public Clock {
 public:
  DateTime now() override {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    ::localtime_r(&ts.tv_sec, &local);
    DateTime dt;
    dt.year = local.tm_year + 1900;
    dt.month = local.tm_mon + 1;
    dt.day = local.tm_mday;
    dt.hour = local.tm_hour;
    // A leap second is shown as the last second of its minute.
    dt.minute = local.tm_min;
    dt.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    dt.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    dt.dayOfWeek = local.tm_wday + 1;
    return dt;
  }

  void sleep(std::chrono::milliseconds duration) override {
    if (duration.count() <= 0) return;
    timespec left{static_cast<time_t>(duration.count() / 1000), static_cast<long>(duration.count() % 1000) * 1000000L};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

Clock& platformClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace platform
