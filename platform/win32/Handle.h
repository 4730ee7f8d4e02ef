// An owned kernel handle (a file, a process), closed when it goes.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) { reset(h); }
  ~Handle() { reset(); }
  Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  // INVALID_HANDLE_VALUE, the failure of CreateFileW, is kept as none.
  void reset(HANDLE h = nullptr) {
    if (h_) ::CloseHandle(h_);
    h_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
  }
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HANDLE h_ = nullptr;
};

}  // namespace platform::win32
