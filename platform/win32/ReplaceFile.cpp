// A temporary file beside the target (a new name, CREATE_NEW: never a file
// someone planted), flushed to the disk, then moved over the target in one
// step with the move itself written through.
#include "platform/ReplaceFile.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string_view>

#include "platform/Files.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

using win32::errorText;
using win32::narrow;
using win32::widen;

class TempFile {
 public:
  explicit TempFile(const std::string& target) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      char suffix[8];
      static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
      for (int i = 0; i < 6; ++i) suffix[i] = kLetters[random() % 36];
      suffix[6] = 0;
      path_ = widen(target) + L"." + widen(suffix);
      handle_ = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ != INVALID_HANDLE_VALUE) return;
      if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw FileError("cannot create a temporary file beside '" + target + "': " + errorText(::GetLastError()));
  }
  ~TempFile() {
    close();
    if (!moved_) ::DeleteFileW(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  std::string name() const { return narrow(path_); }

  void write(std::string_view bytes) {
    while (!bytes.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(handle_, bytes.data(), chunk, &written, nullptr))
        throw FileError("'" + name() + "': " + errorText(::GetLastError()));
      bytes.remove_prefix(written);
    }
  }
  // A delayed write error shows here.
  void flushAndClose() {
    if (!::FlushFileBuffers(handle_)) throw FileError("'" + name() + "': " + errorText(::GetLastError()));
    const HANDLE h = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(h)) throw FileError("'" + name() + "': " + errorText(::GetLastError()));
  }
  void moveOver(const std::string& target) {
    if (!::MoveFileExW(path_.c_str(), widen(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw FileError("cannot replace '" + target + "': " + errorText(::GetLastError()));
    moved_ = true;
  }

 private:
  void close() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool moved_ = false;
};

}  // namespace

void replaceFile(const std::string& fileName, std::string_view bytes) {
  TempFile temp(fileName);
  temp.write(bytes);
  temp.flushAndClose();
  temp.moveOver(fileName);
}

}  // namespace platform
