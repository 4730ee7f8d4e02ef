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

struct RegularFileReader::Impl {
  std::string path;
  std::size_t maxBytes = 0;
  std::size_t size = 0;
  std::size_t got = 0;
  win32::FileHandle file;
  [[noreturn]] void tooLarge() const {
    fail(path, "the file is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB");
  }
};

RegularFileReader::RegularFileReader(const std::string& path, std::size_t maxBytes) : impl_(std::make_unique<Impl>()) {
  Impl& f = *impl_;
  f.path = path;
  f.maxBytes = maxBytes;
  const std::wstring name = win32::widen(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) fail(path, "it is a folder");
  // Others may go on reading, writing and renaming the file meanwhile, as
  // the file may change while it is read on Linux too.
  f.file = win32::FileHandle(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.file.valid()) fail(path, win32::errorText(::GetLastError()));
  if (const DWORD type = ::GetFileType(f.file.get()); type != FILE_TYPE_DISK) fail(path, notRegular(type));
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(f.file.get(), &size)) fail(path, win32::errorText(::GetLastError()));
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) f.tooLarge();
  f.size = static_cast<std::size_t>(size.QuadPart);
}

RegularFileReader::~RegularFileReader() = default;

std::size_t RegularFileReader::size() const { return impl_->size; }

std::size_t RegularFileReader::read(char* buffer, std::size_t n) {
  Impl& f = *impl_;
  // The file may grow while it is read: never read past the limit.
  n = std::min({n, f.maxBytes + 1 - std::min(f.got, f.maxBytes + 1), std::size_t{1} << 30});
  DWORD got = 0;
  if (n > 0 && !::ReadFile(f.file.get(), buffer, static_cast<DWORD>(n), &got, nullptr))
    fail(f.path, win32::errorText(::GetLastError()));
  f.got += got;
  if (f.got > f.maxBytes) f.tooLarge();
  return got;
}

}  // namespace platform
