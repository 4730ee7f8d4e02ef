// Store write throughput against a bare SQLite insert loop, in one run.
//
//   store_bench [N]     (default 100000)
//
// Writes N values (integers and strings in turn) through SetPrefInteger and
// SetPrefString in one layered opening, then inserts N comparable rows into a
// plain SQLite table in one transaction with one prepared statement. Both run
// in a fresh temporary folder; the hives are the program's real ones, and the
// machine hive holds the key, so each write also consults it.
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "prefs/ConfigBase.h"
#include "prefs/Product.h"

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
  std::string dir = (std::filesystem::temp_directory_path() / "qbbench-XXXXXX").string();
  if (!::mkdtemp(dir.data())) return 1;
  ::setenv("QUILLBRAY_USER_HIVE", (dir + "/user.hive").c_str(), 1);
  ::setenv("QUILLBRAY_MACHINE_HIVE", (dir + "/machine.hive").c_str(), 1);
  ::setenv("QUILLBRAY_DIALOGS", "console", 1);

  const double bare = bareRun(n, dir + "/bare.sqlite");
  const double store = storeRun(n);
  std::printf("values: %d\n", n);
  std::printf("store (layered SetPrefInteger/SetPrefString): %10.0f values/s  (%.3f s)\n", n / store, store);
  std::printf("bare SQLite insert loop:                      %10.0f values/s  (%.3f s)\n", n / bare, bare);
  std::printf("store time / bare time: %.2f\n", store / bare);
  std::filesystem::remove_all(dir);
  return 0;
}
