// The test helpers' Windows forms: processes and environment.
#include "CommandLineRun.h"
#include "TestSupport.h"

#include <windows.h>

#include <cstdlib>
#include <random>

#include "platform/win32/Handle.h"
#include "platform/win32/Wide.h"

namespace qbtest {

using platform::win32::Handle;
using platform::win32::narrow;
using platform::win32::widen;

// _wputenv_s changes the C runtime's copy and the process's own block, which
// child processes inherit.
void setEnv(const std::string& name, const std::string& value) {
  ::_wputenv_s(widen(name).c_str(), widen(value).c_str());
}
void unsetEnv(const std::string& name) { ::_wputenv_s(widen(name).c_str(), L""); }

std::filesystem::path makeUniqueFolder(const std::filesystem::path& parent, const std::string& prefix) {
  static std::mt19937_64 random{std::random_device{}() ^ ::GetCurrentProcessId()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path folder = parent / (prefix + std::to_string(random() % 1000000000));
    if (::CreateDirectoryW(folder.wstring().c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  throw std::runtime_error("cannot make a folder in " + parent.string());
}

std::string programName() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return narrow(path.substr(path.find_last_of(L"\\/") + 1));
}

double processorSeconds() {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

namespace {

// An argument as CommandLineToArgvW and the C runtime split it again.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  for (std::size_t i = 0;; ++i) {
    std::size_t backslashes = 0;
    while (i < arg.size() && arg[i] == L'\\') ++i, ++backslashes;
    if (i == arg.size()) {
      out.append(backslashes * 2, L'\\');
      break;
    }
    if (arg[i] == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    out += arg[i];
  }
  return out + L"\"";
}

Handle inheritable(const std::wstring& file, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return Handle(::CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string withoutCr(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace

ProcessRun runCommandLine(const std::wstring& commandLine, const std::string& cwd, const std::string& program) {
  const TempDir out;
  const std::string errFile = out.file("stderr");
  const std::string outFile = out.file("stdout");
  ProcessRun run;
  {
    Handle in = inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
    Handle o = inheritable(widen(outFile), GENERIC_WRITE, CREATE_ALWAYS);
    Handle e = inheritable(widen(errFile), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in.get();
    si.hStdOutput = o.get();
    si.hStdError = e.get();
    PROCESS_INFORMATION pi{};
    std::wstring line = commandLine;  // CreateProcessW may write into it
    const std::wstring application = widen(program);
    std::fflush(nullptr);
    if (!::CreateProcessW(program.empty() ? nullptr : application.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                          nullptr, widen(cwd).c_str(), &si, &pi)) {
      run.err = "cannot start " + narrow(commandLine) + ": " + platform::win32::errorText(::GetLastError());
      return run;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(process.get(), &code)) run.status = static_cast<int>(code);
  }
  run.out = readFile(outFile);
  run.err = readFile(errFile);
  return run;
}

ProcessRun runProcess(const std::vector<std::string>& argv, const std::string& cwd) {
  std::wstring line;
  for (const std::string& arg : argv) line += (line.empty() ? L"" : L" ") + quoted(widen(arg));
  ProcessRun run = runCommandLine(line, cwd, argv.at(0));
  // The programs write text mode, lines ending in CR LF; the tests' tables
  // hold each system's text with "\n" (tests/app_win32_test.cpp checks the
  // CR LF).
  run.out = withoutCr(run.out);
  run.err = withoutCr(run.err);
  return run;
}

}  // namespace qbtest
