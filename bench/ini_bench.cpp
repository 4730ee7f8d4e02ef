// Writing many values into one section of the settings file, through the
// store's own write path (PrefLocation plFile: OpenPref, SetPrefString,
// ClosePref), at three sizes, so that the time a value takes can be compared
// between them: flat means linear.
//
//   ini_bench [R]     (default 3 rounds per size; the median round is printed)
//
// Wall time includes the syncs of the close, which wait for the disk; the
// processor time of the process does not, and is the steadier figure.
// Runs in a fresh temporary folder: the hives and the application-data
// folders are pointed there. Each round starts without a file, writes N
// values into the section [Bench] and closes, which writes the file.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSandbox.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace quillbray;

// The processor time this process has used so far.
double cpuMs() { return 1e3 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Times {
  double wall, cpu;  // milliseconds
};

// One round of n values, the file removed first.
Times timeRound(const std::filesystem::path& file, int n) {
  std::filesystem::remove(file);
  TConfigBase store;
  const double cpuStart = cpuMs();
  const auto start = Clock::now();
  if (!store.OpenPref(cfgPerUserRoam, std::string(ProductKey) + "\\Bench", true, false)) std::exit(2);
  for (int i = 0; i < n; ++i)
    store.SetPrefString("Bench", "Value " + std::to_string(i), "text of value " + std::to_string(i));
  store.ClosePref();
  const Times t{std::chrono::duration<double, std::milli>(Clock::now() - start).count(), cpuMs() - cpuStart};
  if (store.ErrorBoxesShown != 0 || !std::filesystem::exists(file)) std::exit(3);
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string root = qbbench::EnterSandbox("ini_bench");
  if (root.empty()) return 1;
  PrefLocation = plFile;
  const auto file = std::filesystem::path(root) / "config/Corvellan/Quillbray 4/Quillbray.ini";
  for (const int n : {100, 1000, 10000}) {
    std::vector<double> wall, cpu;
    for (int r = 0; r < rounds; ++r) {
      const Times t = timeRound(file, n);
      wall.push_back(t.wall);
      cpu.push_back(t.cpu);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    const double w = wall[wall.size() / 2], c = cpu[cpu.size() / 2];
    std::printf("%6d values  wall %10.2f ms %8.2f us per value   cpu %10.2f ms %8.2f us per value  (medians of %d)\n",
                n, w, w * 1000.0 / n, c, c * 1000.0 / n, rounds);
  }
  PrefLocation = plRegistry;
  std::filesystem::remove_all(root);
  return 0;
}
