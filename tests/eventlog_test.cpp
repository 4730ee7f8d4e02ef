// The event log and folder creation, in temporary folders with a fixed clock
// and a fixed locale. A file held by another writer is held by a child
// process; the test's clock lets it go between two attempts of the writer,
// so no case depends on how long anything takes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>

#include "StoreFixture.h"
#include "common/FormatSettings.h"
#include "common/Globals.h"
#include "platform/Clock.h"
#include "settings/ConfigManager.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using platform::BoxAnswer;
using platform::makeDateTime;

// The clock the event log sees: a fixed time, and waits that are recorded
// instead of slept. onWait runs after the n-th wait (counting from 1).
class FixedClock : public platform::Clock {
 public:
  platform::DateTime time = makeDateTime(2024, 2, 29, 13, 5, 9, 7);
  std::vector<long> waits;
  std::function<void(std::size_t)> onWait;

  platform::DateTime now() override { return time; }
  void sleep(std::chrono::milliseconds duration) override {
    waits.push_back(static_cast<long>(duration.count()));
    if (onWait) onWait(waits.size());
  }
};

// A child process that holds an exclusive flock on a file from its creation
// until release(), as another writer of the log would.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    if (::pipe(toChild_) != 0 || ::pipe(fromChild_) != 0) throw std::runtime_error("pipe");
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
      char c = 0;
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0666);
      if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
      if (::write(fromChild_[1], "L", 1) != 1) ::_exit(2);
      if (::read(toChild_[0], &c, 1) != 1) ::_exit(3);
      ::flock(fd, LOCK_UN);
      ::close(fd);
      if (::write(fromChild_[1], "U", 1) != 1) ::_exit(4);
      ::_exit(0);
    }
    char c = 0;
    if (::read(fromChild_[0], &c, 1) != 1 || c != 'L') throw std::runtime_error("the child did not take the lock");
  }
  ~LockHolder() {
    release();
    int status = 0;
    ::waitpid(pid_, &status, 0);
    for (int fd : {toChild_[0], toChild_[1], fromChild_[0], fromChild_[1]}) ::close(fd);
  }
  // Returns once the child has let go of the lock.
  void release() {
    if (released_) return;
    released_ = true;
    char c = 0;
    if (::write(toChild_[1], "R", 1) != 1 || ::read(fromChild_[0], &c, 1) != 1 || c != 'U')
      ADD_FAILURE() << "the child did not release the lock";
  }

 private:
  int toChild_[2] = {-1, -1};
  int fromChild_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool released_ = false;
};

std::vector<std::pair<unsigned, std::uintptr_t>> sentMessages;
void recordMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  EXPECT_EQ(lParam, 0);
  sentMessages.emplace_back(message, wParam);
}

std::string programFileName() { return std::filesystem::read_symlink("/proc/self/exe").filename().string(); }

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

TEST_F(EventLogTest, EntriesLineEndsAndBlankMessages) {
  { std::ofstream(log) << "kept\r\n"; }
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
  ScopedEnv env;
  env.set("XDG_DATA_HOME", dir.file("data"));
  std::filesystem::create_directories(dir.file("data/Corvellan"));
  EventLogFileName.clear();
  LogUnusualEvent("x", false);
  const std::string expected = dir.file("data") + "/Corvellan/" + programFileName() + "_Events.log";
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
  const std::string deep = dir.file("a/b/c");
  EXPECT_TRUE(ForceDirectoriesEx(deep + "/"));
  EXPECT_TRUE(std::filesystem::is_directory(deep));
  EXPECT_TRUE(ForceDirectoriesEx(dir.file("a/b/d")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/d")));
  EXPECT_TRUE(ForceDirectoriesEx(deep));  // exists already
  EXPECT_TRUE(ForceDirectoriesEx("/"));
  EXPECT_FALSE(ForceDirectoriesEx(""));
  EXPECT_FALSE(std::filesystem::exists(log));
}

TEST_F(EventLogTest, ForceDirectoriesCreatesRelativeFolders) {
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const bool made = ForceDirectoriesEx("r/s");
  std::filesystem::current_path(before);
  EXPECT_TRUE(made);
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("r/s")));
}

