// The event log's tests: a fixed clock, a fixed locale, a catalogue with
// "Log Unusual Events" on, and a log file in a folder of the test's own.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>

#include "BusyFile.h"
#include "StoreFixture.h"
#include "common/FormatSettings.h"
#include "common/Globals.h"
#include "platform/Clock.h"
#include "settings/ConfigManager.h"

namespace qbtest {

using quillbray::ConfigManager;
using quillbray::EventLogFileName;
using quillbray::EventLogTimeFormat;
using quillbray::MainFormWindow;
using quillbray::ScopedFormatSettings;
using quillbray::TConfigManager;
using quillbray::TFormatSettings;

// The clock the event log sees: a fixed time, and waits that are recorded
// instead of slept. onWait runs after the n-th wait (counting from 1).
class FixedClock : public platform::Clock {
 public:
  platform::DateTime time = platform::makeDateTime(2024, 2, 29, 13, 5, 9, 7);
  std::vector<long> waits;
  std::function<void(std::size_t)> onWait;

  platform::DateTime now() override { return time; }
  void sleep(std::chrono::milliseconds duration) override {
    waits.push_back(static_cast<long>(duration.count()));
    if (onWait) onWait(waits.size());
  }
};

inline std::vector<std::pair<unsigned, std::uintptr_t>> sentMessages;
inline void recordMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  EXPECT_EQ(lParam, 0);
  sentMessages.emplace_back(message, wParam);
}

class EventLogTest : public ::testing::Test {
 protected:
  EventLogTest() : clockScope_(clock), localeScope_(locale()) {
    ConfigManager = &catalogue;
    catalogue.LogUnusualEvents = true;
    EventLogFileName = log;
    EventLogTimeFormat = "yyyy-mm-dd hh:nn:ss.zzz";
    sentMessages.clear();
  }
  ~EventLogTest() override {
    ConfigManager = nullptr;
    EventLogFileName.clear();
    EventLogTimeFormat.clear();
    MainFormWindow = nullptr;
  }

  static TFormatSettings locale() {
    TFormatSettings s;
    s.ShortDatePicture = "m/d/yyyy";
    s.LongDatePicture = "dddd, mmmm d, yyyy";
    s.TimeAMString = "AM";
    s.TimePMString = "PM";
    return s;  // long time "h:mm:ss AMPM"
  }

  std::string contents(const std::string& path) const {
    return std::filesystem::exists(path) ? readFile(path) : std::string("<no file>");
  }

  ScopedHives hives;
  BoxRecorder boxes;
  TempDir dir;
  FixedClock clock;
  TConfigManager catalogue;
  const std::string log = dir.file("events.log");

 private:
  platform::ScopedClock clockScope_;
  ScopedFormatSettings localeScope_;
};


// The busy-file error of one attempt.
inline std::string busy(const std::string& path) {
  return "Cannot open file \"" + path + "\": the file is in use by another process";
}

// The report of the sixth failed attempt; errors holds every attempt's text.
inline std::string report(const std::string& message, const std::string& file, const std::vector<std::string>& errors) {
  std::string text = "LogEvent Error: Could not write message:\r\n  " + message + "\r\n\r\nto the file: " + file +
                     "\r\n\r\ndue to the following error:\r\n  " + errors.back() + "\r\n";
  for (std::size_t k = 0; k + 1 < errors.size(); ++k)
    text += "\r\n#" + std::to_string(k + 1) + ":    " + errors[k];
  return text;
}

}  // namespace qbtest
