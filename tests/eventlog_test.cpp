// The event log and folder creation, in temporary folders with a fixed clock
// and a fixed locale, on both systems. A file held by another writer is held
// through a handle of the test's own (BusyFile: a flock on Linux, a handle
// that shares the file for reading only on Windows); the test's clock lets it
// go between two attempts of the writer, so no case depends on how long
// anything takes.
#include "EventLogFixture.h"
#include "platform/Folders.h"
#include "platform/ShellFolders.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using platform::BoxAnswer;
using platform::makeDateTime;

// The system's text for an error code, as ForceDirectoriesEx writes it. Wine
// and Windows word their messages differently, so the texts are the
// system's own and the tests pin the codes.
// The Linux or the Windows column.
template <typename T>
T pick(T linux, T windows) {
  return kOnWindows ? windows : linux;
}

// A path below the folder, written with this system's separator.
std::string below(const TempDir& dir, const std::string& relative) {
  return (dir.path() / std::filesystem::path(relative).make_preferred()).string();
}

const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));

std::string errorText(int code) {
  std::string text = platform::systemErrorText(code);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 32 || text.back() == '.')) text.pop_back();
  return text;
}

TEST_F(EventLogTest, EntriesLineEndsAndBlankMessages) {
  { std::ofstream(log, std::ios::binary) << "kept\r\n"; }
  LogUnusualEvent("first", true);
  LogUnusualEvent("two\r\nlines", false);
  LogUnusualEvent(" \t \r\n", true);  // blank: an empty line, no time stamp
  LogUnusualEvent("", true);
  LogUnusualEvent("  padded  ", true);  // written as it stands
  EXPECT_EQ(contents(log),
            "kept\r\n"
            "2024-02-29 13:05:09.007: first\r\n"
            "two\r\nlines\r\n"
            "\r\n"
            "\r\n"
            "2024-02-29 13:05:09.007:   padded  \r\n");
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(clock.waits.empty());
}

TEST_F(EventLogTest, NothingIsWrittenUnlessUnusualEventsAreLogged) {
  catalogue.LogUnusualEvents = false;
  catalogue.LogDebugEvents = true;
  MainFormWindow = recordMessage;
  LogUnusualEvent("quiet", true);
  ConfigManager = nullptr;  // no catalogue at all
  LogUnusualEvent("quiet", true);
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_TRUE(sentMessages.empty());
  EXPECT_EQ(EventLogTimeFormat, "yyyy-mm-dd hh:nn:ss.zzz");
}

TEST_F(EventLogTest, EveryEntryNotifiesTheMainForm) {
  LogUnusualEvent("without a main form", true);
  MainFormWindow = recordMessage;
  LogUnusualEvent("one", true);
  LogUnusualEvent("", false);
  const std::vector<std::pair<unsigned, std::uintptr_t>> expected = {{0x83EC, 2}, {0x83EC, 2}};
  EXPECT_EQ(sentMessages, expected);
}

TEST_F(EventLogTest, DefaultTimeStampPicture) {
  const struct {
    const char* longDate;
    const char* longTime;
    const char* picture;
    const char* stamp;
  } cases[] = {
      {"dddd, mmmm d, yyyy", "h:mm:ss AMPM", "dddd, mmmm d, yyyy h:mm:ss:zzz AMPM",
       "Thursday, February 29, 2024 1:05:09:007 PM"},
      {"yyyy-mm-dd", "hh:mm:ss", "yyyy-mm-dd hh:mm:ss:zzz", "2024-02-29 13:05:09:007"},
      {"yyyy-mm-dd", "hh:mm:ss.zzz", "yyyy-mm-dd hh:mm:ss.zzz", "2024-02-29 13:05:09.007"},
      {"yyyy-mm-dd 'zzz'", "hh:mm:ss", "yyyy-mm-dd 'zzz' hh:mm:ss", "2024-02-29 zzz 13:05:09"},
      {"d.m.yy", "h:mm:SS", "d.m.yy h:mm:SS", "29.2.24 13:05:09"},  // exact case: ":SS" is not ":ss"
      {"d", "hh:nn", "d hh:nn", "29 13:05"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.picture);
    TFormatSettings s = locale();
    s.LongDatePicture = tc.longDate;
    s.LongTimePicture = tc.longTime;
    const ScopedFormatSettings settings(s);
    std::filesystem::remove(log);
    EventLogTimeFormat.clear();
    LogUnusualEvent("x", true);
    EXPECT_EQ(EventLogTimeFormat, tc.picture);
    EXPECT_EQ(contents(log), std::string(tc.stamp) + ": x\r\n");
  }
}

