#include "platform/ShellFolders.h"

namespace platform {
namespace {

std::optional<std::map<int, std::string>>& installed() {
  static std::optional<std::map<int, std::string>> folders;
  return folders;
}

}  // namespace

std::string shellFolder(int csidl) {
  if (const auto& folders = installed()) {
    const auto it = folders->find(csidl);
    return it == folders->end() ? std::string() : it->second;
  }
  return systemShellFolder(csidl);
}

ScopedShellFolders::ScopedShellFolders(std::map<int, std::string> folders) : previous_(std::move(installed())) {
  installed() = std::move(folders);
}

ScopedShellFolders::~ScopedShellFolders() { installed() = std::move(previous_); }

}  // namespace platform
