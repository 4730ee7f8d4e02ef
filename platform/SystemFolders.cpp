#include "platform/SystemFolders.h"

namespace platform {
namespace {

std::optional<std::string>& installed() {
  static std::optional<std::string> answer;
  return answer;
}

}  // namespace

std::string tempPath() { return installed() ? *installed() : systemTempPath(); }

ScopedTempPath::ScopedTempPath(std::string answer) : previous_(std::move(installed())) {
  installed() = std::move(answer);
}

ScopedTempPath::~ScopedTempPath() { installed() = std::move(previous_); }

}  // namespace platform