TEST_F(EventLogTest, ForceDirectoriesLogsAFailure) {
  { std::ofstream(dir.file("plain")) << "a file, not a folder"; }
  const std::string path = dir.file("plain/sub/folder");
  EXPECT_FALSE(ForceDirectoriesEx(path));
  EXPECT_FALSE(std::filesystem::exists(dir.file("plain/sub")));
  // The stamp and the first line, the path, the code, the system's text, and
  // the empty line of the message's last line break.
  EXPECT_EQ(contents(log),
            "2024-02-29 13:05:09.007: ForceDirectoriesEx error: Could not create the directory\r\n"
            "  " + path + "\r\n"
            "  ErrCode: 17\r\n"
            "  File exists\r\n"
            "\r\n");

  const std::string missing = dir.file("plain/x");
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
  const std::string doubled = dir.file("m") + "//n";
  EXPECT_FALSE(ForceDirectoriesEx(doubled));
  EXPECT_NE(contents(log).find("  ErrCode: 2\r\n  No such file or directory\r\n"), std::string::npos) << contents(log);
}

// ---------------------------------------------------------------------------
// A file held by another writer.

std::string busy(const std::string& path) {
  return "Cannot open file \"" + path + "\": the file is in use by another process";
}

TEST_F(EventLogTest, ABrieflyHeldFileIsWrittenByALaterAttempt) {
  for (std::size_t failures = 1; failures <= 5; ++failures) {
    SCOPED_TRACE(failures);
    std::filesystem::remove(log);
    clock.waits.clear();
    LockHolder holder(log);
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

std::string report(const std::string& message, const std::string& file, const std::vector<std::string>& errors) {
  std::string text = "LogEvent Error: Could not write message:\r\n  " + message + "\r\n\r\nto the file: " + file +
                     "\r\n\r\ndue to the following error:\r\n  " + errors.back() + "\r\n";
  for (std::size_t k = 0; k + 1 < errors.size(); ++k)
    text += "\r\n#" + std::to_string(k + 1) + ":    " + errors[k];
  return text;
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
      LockHolder holder(log);
      if (tc.throughLogUnusualEvent) LogUnusualEvent("lost", false);
      else LogEvent("lost", log, 1, "");
    }
    EXPECT_EQ(clock.waits, (std::vector<long>{10, 20, 30, 40, 50}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const platform::MessageBoxRequest& box = boxes.boxes[0];
    EXPECT_EQ(box.text, report("lost", log, std::vector<std::string>(6, busy(log))) + tc.ending);
    EXPECT_EQ(box.caption, programFileName() + " LogEvent Error");
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
  LockHolder holder(log);
  clock.onWait = [&](std::size_t n) {
    if (n != 2) return;
    holder.release();
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
  };
  catalogue.LogUnusualEvents = false;
  LogEvent("m", log, 1, "");
  const std::string folder = "Cannot open file \"" + log + "\": Is a directory";
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, report("m", log, {busy(log), busy(log), folder, folder, folder, folder}));
}

TEST_F(EventLogTest, AMissingFolderIsNotCreated) {
  catalogue.LogUnusualEvents = false;
  const std::string file = dir.file("none/ev.log");
  LogEvent("m", file, 1, "");
  const std::string error = "Cannot open file \"" + file + "\": No such file or directory";
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, report("m", file, std::vector<std::string>(6, error)));
  EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
}

// A pipe at the file name is neither waited on nor written to, whether or not
// something reads it.
TEST_F(EventLogTest, APipeIsNotWritten) {
  catalogue.LogUnusualEvents = false;
  ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
  LogEvent("m", log, 1, "");
  const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  LogEvent("m", log, 1, "");
  char buf[8];
  EXPECT_EQ(::read(reader, buf, sizeof buf), 0);  // nothing was written
  ::close(reader);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  const std::string noReader = "Cannot open file \"" + log + "\": No such device or address";
  const std::string notRegular = "Cannot open file \"" + log + "\": not a regular file";
  EXPECT_EQ(boxes.boxes[0].text, report("m", log, std::vector<std::string>(6, noReader)));
  EXPECT_EQ(boxes.boxes[1].text, report("m", log, std::vector<std::string>(6, notRegular)));
}

TEST_F(EventLogTest, YesSwitchesLoggingOffAndSavesTheLogsGroup) {
  catalogue.LogDebugEvents = true;
  catalogue.LogFormat = "kept format";
  boxes.answer = BoxAnswer::Yes;
  {
    LockHolder holder(log);
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
    LockHolder holder(log);
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
