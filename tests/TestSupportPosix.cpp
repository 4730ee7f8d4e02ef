// The test helpers' Linux forms: processes, users, limits and environment.
#include "TestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>

namespace qbtest {

void setEnv(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }
void unsetEnv(const std::string& name) { ::unsetenv(name.c_str()); }

std::filesystem::path makeUniqueFolder(const std::filesystem::path& parent, const std::string& prefix) {
  std::string pattern = (parent / (prefix + "XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed in " + parent.string());
  return pattern;
}

std::string programName() { return std::filesystem::read_symlink("/proc/self/exe").filename().string(); }

ScopedHives::ScopedHives() {
  env_.set("QUILLBRAY_USER_HIVE", user());
  env_.set("QUILLBRAY_MACHINE_HIVE", machine());
}

ScopedHives::~ScopedHives() = default;

bool listsValuesSorted() { return false; }  // the hives keep creation order

bool hiveUntouched(const ScopedHives& hives, platform::RegistryRoot root) {
  return !std::filesystem::exists(root == platform::RegistryRoot::CurrentUser ? hives.user() : hives.machine());
}

std::optional<OtherUser> otherUser(std::string* why) {
  static const char* const kName = "qbtest-other";
  if (::geteuid() != 0) {
    *why = "the tests do not run as root, so they cannot create one";
    return std::nullopt;
  }
  // Test processes run side by side: useradd may find the user database
  // locked by another one, or the user made meanwhile; ask until it exists.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (const passwd* pw = ::getpwnam(kName)) return OtherUser{pw->pw_uid, pw->pw_gid, kName};
    const ProcessRun run = runProcess({"/usr/sbin/useradd", "--system", "--no-create-home", "--user-group",
                                       "--shell", "/usr/sbin/nologin", kName}, "/");
    if (run.status == 0) continue;
    if (run.status == 127 || !std::filesystem::exists("/usr/sbin/useradd")) {
      *why = "/usr/sbin/useradd is missing";
      return std::nullopt;
    }
    ::usleep(50 * 1000);
  }
  *why = "useradd could not create user " + std::string(kName);
  return std::nullopt;
}

int runAsUser(const OtherUser& user, const std::function<int()>& fn) {
  return runInChild([&] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0) return 98;
    return fn();
  });
}

double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

bool limitFileSize(std::size_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

int runInChild(const std::function<int()>& fn) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int rc = 99;
    try {
      rc = fn();
    } catch (...) {
    }
    std::fflush(nullptr);
    ::_exit(rc);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<int> runAtOnce(int n, const std::function<int(int)>& fn) {
  std::fflush(nullptr);
  std::vector<pid_t> pids;
  for (int who = 0; who < n; ++who) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      int rc = 99;
      try {
        rc = fn(who);
      } catch (...) {
      }
      std::fflush(nullptr);
      ::_exit(rc);
    }
    pids.push_back(pid);
  }
  std::vector<int> statuses;
  for (pid_t pid : pids) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  return statuses;
}

ProcessRun runProcess(const std::vector<std::string>& argv, const std::string& cwd) {
  const TempDir out;
  const std::string errFile = out.file("stderr");
  const std::string outFile = out.file("stdout");
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int outFd = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_RDONLY);
    if (err < 0 || outFd < 0 || null < 0 || ::dup2(err, 2) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(null, 0) < 0 ||
        ::chdir(cwd.c_str()) != 0)
      ::_exit(120);
    std::vector<char*> cargv;
    for (const auto& a : argv) cargv.push_back(const_cast<char*>(a.c_str()));
    cargv.push_back(nullptr);
    ::execv(cargv[0], cargv.data());
    ::_exit(121);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {readFile(outFile), readFile(errFile), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

ProcessRun runShell(const std::string& commandLine) {
  const TempDir dir;
  const std::string errFile = dir.file("stderr");
  ProcessRun run;
  std::fflush(nullptr);
  FILE* p = ::popen((commandLine + " 2>'" + errFile + "'").c_str(), "r");
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
  const int status = ::pclose(p);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = readFile(errFile);
  return run;
}

}  // namespace qbtest