TEST_F(EventLogTest, TheDefaultNameWhenNoneIsSet) {
  const platform::ScopedShellFolders shell({{platform::CSIDL_LOCAL_APPDATA, below(dir, "data") + sep}});
  std::filesystem::create_directories(below(dir, "data/Corvellan"));
  EventLogFileName.clear();
  LogUnusualEvent("x", false);
  const std::string expected = below(dir, "data/Corvellan/") + programName() + "_Events.log";
  EXPECT_EQ(EventLogFileName, expected);
  EXPECT_EQ(contents(expected), "x\r\n");
}

TEST_F(EventLogTest, DatePlaceholderInTheFileName) {
  const struct {
    const char* name;
    const char* expanded;
  } cases[] = {
      {"/x/ev<yyyymmdd/>.log", "/x/ev20240229.log"},
      {"/x/ev.log", "/x/ev.log"},
      {"/x/<YYYY/>/ev<YYYY/>.log", "/x/2024/ev2024.log"},
      {"/x/<hh/>-<nn/>.log", "/x/13-<nn/>.log"},          // the first picture only
      {"/x/a/>b<yy.log", "/x/a/>b<yy.log"},              // "/>" before "<"
      {"/x/ev<yy.log", "/x/ev<yy.log"},                  // no "/>"
      {"/x/ev</>.log", "/x/ev2/29/2024 1:05:09 PM.log"},  // empty picture: short date, long time
      {"/x/ev<'v'd/>", "/x/evv29"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    EXPECT_EQ(ExpandLogFileNameDate(tc.name), tc.expanded);
  }
}

TEST_F(EventLogTest, APlaceholderGivesANewFileEachDay) {
  EventLogFileName = dir.file("ev<yyyymmdd/>.log");
  LogUnusualEvent("leap day", false);
  clock.time = makeDateTime(2024, 3, 1, 0, 0, 1);
  LogUnusualEvent("next day", false);
  LogUnusualEvent("again", false);
  EXPECT_EQ(EventLogFileName, dir.file("ev<yyyymmdd/>.log"));
  EXPECT_EQ(contents(dir.file("ev20240229.log")), "leap day\r\n");
  EXPECT_EQ(contents(dir.file("ev20240301.log")), "next day\r\nagain\r\n");
}

// ---------------------------------------------------------------------------
// Folder creation.

TEST_F(EventLogTest, ForceDirectoriesCreatesEveryLevel) {
  const std::string deep = below(dir, "a/b/c");
  EXPECT_TRUE(ForceDirectoriesEx(deep + sep));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(ForceDirectoriesEx(below(dir, "a/b/d")));
  EXPECT_TRUE(std::filesystem::is_directory(below(dir, "a/b/d")));
  EXPECT_TRUE(ForceDirectoriesEx(deep));  // exists already
  EXPECT_TRUE(ForceDirectoriesEx(dir.path().root_path().string()));
  EXPECT_FALSE(ForceDirectoriesEx(""));
  EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(EventLogTest, ForceDirectoriesCreatesRelativeFolders) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const bool made = ForceDirectoriesEx("rel" + sep + "sub");
  // On Windows a level of fewer than three characters counts as present
  // (it stands for a drive, "C:"), so a short first level is not made and
  // the level below it fails; Linux has no such rule.
  catalogue.LogUnusualEvents = false;
  const bool madeShort = ForceDirectoriesEx("r" + sep + "s");
  std::filesystem::current_path(before);
  EXPECT_TRUE(made);
  EXPECT_TRUE(std::filesystem::is_directory(below(dir, "rel/sub")));
  EXPECT_EQ(madeShort, !kOnWindows);
  EXPECT_EQ(std::filesystem::is_directory(below(dir, "r/s")), !kOnWindows);
}

TEST_F(EventLogTest, ForceDirectoriesLogsAFailure) {
  { std::ofstream(below(dir, "plain")) << "a file, not a folder"; }
  const std::string path = below(dir, "plain/sub/folder");
  EXPECT_FALSE(ForceDirectoriesEx(path));
  EXPECT_FALSE(std::filesystem::exists(below(dir, "plain/sub")));
  // The level that fails is "plain" itself, which a file holds: EEXIST (17)
  // on Linux, ERROR_ALREADY_EXISTS (183) on Windows.
  const int code = pick(17, 183);
  // The stamp and the first line, the path, the code, the system's text, and
  // the empty line of the message's last line break.
  EXPECT_EQ(contents(log),
            "2024-02-29 13:05:09.007: ForceDirectoriesEx error: Could not create the directory\r\n"
            "  " + path + "\r\n"
            "  ErrCode: " + std::to_string(code) + "\r\n"
            "  " + errorText(code) + "\r\n"
            "\r\n");
  if (!kOnWindows) {
    EXPECT_EQ(errorText(code), "File exists");
  }

  const std::string missing = below(dir, "plain/x");
  std::filesystem::remove(log);
  catalogue.LogUnusualEvents = false;
  EXPECT_FALSE(ForceDirectoriesEx(missing));
  EXPECT_FALSE(std::filesystem::exists(log));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(EventLogTest, ForceDirectoriesReportsTheFirstLevelThatFails) {
  // A level below a missing parent that cannot be made: "a//b" names its own
  // parent "a/" when "a" is missing, which counts as present; "a//b" then
  // fails for want of "a".
  const std::string doubled = below(dir, "m") + sep + sep + "n";
  EXPECT_FALSE(ForceDirectoriesEx(doubled));
  // ENOENT (2) on Linux, ERROR_PATH_NOT_FOUND (3) on Windows.
  const int code = pick(2, 3);
  EXPECT_NE(contents(log).find("  ErrCode: " + std::to_string(code) + "\r\n  " + errorText(code) + "\r\n"),
            std::string::npos)
      << contents(log);
  EXPECT_FALSE(std::filesystem::exists(below(dir, "m")));
}

// ---------------------------------------------------------------------------
// A file held by another writer.

TEST_F(EventLogTest, ABrieflyHeldFileIsWrittenByALaterAttempt) {
  for (std::size_t failures = 1; failures <= 5; ++failures) {
    SCOPED_TRACE(failures);
    std::filesystem::remove(log);
    clock.waits.clear();
    BusyFile holder(log);
    clock.onWait = [&](std::size_t n) {
      if (n == failures) holder.release();
    };
    LogUnusualEvent("late", false);
    clock.onWait = nullptr;
    std::vector<long> expected;
    for (std::size_t n = 1; n <= failures; ++n) expected.push_back(static_cast<long>(n * 10));
    EXPECT_EQ(clock.waits, expected);
    EXPECT_EQ(contents(log), "late\r\n");
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(EventLogTest, AFileThatStaysHeldEndsInTheReport) {
  const std::string question = "\r\n\r\nYou may need to disable logging in order to run Quillbray. Disable ";
  const struct {
    const char* name;
    bool unusual, debug;
    bool throughLogUnusualEvent;  // else LogEvent itself, as the switch would stop LogUnusualEvent
    std::string ending;           // after the report; empty for the OK box
  } cases[] = {
      {"neither switch", false, false, false, ""},
      {"unusual events", true, false, true, question + "\"Log Unusual Events\"?"},
      {"debug events", false, true, false, question + "\"Log Debug Events\"?"},
      {"both", true, true, true, question + "\"Log Unusual Events\" and \"Log Debug Events\"?"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    boxes.boxes.clear();
    boxes.answer = tc.ending.empty() ? BoxAnswer::Ok : BoxAnswer::No;
    clock.waits.clear();
    catalogue.LogUnusualEvents = tc.unusual;
    catalogue.LogDebugEvents = tc.debug;
    {
      BusyFile holder(log);
      if (tc.throughLogUnusualEvent) LogUnusualEvent("lost", false);
      else LogEvent("lost", log, 1, "");
    }
    EXPECT_EQ(clock.waits, (std::vector<long>{10, 20, 30, 40, 50}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const platform::MessageBoxRequest& box = boxes.boxes[0];
    EXPECT_EQ(box.text, report("lost", log, std::vector<std::string>(6, busy(log))) + tc.ending);
    EXPECT_EQ(box.caption, programName() + " LogEvent Error");
    EXPECT_EQ(box.owner, platform::BoxOwner::ApplicationWindow);
    EXPECT_EQ(box.style, tc.ending.empty() ? kErrorStyle
                                           : platform::MB_YESNO | platform::MB_ICONWARNING | platform::MB_SETFOREGROUND);
    // No: nothing changes.
    EXPECT_EQ(catalogue.LogUnusualEvents, tc.unusual);
    EXPECT_EQ(catalogue.LogDebugEvents, tc.debug);
    EXPECT_EQ(contents(log), "");  // the holder created it; the entry is lost
  }
  EXPECT_FALSE(stored(HKCU, kLogsKey, "Log Unusual Events"));
}

TEST_F(EventLogTest, TheHistoryListsEachAttemptsError) {
  // Two attempts find the file held; then it has become a folder.
  BusyFile holder(log);
  clock.onWait = [&](std::size_t n) {
    if (n != 2) return;
    holder.release();
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
  };
  catalogue.LogUnusualEvents = false;
  LogEvent("m", log, 1, "");
  // A folder cannot be opened for writing: EISDIR on Linux,
  // ERROR_ACCESS_DENIED (5) on Windows, in the system's words.
  const std::string folder =
      "Cannot open file \"" + log + "\": " + pick<std::string>("Is a directory", platform::systemErrorText(5));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, report("m", log, {busy(log), busy(log), folder, folder, folder, folder}));
}

TEST_F(EventLogTest, AMissingFolderIsNotCreated) {
  catalogue.LogUnusualEvents = false;
  const std::string file = below(dir, "none/ev.log");
  LogEvent("m", file, 1, "");
  // ENOENT on Linux, ERROR_PATH_NOT_FOUND (3) on Windows.
  const std::string error =
      "Cannot open file \"" + file + "\": " + pick<std::string>("No such file or directory", platform::systemErrorText(3));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, report("m", file, std::vector<std::string>(6, error)));
  EXPECT_FALSE(std::filesystem::exists(below(dir, "none")));
}

// A device at the file name is not written: on Windows for being no file on
// a disk; on Linux /dev/null is refused sooner, as a file every user may
// write.
TEST_F(EventLogTest, ADeviceIsNotWritten) {
  catalogue.LogUnusualEvents = false;
  const std::string device = pick<std::string>("/dev/null", "NUL");
  LogEvent("m", device, 1, "");
  EXPECT_EQ(clock.waits, (std::vector<long>{10, 20, 30, 40, 50}));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  const std::string reason = pick<std::string>("'/dev/null' may be written by every user", "not a regular file\r\n");
  EXPECT_NE(boxes.boxes[0].text.find("due to the following error:\r\n  Cannot open file \"" + device + "\": " + reason),
            std::string::npos)
      << boxes.boxes[0].text;
}

TEST_F(EventLogTest, YesSwitchesLoggingOffAndSavesTheLogsGroup) {
  catalogue.LogDebugEvents = true;
  catalogue.LogFormat = "kept format";
  boxes.answer = BoxAnswer::Yes;
  {
    BusyFile holder(log);
    LogUnusualEvent("lost", true);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_FALSE(catalogue.LogUnusualEvents);
  EXPECT_FALSE(catalogue.LogDebugEvents);
  EXPECT_EQ(stored(HKCU, kLogsKey, "Log Unusual Events"), dword(0));
  EXPECT_EQ(stored(HKCU, kLogsKey, "Log Debug Events"), dword(0));
  EXPECT_EQ(stored(HKCU, kLogsKey, "Log Format"), sz("kept format"));

  // The file is free now, but logging is off.
  LogUnusualEvent("later", true);
  EXPECT_EQ(contents(log), "");
  EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(EventLogTest, NoKeepsLoggingOn) {
  boxes.answer = BoxAnswer::No;
  {
    BusyFile holder(log);
    LogUnusualEvent("lost", false);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_TRUE(catalogue.LogUnusualEvents);
  EXPECT_FALSE(stored(HKCU, kLogsKey, "Log Unusual Events"));
  LogUnusualEvent("later", false);
  EXPECT_EQ(contents(log), "later\r\n");
}

// The platform's own clock and wait, loosely: the wait lasts at least as
// long as asked, and now() is today's local time.
TEST(PlatformClockTest, WaitsAtLeastAsLongAsAsked) {
  const auto start = std::chrono::steady_clock::now();
  platform::platformClock().sleep(std::chrono::milliseconds(20));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
  const platform::DateTime now = platform::platformClock().now();
  EXPECT_GE(now.year, 2024);
  EXPECT_EQ(now.dayOfWeek, platform::makeDateTime(now.year, now.month, now.day).dayOfWeek);
  EXPECT_LT(now.millisecond, 1000);
}

}  // namespace
