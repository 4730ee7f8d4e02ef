// Files on Windows: existence and whole-file reads through CreateFileW.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/Files.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

[[noreturn]] void fail(const std::string& path, const std::string& reason) {
  throw FileError("cannot read '" + path + "': " + reason);
}

// What a handle that is not a file on a disk is, for the message.
const char* notRegular(DWORD type) {
  if (type == FILE_TYPE_PIPE) return "it is a pipe, not a regular file";
  if (type == FILE_TYPE_CHAR) return "it is a character device, not a regular file";
  return "it is not a regular file";
}

}  // namespace

bool fileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(win32::widen(path).c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string readRegularFile(const std::string& path, std::size_t maxBytes) {
  const std::wstring name = win32::widen(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) fail(path, "it is a folder");
  // Others may go on reading, writing and renaming the file meanwhile, as
  // the file may change while it is read on Linux too.
  win32::FileHandle file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) fail(path, win32::errorText(::GetLastError()));
  if (const DWORD type = ::GetFileType(file.get()); type != FILE_TYPE_DISK) fail(path, notRegular(type));
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) fail(path, win32::errorText(::GetLastError()));
  const auto tooLarge = [&] { fail(path, "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB"); };
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) tooLarge();

  std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t got = 0;
  // The file may grow while it is read: never read past the limit.
  for (;;) {
    if (got == data.size()) {
      if (data.size() >= maxBytes + 1) break;
      data.resize(std::min(maxBytes + 1, data.size() + 65536));
    }
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - got, 1u << 30));
    DWORD n = 0;
    if (!::ReadFile(file.get(), data.data() + got, want, &n, nullptr)) fail(path, win32::errorText(::GetLastError()));
    if (n == 0) break;
    got += n;
  }
  if (got > maxBytes) tooLarge();
  data.resize(got);
  return data;
}

}  // namespace platform
