// Shared test helpers: temporary folders, private hives, a message-box recorder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Registry.h"

namespace qbtest {

// Whether the tests run on Windows (under Wine in CI): picks a table's
// column where the two systems answer differently.
#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// Sets (or removes) a variable of this process's environment, as the C
// runtime and child processes see it.
void setEnv(const std::string& name, const std::string& value);
void unsetEnv(const std::string& name);

// A new folder of a unique name in parent, made for this process only.
std::filesystem::path makeUniqueFolder(const std::filesystem::path& parent, const std::string& prefix);

// A fresh folder under the test run's temporary root, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Sets or unsets environment variables and puts the old values back when it
// goes.
class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) setEnv(it->first, *it->second);
      else unsetEnv(it->first);
    }
  }
  // nullopt unsets the variable.
  void set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) setEnv(name, *value);
    else unsetEnv(name);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Private hives for its lifetime, and back to what was there before when it
// goes (so one may live inside another). On Linux QUILLBRAY_USER_HIVE and
// QUILLBRAY_MACHINE_HIVE point at files in a fresh folder, which programs
// the test starts see too; user() and machine() name them. On Windows the
// process's HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are overridden with
// private keys (tests/ScopedHivesWin32.cpp); child processes do not see the
// override, and no hive file exists (tests of the files are Linux-only).
class ScopedHives {
 public:
  ScopedHives();
  ~ScopedHives();
  ScopedHives(const ScopedHives&) = delete;
  ScopedHives& operator=(const ScopedHives&) = delete;
  std::string user() const { return dir_.file("user.hive"); }
  std::string machine() const { return dir_.file("machine.hive"); }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  ScopedEnv env_;  // goes first: the variables are restored before the folder is removed
  std::shared_ptr<void> system_;  // the system's own isolation, undone when it goes
};

// Whether nothing was made in the root: on Linux no hive file exists (as
// long as nothing is written, none is made); on Windows the private key
// holds no key and no value.
bool hiveUntouched(const ScopedHives& hives, platform::RegistryRoot root);

// Whether the registry lists a key's values sorted by name instead of in the
// order they were made: Windows and the hives keep that order, Wine sorts.
bool listsValuesSorted();

// Value names made in this order as valueNames() lists them here: as they
// are, or sorted without regard to (ASCII) letter case under Wine.
inline std::vector<std::string> asListed(std::vector<std::string> created) {
  if (!listsValuesSorted()) return created;
  const auto upper = [](std::string s) {
    for (char& c : s) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  std::stable_sort(created.begin(), created.end(),
                   [&](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
  return created;
}

// Records every box and answers with a chosen answer.
class BoxRecorder : public platform::MessageBoxes {
 public:
  BoxRecorder() : scope_(*this) {}
  platform::BoxAnswer show(const platform::MessageBoxRequest& box) override {
    boxes.push_back(box);
    return answer;
  }
  bool onDesktop() const override { return desktop; }
  void heldBack(const platform::MessageBoxRequest& box) override { heldBackBoxes.push_back(box); }
  std::vector<platform::MessageBoxRequest> boxes;
  std::vector<platform::MessageBoxRequest> heldBackBoxes;  // what the box limit held back, in order
  platform::BoxAnswer answer = platform::BoxAnswer::Ok;
  bool desktop = false;  // answers as a desktop form would, for the box limit

 private:
  platform::ScopedMessageBoxes scope_;
};

// A recorder that runs `look` while a box is up: what another process would
// see of the store at that moment.
class LookingRecorder : public BoxRecorder {
 public:
  platform::BoxAnswer show(const platform::MessageBoxRequest& box) override {
    if (look) look();
    return BoxRecorder::show(box);
  }
  std::function<void()> look;
};

// The error style of every store box.
constexpr std::uint32_t kErrorStyle = platform::MB_ICONERROR | platform::MB_SETFOREGROUND;

// Runs fn in a child process and answers its exit status (fn's return value),
// or -1 when it died of a signal.
int runInChild(const std::function<int()>& fn);

// The processor time this process has used, in seconds: what a test of
// "refused quickly" measures, so that a busy machine does not make it fail.
double processorSeconds();

// Limits the files this process may write to `bytes` each, the way a full
// disk stops a write: the write fails with EFBIG instead of the process
// being ended by SIGXFSZ. For a child of runInChild; false when refused.
bool limitFileSize(std::size_t bytes);

// Runs fn(0) ... fn(n - 1) in n child processes at once and answers their
// exit statuses, in that order (-1 for one that died of a signal).
std::vector<int> runAtOnce(int n, const std::function<int(int)>& fn);

// What a finished process printed and its exit status (-1 when a signal
// ended it).
struct ProcessRun {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;
};

// Runs a program with exactly these arguments (argv[0] first, no shell) in
// the folder cwd, with standard input from /dev/null.
ProcessRun runProcess(const std::vector<std::string>& argv, const std::string& cwd);

// Runs a shell command line; its standard error is kept apart.
ProcessRun runShell(const std::string& commandLine);

// A second real user, for tests of folders that other users may write.
struct OtherUser {
  std::uint32_t uid;
  std::uint32_t gid;
  std::string name;
};

// The user "qbtest-other", created (useradd, no home folder, no login) the
// first time when the tests run as root; nullopt otherwise, with *why saying
// what is missing.
std::optional<OtherUser> otherUser(std::string* why);

// Runs fn in a child process as that user (its groups, then its ids); the
// child's exit status, as runInChild.
int runAsUser(const OtherUser& user, const std::function<int()>& fn);

// Reads a whole file.
std::string readFile(const std::string& path);

// The test program's own file name ("prefs_tests"), which begins the store's
// error captions in this process, read here without the product's code.
std::string programName();
// A store caption in this process: "prefs_tests OpenPref Error" on Linux,
// "Quillbray.exe OpenPref Error" on Windows.
inline std::string storeCaption(const std::string& what) {
  return (kOnWindows ? std::string("Quillbray.exe") : programName()) + " " + what;
}

}  // namespace qbtest

// Declares `user`, a second real user, or skips the test with the reason.
#define QB_OTHER_USER_OR_SKIP(user)                                           \
  std::string user##_why;                                                     \
  const auto user##_found = qbtest::otherUser(&user##_why);                   \
  if (!user##_found) GTEST_SKIP() << "needs a second user: " << user##_why;  \
  const qbtest::OtherUser user = *user##_found

// Prints a box readably in failure messages.
namespace platform {
void PrintTo(const MessageBoxRequest& box, std::ostream* os);
}
