// The catalogue's full save, saveSettings(0), in the registry and in the
// settings file.
//
//   save_bench [N]     (default 20 saves per location)
//
// Runs in a fresh temporary folder: the hives and the application-data
// folders are pointed there. Each location first saves once (creating the
// hives or the files), then N saves are timed, alternating two fills of the
// catalogue so that every save changes every value. Prints the median and
// the slowest save of each location.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSandbox.h"
#include "settings/ConfigManager.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace quillbray;

void fill(TConfigManager& c, int k) {
  c.LogFormat = "log format " + std::to_string(k);
  c.BackupCount = k;
  c.TextDelay = 10 + k;
  c.Prefix = "prefix " + std::to_string(k);
  c.VisualTheme = k % 5;
  c.ImagesPath = "/srv/images/" + std::to_string(k) + "/";
  c.Files = {"/srv/lists/a" + std::to_string(k) + ".qbl", "/srv/lists/b.qbl"};
  c.MRUFiles[0] = "/srv/recent/" + std::to_string(k) + ".qbl";
  c.EditorSearchText = "needle " + std::to_string(k);
}

std::vector<double> run(TConfigManager& c, TPrefLocation location, int n) {
  PrefLocation = location;
  fill(c, 0);
  c.saveSettings(cgAll);
  std::vector<double> times;
  for (int i = 0; i < n; ++i) {
    fill(c, i + 1);
    const auto start = Clock::now();
    c.saveSettings(cgAll);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times;
}

void print(const char* what, const std::vector<double>& times) {
  std::printf("%-24s median %8.2f ms   slowest %8.2f ms   (%zu saves)\n", what, times[times.size() / 2], times.back(),
              times.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const std::string root = qbbench::EnterSandbox("save_bench");
  if (root.empty()) return 1;
  {
    TConfigManager c;
    print("registry (plRegistry)", run(c, plRegistry, n));
    print("settings file (plFile)", run(c, plFile, n));
    PrefLocation = plRegistry;
  }
  const auto ini = std::filesystem::path(root) / "config/Corvellan/Quillbray 4/Quillbray.ini";
  std::printf("settings file: %ju bytes\n", static_cast<std::uintmax_t>(std::filesystem::file_size(ini)));
  std::filesystem::remove_all(root);
  return 0;
}
