// A fresh temporary folder for a benchmark, which the program's hives,
// home and application-data folders are pointed into, so that a benchmark
// never touches the real ones; boxes go to the console.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace qbbench {

// The folder, or "" when it cannot be made. The caller removes it.
inline std::string EnterSandbox(const char* name) {
  std::string root = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
  if (!::mkdtemp(root.data())) return "";
  ::setenv("QUILLBRAY_USER_HIVE", (root + "/user.hive").c_str(), 1);
  ::setenv("QUILLBRAY_MACHINE_HIVE", (root + "/machine.hive").c_str(), 1);
  ::setenv("HOME", root.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  ::setenv("XDG_CONFIG_DIRS", (root + "/machine").c_str(), 1);
  ::setenv("QUILLBRAY_DIALOGS", "console", 1);
  return root;
}

}  // namespace qbbench
