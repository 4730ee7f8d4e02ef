// The exclusive append on Windows: the file is opened for appending and
// shared for reading only, so that while the text is written another writer's
// open fails with a sharing violation, and this one's fails while another
// writer has the file.
#include <windows.h>

#include <algorithm>

#include "platform/ExclusiveAppend.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

[[noreturn]] void fail(const char* what, const std::string& path, const std::string& reason) {
  throw FileError(std::string(what) + " \"" + path + "\": " + reason);
}

std::string reason(DWORD err) {
  if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) return "the file is in use by another process";
  return win32::errorText(err);
}

}  // namespace

void appendExclusive(const std::string& path, std::string_view text) {
  const std::wstring name = win32::widen(path);
  win32::FileHandle file(::CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) fail("Cannot open file", path, reason(::GetLastError()));
  // A device or pipe at the name ("NUL", "\\.\pipe\x") is not written.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) fail("Cannot open file", path, "not a regular file");
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
    DWORD n = 0;
    if (!::WriteFile(file.get(), text.data() + done, want, &n, nullptr))
      fail("Cannot write to file", path, reason(::GetLastError()));
    done += n;
  }
  if (!file.close()) fail("Cannot close file", path, reason(::GetLastError()));
}

}  // namespace platform
