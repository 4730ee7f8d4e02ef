// An owned file HANDLE, closed when it goes.
#pragma once

#include <windows.h>

namespace platform::win32 {

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (valid()) ::CloseHandle(h_);
  }
  FileHandle(FileHandle&& other) noexcept : h_(other.h_) { other.h_ = INVALID_HANDLE_VALUE; }
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      if (valid()) ::CloseHandle(h_);
      h_ = other.h_;
      other.h_ = INVALID_HANDLE_VALUE;
    }
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Closes the handle now; false (GetLastError says why) when closing failed.
  bool close() {
    if (!valid()) return true;
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(h) != 0;
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

}  // namespace platform::win32
