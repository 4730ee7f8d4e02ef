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

struct RegularFileReader::File {
  win32::FileHandle handle;
};

void RegularFileReader::FileClose::operator()(File* file) const { delete file; }

RegularFileReader::FilePtr RegularFileReader::open(const std::string& path, std::size_t& size) {
  const std::wstring name = win32::widen(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) fail(path, "it is a folder");
  // Others may go on reading, writing and renaming the file meanwhile, as
  // the file may change while it is read on Linux too.
  FilePtr file(new File);
  file->handle = win32::FileHandle(::CreateFileW(name.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file->handle.valid()) fail(path, win32::errorText(::GetLastError()));
  if (const DWORD type = ::GetFileType(file->handle.get()); type != FILE_TYPE_DISK) fail(path, notRegular(type));
  LARGE_INTEGER bytes{};
  if (!::GetFileSizeEx(file->handle.get(), &bytes)) fail(path, win32::errorText(::GetLastError()));
  size = static_cast<std::size_t>(std::min<unsigned long long>(bytes.QuadPart, SIZE_MAX));
  return file;
}

std::size_t RegularFileReader::readSome(File& file, const std::string& path, char* buffer, std::size_t n) {
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
  if (!::ReadFile(file.handle.get(), buffer, want, &got, nullptr)) fail(path, win32::errorText(::GetLastError()));
  return got;
}

}  // namespace platform
