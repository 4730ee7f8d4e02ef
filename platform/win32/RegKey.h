// An owning handle of an open registry key: closed when it goes.
#pragma once

#include <windows.h>

#include <utility>

namespace platform::win32 {

class RegKey {
 public:
  RegKey() = default;
  explicit RegKey(HKEY h) : h_(h) {}
  ~RegKey() { reset(); }
  RegKey(RegKey&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  RegKey& operator=(RegKey&& other) noexcept {
    if (this != &other) {
      reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  HKEY get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  // Where an opening function puts the new handle; any held one is closed first.
  HKEY* out() {
    reset();
    return &h_;
  }
  // A predefined root (HKEY_CURRENT_USER...) is the process's own and is
  // never closed here: closing it would drop the process's cached handle.
  void reset() {
    if (h_ && !isPredefined(h_)) ::RegCloseKey(h_);
    h_ = nullptr;
  }

  static bool isPredefined(HKEY h) {
    // The predefined handles are small negative numbers (HKEY_CLASSES_ROOT,
    // 0x80000000 sign-extended, is the first).
    const auto v = reinterpret_cast<ULONG_PTR>(h);
    const auto first = reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT);
    return v >= first && v - first <= 0xFF;
  }

 private:
  HKEY h_ = nullptr;
};

}  // namespace platform::win32
