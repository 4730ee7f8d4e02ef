// Store write throughput against a bare SQLite insert loop, in one run.
//
//   store_bench [N] [scenario]     (default 100000, all scenarios)
//
// Writes N values (integers and strings in turn) through SetPrefInteger and
// SetPrefString in one layered opening, then inserts N comparable rows into a
// plain SQLite table in one transaction with one prepared statement. Both run
// in a fresh temporary folder; the hives are the program's real ones, and the
// machine hive holds the key, so each write also consults it.
//
// Then, as an import writes them: N values in groups of 100 and of 10, each
// group one layered opening of its own key (which the machine hive lacks),
// all in one TPrefBatch, written one by one (SetPrefInteger/SetPrefString) or
// in one SetPrefValues call a group; and the openings alone (OpenPref and
// ClosePref of N/10 keys, nothing written). A scenario named on the command
// line runs alone, for an instruction count: single100 bulk100 single10
// bulk10 open10 layered bare.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>
#include <string>

#include "BenchSandbox.h"
#include "prefs/ConfigBase.h"
#include "prefs/Product.h"
#include "prefs/StoredForms.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double storeRun(int n) {
  // A machine key with a value, so every write also looks up the machine's.
  platform::registry()
      .openKey(platform::RegistryRoot::LocalMachine, std::string(quillbray::ProductKey) + "\\Bench",
               platform::KeyAccess::ReadWrite, true)
      ->setValue("Machine", {platform::REG_DWORD, {1, 0, 0, 0}});
  quillbray::TConfigBase store;
  const auto start = Clock::now();
  if (!store.OpenPref(quillbray::cfgPerUserRoam, std::string(quillbray::ProductKey) + "\\Bench", true, false))
    std::exit(1);
  for (int i = 0; i < n; ++i) {
    const std::string name = "Value " + std::to_string(i);
    if (i % 2)
      store.SetPrefString("Bench", name, "text of value " + std::to_string(i));
    else
      store.SetPrefInteger("Bench", name, i);
  }
  store.ClosePref();
  return seconds(start);
}

std::string groupKey(int g) { return std::string(quillbray::ProductKey) + "\\Groups\\Group " + std::to_string(g); }

// N values in groups of `group`, one opening a group, in one batch; `bulk`
// writes each group with one SetPrefValues call, `write` false writes nothing.
double groupRun(int n, int group, bool bulk, bool write = true) {
  quillbray::TConfigBase store;
  const auto start = Clock::now();
  {
    quillbray::TPrefBatch batch(store);
    std::vector<platform::NamedValue> values;
    for (int g = 0; g * group < n; ++g) {
      if (!store.OpenPref(quillbray::cfgPerUserRoam, groupKey(g), true, false)) std::exit(1);
      values.clear();
      for (int i = g * group; write && i < (g + 1) * group && i < n; ++i) {
        std::string name = "Value " + std::to_string(i);
        if (bulk) {
          values.push_back({std::move(name), i % 2 ? quillbray::StoredString("text of value " + std::to_string(i))
                                                   : quillbray::StoredInteger(i)});
        } else if (i % 2) {
          store.SetPrefString("Bench", name, "text of value " + std::to_string(i));
        } else {
          store.SetPrefInteger("Bench", name, i);
        }
      }
      if (bulk && !store.SetPrefValues("Bench", values)) std::exit(2);
      store.ClosePref();
    }
  }
  if (store.ErrorBoxesShown) std::exit(3);
  return seconds(start);
}

double bareRun(int n, const std::string& file) {
  const auto start = Clock::now();
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db,
               "CREATE TABLE value(key INTEGER, name TEXT, fold TEXT, type INTEGER, data BLOB);"
               "CREATE UNIQUE INDEX value_name ON value(key, fold);"
               "BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO value VALUES(2, ?1, upper(?1), ?2, ?3)", -1, &st, nullptr);
  for (int i = 0; i < n; ++i) {
    const std::string name = "Value " + std::to_string(i);
    const std::string data = i % 2 ? "text of value " + std::to_string(i) : std::string(4, '\0');
    sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 2, i % 2 ? 1 : 4);
    sqlite3_bind_blob(st, 3, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
  const std::string dir = qbbench::EnterSandbox("store_bench");
  if (dir.empty()) return 1;

  // The machine hive exists, without the groups' keys.
  platform::registry()
      .openKey(platform::RegistryRoot::LocalMachine, std::string(quillbray::ProductKey) + "\\Other",
               platform::KeyAccess::ReadWrite, true)
      ->setValue("Machine", {platform::REG_DWORD, {1, 0, 0, 0}});
  const std::string only = argc > 2 ? argv[2] : "";
  auto fresh = [&] { std::filesystem::remove(dir + "/user.hive"); };
  struct Scenario {
    const char* name;
    const char* text;
    std::function<double()> run;
  };
  const std::vector<Scenario> scenarios = {
      {"bare", "bare SQLite insert loop:                      ", [&] { return bareRun(n, dir + "/bare.sqlite"); }},
      {"layered", "store (layered SetPrefInteger/SetPrefString): ", [&] { return storeRun(n); }},
      {"single100", "groups of 100, one by one:                    ", [&] { return groupRun(n, 100, false); }},
      {"bulk100", "groups of 100, SetPrefValues:                 ", [&] { return groupRun(n, 100, true); }},
      {"single10", "groups of 10, one by one:                     ", [&] { return groupRun(n, 10, false); }},
      {"bulk10", "groups of 10, SetPrefValues:                  ", [&] { return groupRun(n, 10, true); }},
      {"open10", "openings alone (N/10 OpenPref/ClosePref):     ", [&] { return groupRun(n, 10, false, false); }},
  };
  std::printf("values: %d\n", n);
  for (const Scenario& s : scenarios) {
    if (!only.empty() && only != s.name) continue;
    fresh();
    const double t = s.run();
    std::printf("%s %10.0f values/s  (%.3f s)\n", s.text, n / t, t);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
