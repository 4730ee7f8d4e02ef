// Windows: a handle opened for writing that shares the file for reading
// only, as another writer of the log has it; the writer's own open then
// fails with a sharing violation.
#include <windows.h>

#include <stdexcept>

#include "BusyFile.h"
#include "platform/win32/Wide.h"

namespace qbtest {

struct BusyFile::Held {
  HANDLE handle = INVALID_HANDLE_VALUE;
};

BusyFile::BusyFile(const std::string& path) : held_(std::make_unique<Held>()) {
  held_->handle = ::CreateFileW(platform::win32::widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
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
