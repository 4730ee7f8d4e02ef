// The event log: time-stamped entries appended to a text file, retried while
// another writer holds the file, and a report that offers to switch logging
// off when the file stays busy.
#include <chrono>
#include <exception>

#include "common/FormatSettings.h"
#include "common/Globals.h"
#include "platform/Clock.h"
#include "platform/ExclusiveAppend.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFile.h"
#include "prefs/Product.h"
#include "settings/ConfigManager.h"

namespace quillbray {

TWindowMessageSink MainFormWindow = nullptr;

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kLastAttempt = 6;

// Every occurrence of find (exact case), left to right, without overlap.
std::string replaceAll(const std::string& text, const std::string& find, const std::string& put) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(find, from)) != std::string::npos; from = at + find.size())
    out += text.substr(from, at - from) + put;
  return out + text.substr(from);
}

bool isBlank(const std::string& message) {
  for (char c : message)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

// The long date and time, with milliseconds after the seconds unless the
// locale's pictures already show them.
std::string defaultTimeFormat() {
  const TFormatSettings& s = FormatSettings();
  std::string picture = s.LongDatePicture + " " + s.LongTimePicture;
  if (picture.find("zzz") == std::string::npos) picture = replaceAll(picture, ":ss", ":ss:zzz");
  return picture;
}

void reportFailure(const std::string& message, const std::string& fileName, const std::string& error,
                   const std::string& history) {
  std::string text = std::string("LogEvent") + " Error: Could not write message:" + kCrLf + "  " + message + kCrLf +
                     kCrLf + "to the file: " + fileName + kCrLf + kCrLf + "due to the following error:" + kCrLf +
                     "  " + error + kCrLf + history;
  const std::string caption = platform::programFileName() + " " + "LogEvent" + " Error";

  const bool unusual = ConfigManager && ConfigManager->LogUnusualEvents;
  const bool debug = ConfigManager && ConfigManager->LogDebugEvents;
  if (!unusual && !debug) {
    platform::showMessageBox(text, caption, platform::BoxOwner::ApplicationWindow,
                             platform::MB_OK | platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
    return;
  }
  text += kCrLf;
  text += std::string("\r\nYou may need to disable logging in order to run ") + ProductBaseName;
  if (unusual && debug) text += ". Disable \"Log Unusual Events\" and \"Log Debug Events\"?";
  else if (unusual) text += ". Disable \"Log Unusual Events\"?";
  else text += ". Disable \"Log Debug Events\"?";
  const platform::BoxAnswer answer =
      platform::showMessageBox(text, caption, platform::BoxOwner::ApplicationWindow,
                               platform::MB_YESNO | platform::MB_ICONWARNING | platform::MB_SETFOREGROUND);
  if (answer != platform::BoxAnswer::Yes) return;
  ConfigManager->LogUnusualEvents = false;
  ConfigManager->LogDebugEvents = false;
  ConfigManager->saveSettings(cgLogs);
}

}  // namespace

std::string ExpandLogFileNameDate(const std::string& fileName) {
  const std::size_t open = fileName.find('<');
  const std::size_t close = fileName.find("/>");
  std::string picture;
  if (open != std::string::npos && close != std::string::npos && close > open)
    picture = fileName.substr(open + 1, close - open - 1);
  const std::string placeholder = "<" + picture + "/>";
  if (fileName.find(placeholder) == std::string::npos) return fileName;
  return replaceAll(fileName, placeholder, FormatDateTime(picture, Now()));
}

void LogUnusualEvent(const std::string& message, bool timeStamp) {
  if (!ConfigManager || !ConfigManager->LogUnusualEvents) return;
  if (EventLogFileName.empty()) EventLogFileName = GetEventLogFileName("", "", "");
  if (EventLogTimeFormat.empty()) EventLogTimeFormat = defaultTimeFormat();

  const std::string fileName = ExpandLogFileNameDate(EventLogFileName);
  std::string line;
  if (!isBlank(message)) {
    line = timeStamp && !EventLogTimeFormat.empty() ? FormatDateTime(EventLogTimeFormat, Now()) + ": " + message
                                                     : message;
  }
  LogEvent(line, fileName, 1, "");
  if (MainFormWindow) MainFormWindow(kEventLoggedMessage, 2, 0);
}

void LogEvent(const std::string& message, const std::string& fileName, int attempt, const std::string& history) {
  std::string error;
  try {
    platform::appendExclusive(fileName, message + kCrLf);
    return;
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (attempt < kLastAttempt) {
    platform::clock().sleep(std::chrono::milliseconds(attempt * 10));
    LogEvent(message, fileName, attempt + 1,
             history + kCrLf + "#" + std::to_string(attempt) + ":    " + error);
    return;
  }
  reportFailure(message, fileName, error, history);
}

}  // namespace quillbray
