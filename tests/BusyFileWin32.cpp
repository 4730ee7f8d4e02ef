// Windows: a handle opened for writing. It lets others read and write, so
// that the writer's open fails only because the writer itself shares the
// file with no other writer: the test sees the writer's own sharing, not
// just the holder's.
#include <windows.h>

#include <stdexcept>

#include "BusyFile.h"
#include "platform/win32/Wide.h"

namespace qbtest {

struct BusyFile::Held {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

BusyFile::BusyFile(const std::string& path) : held_(std::make_unique<Held>()) {
  held_->handle = ::CreateFileW(platform::win32::widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held_->handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + path);
}

BusyFile::~BusyFile() { release(); }

void BusyFile::release() {
  if (!held_ || held_->handle == INVALID_HANDLE_VALUE) return;
  ::CloseHandle(held_->handle);
  held_->handle = INVALID_HANDLE_VALUE;
}

}  // namespace qbtest
