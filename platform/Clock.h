// The clock: the local date and time, and waiting.
//
// Tests install a fixed clock through ScopedClock; its sleep() is where a test
// can act between two attempts of a retry loop instead of racing real time.
#pragma once

#include <chrono>

namespace platform {

// A local date and time to the millisecond. dayOfWeek counts 1 (Sunday) to 7
// (Saturday), as the day-name tables are indexed.
struct DateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int dayOfWeek = 7;

  bool operator==(const DateTime&) const = default;
};

// The date-time with its day of the week worked out (Gregorian calendar):
//   makeDateTime(2024, 2, 29, 13, 5, 9, 7)  =>  Thursday, dayOfWeek 5
DateTime makeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                      int millisecond = 0);

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time.
  virtual DateTime now() = 0;
  // Waits about this long.
  virtual void sleep(std::chrono::milliseconds duration) = 0;
};

// The process's clock: the one installed by ScopedClock, else the platform's.
Clock& clock();
Clock& platformClock();

class ScopedClock {
 public:
  explicit ScopedClock(Clock& c);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

}  // namespace platform
