// quillbray-reg: hives as .reg text.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "StoreFixture.h"
#include "tools/RegExport.h"

namespace {

using namespace qbtest;

using ToolRun = ProcessRun;

// Runs quillbray-reg with shell-quoted arguments, after the shell commands
// in `before`.
ToolRun runTool(const std::string& args, const std::string& before = "") {
  return runShell(before + QB_REG_TOOL + " " + args);
}

constexpr const char* kHeader = "Windows Registry Editor Version 5.00\n\n";

// A hive changed behind the registry's back, row by row, as damage would
// change it. The hive is made through the registry first, so it has the
// schema and the application id.
class RawHive {
 public:
  explicit RawHive(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error(sqlite3_errmsg(db_));
  }
  ~RawHive() { sqlite3_close(db_); }
  RawHive(const RawHive&) = delete;
  RawHive& operator=(const RawHive&) = delete;

  void exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = sql + ": " + (error ? error : "?");
      sqlite3_free(error);
      throw std::runtime_error(message);
    }
  }
  // A chain of `levels` keys named "k", one below the other, under the key
  // with id `top`.
  void chain(std::int64_t top, int levels) {
    exec("BEGIN");
    sqlite3_stmt* insert = nullptr;
    if (sqlite3_prepare_v2(db_, "INSERT INTO key(parent, name, fold) VALUES(?1, 'k', 'K')", -1, &insert, nullptr))
      throw std::runtime_error(sqlite3_errmsg(db_));
    std::int64_t parent = top;
    for (int i = 0; i < levels; ++i) {
      sqlite3_bind_int64(insert, 1, parent);
      if (sqlite3_step(insert) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
      sqlite3_reset(insert);
      parent = sqlite3_last_insert_rowid(db_);
    }
    sqlite3_finalize(insert);
    exec("COMMIT");
  }

 private:
  sqlite3* db_ = nullptr;
};

TEST(RegTool, ExportsAKeyAndItsSubtreeInAStableOrder) {
  ScopedHives hives;
  seed(HKCU, "Software\\Corvellan\\Quillbray 4", "Uses", dword(12));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\Logs", "Log Format", sz("hh:nn"));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\Logs", "Log Unusual Events", dword(1));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\$Unknown\\My Group", "Data", binary({1, 2}));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\Appearance", "Visual Theme", dword(2));
  const ToolRun run = runTool("export 'HKCU\\software\\corvellan\\quillbray 4'");
  EXPECT_EQ(run.out,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4]\n"
            "\"Uses\"=dword:0000000c\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\$Unknown]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\$Unknown\\My Group]\n"
            "\"Data\"=hex:01,02\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\Appearance]\n"
            "\"Visual Theme\"=dword:00000002\n\n"
            "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\Logs]\n"
            "\"Log Format\"=\"hh:nn\"\n"
            "\"Log Unusual Events\"=dword:00000001\n\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
}

TEST(RegTool, ReportsMissingKeysBadHivesAndBadArguments) {
  ScopedHives hives;
  seed(HKLM, "Software", "X", dword(1));
  ToolRun run = runTool("export HKLM");
  EXPECT_NE(run.out.find("[HKEY_LOCAL_MACHINE\\Software]\n\"X\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(run.status, 0);
  // The key as typed, without its doubled and trailing "\", and the file looked in.
  run = runTool("export 'HKLM\\Software\\\\Nope\\'");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "quillbray-reg: no such key: HKEY_LOCAL_MACHINE\\Software\\Nope (in hive '" + hives.machine() +
                         "')\n");
  EXPECT_EQ(run.status, 1);
  { std::ofstream(hives.user()) << "junk"; }
  run = runTool("export HKCU");
  EXPECT_NE(run.err.find("file is not a database"), std::string::npos);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(runTool("frobnicate x").status, 1);
  EXPECT_EQ(runTool("export HKCU a b").status, 1);
  EXPECT_EQ(qbtest::readFile(hives.user()), "junk");
}

// A root always exists, also in a hive that has no file yet or holds nothing;
// looking at it never makes the file.
TEST(RegTool, ExportsTheRootOfAnEmptyHive) {
  const struct {
    const char* what;
    std::function<void(const ScopedHives&)> make;
    std::string args;  // the root's export
    std::string root;
  } cases[] = {
      {"missing user hive", [](const ScopedHives&) {}, "export HKCU", "HKEY_CURRENT_USER"},
      {"missing machine hive", [](const ScopedHives&) {}, "export HKLM", "HKEY_LOCAL_MACHINE"},
      {"empty file", [](const ScopedHives& h) { std::ofstream{h.user()}; }, "export HKCU", "HKEY_CURRENT_USER"},
      {"all keys deleted",
       [](const ScopedHives&) {
         seed(HKCU, "Software", "X", dword(1));
         platform::registry().openKey(HKCU, "", platform::KeyAccess::ReadWrite, false)->deleteSubKeyTree("Software");
       },
       "export 'hkcu\\'", "HKEY_CURRENT_USER"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedHives hives;
    c.make(hives);
    const bool existed = std::filesystem::exists(hives.user());
    const std::string before = existed ? readFile(hives.user()) : "";
    const ToolRun run = runTool(c.args);
    EXPECT_EQ(run.out, kHeader + ("[" + c.root + "]\n\n"));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
    // A key below the root is still missing, and the message says where it was looked for.
    const bool machine = c.root == "HKEY_LOCAL_MACHINE";
    const ToolRun below = runTool(std::string("export '") + (machine ? "HKLM" : "HKCU") + "\\Software\\X'");
    EXPECT_EQ(below.out, "");
    EXPECT_EQ(below.err, "quillbray-reg: no such key: " + c.root + "\\Software\\X (in hive '" +
                             (machine ? hives.machine() : hives.user()) + "')\n");
    EXPECT_EQ(below.status, 1);
    ASSERT_EQ(std::filesystem::exists(hives.user()), existed);
    if (existed) {
      EXPECT_EQ(readFile(hives.user()), before);
    }
    EXPECT_FALSE(std::filesystem::exists(hives.machine()));
  }
}

// Rows that no key tree can hold end the export with a message naming the
// hive and the key; the keys before them are already printed.
TEST(RegTool, RefusesDamagedKeyTrees) {
  const struct {
    const char* what;
    std::string sql, key;  // the damage, and the key exported
    std::string printed;   // the keys exported before the damage
    std::string message;   // after "hive '...' is damaged: "
  } cases[] = {
      {"a sub-key with an empty name",
       "INSERT INTO key(parent, name, fold) SELECT id, '', '' FROM key WHERE name = 'A'", "",
       "[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"V\"=dword:00000001\n\n",
       "the key 'HKEY_CURRENT_USER\\Software\\A' has a sub-key with an empty name"},
      {"a name holding a backslash",
       "INSERT INTO key(parent, name, fold) SELECT id, 'x\\y', 'X\\Y' FROM key WHERE name = 'A'", "software",
       "[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"V\"=dword:00000001\n\n",
       "the key 'HKEY_CURRENT_USER\\Software\\A' has a sub-key named 'x\\y', and a name cannot hold '\\'"},
      {"a name stored as bytes, which no name matches",
       "INSERT INTO key(parent, name, fold) SELECT id, X'6869', 'HI' FROM key WHERE name = 'A'", "",
       "[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"V\"=dword:00000001\n\n",
       "the key 'HKEY_CURRENT_USER\\Software\\A' lists a sub-key 'hi' that cannot be opened by that name"},
      {"the root its own sub-key", "UPDATE key SET parent = 1 WHERE id = 1", "", "[HKEY_CURRENT_USER]\n\n",
       "the key 'HKEY_CURRENT_USER' has a sub-key with an empty name"},
      {"the root a sub-key of a key below it",
       "UPDATE key SET parent = (SELECT id FROM key WHERE name = 'A'), name = 'Back', fold = 'BACK' WHERE id = 1",
       "",
       "[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"V\"=dword:00000001\n\n",
       "the key 'HKEY_CURRENT_USER\\Software\\A' has a sub-key 'Back' that is also a key above it (a loop)"},
      {"a key path through that loop",
       "UPDATE key SET parent = (SELECT id FROM key WHERE name = 'A'), name = 'Back', fold = 'BACK' WHERE id = 1",
       "software\\a\\back",
       "[HKEY_CURRENT_USER\\Software\\A\\Back]\n\n[HKEY_CURRENT_USER\\Software\\A\\Back\\Software]\n\n"
       "[HKEY_CURRENT_USER\\Software\\A\\Back\\Software\\A]\n\"V\"=dword:00000001\n\n",
       "the key 'HKEY_CURRENT_USER\\Software\\A\\Back\\Software\\A' has a sub-key 'Back' that is also a key above it "
       "(a loop)"},
      {"one key listed twice",
       "DROP INDEX key_child; INSERT INTO key(parent, name, fold) SELECT parent, name, fold FROM key WHERE name = 'A'",
       "",
       "[HKEY_CURRENT_USER]\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"V\"=dword:00000001\n\n",
       "the key 'HKEY_CURRENT_USER\\Software' lists its sub-key 'A' twice"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedHives hives;
    seed(HKCU, "Software\\A", "V", dword(1));
    seed(HKCU, "Software\\B", "W", dword(2));  // after the damage: never reached
    RawHive(hives.user()).exec(c.sql);
    const ToolRun run = runTool("export 'HKCU\\" + c.key + "'");
    EXPECT_EQ(run.out, kHeader + c.printed);
    EXPECT_EQ(run.err, "quillbray-reg: hive '" + hives.user() + "' is damaged: " + c.message +
                           "; the exported text is incomplete\n");
    EXPECT_EQ(run.status, 1);
  }
}

// A key path the hive cannot tell apart is refused before anything is printed.
TEST(RegTool, RefusesAKeyPathThatNamesTwoKeys) {
  ScopedHives hives;
  seed(HKCU, "Software\\App", "V", dword(1));
  RawHive(hives.user())
      .exec("DROP INDEX key_child; INSERT INTO key(parent, name, fold) SELECT parent, 'APP', 'APP' FROM key WHERE "
            "name = 'App'");
  const ToolRun run = runTool("export 'HKCU\\software\\app'");
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "quillbray-reg: hive '" + hives.user() +
                         "' is damaged: the key 'HKEY_CURRENT_USER\\Software' has more than one sub-key named 'app'\n");
  EXPECT_EQ(run.status, 1);
}

// Thousands of levels, on a small stack: the walk takes no stack frame a level.
TEST(RegTool, ExportsADeepChain) {
  ScopedHives hives;
  seed(HKCU, "Software", "V", dword(1));
  constexpr int kLevels = 3000;
  RawHive(hives.user()).chain(2, kLevels);  // below Software, key 2 of a new hive
  const ToolRun run = runTool("export 'HKCU\\Software'", "ulimit -s 256; ");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  std::string deepest = "[HKEY_CURRENT_USER\\Software";
  for (int i = 0; i < kLevels; ++i) deepest += "\\k";
  deepest += "]\n\n";
  ASSERT_GE(run.out.size(), deepest.size());
  EXPECT_EQ(run.out.substr(run.out.size() - deepest.size()), deepest);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '['), kLevels + 1);
}

// Opening each of many siblings goes through the index of folded names: the
// walk stays linear (a scan of the siblings at each opening took some 20 s
// of processor time for 20,000 of them).
TEST(RegTool, ExportsManySiblingKeysInLinearTime) {
  ScopedHives hives;
  seed(HKCU, "Software", "V", dword(1));
  constexpr int kKeys = 20'000;
  RawHive(hives.user())
      .exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kKeys) +
            ") INSERT INTO key(parent, name, fold) SELECT 2, 'k' || i, 'K' || i FROM n");
  const auto childSeconds = [] {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  };
  const double before = childSeconds();
  const ToolRun run = runTool("export 'HKCU\\Software'");
  const double spent = childSeconds() - before;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '['), kKeys + 1);
  EXPECT_LT(spent, 5.0);
}

// In process: a damaged hive is its own error type.
TEST(ExportRegText, ThrowsTypedErrorsForDamagedHives) {
  ScopedHives hives;
  seed(HKCU, "Software\\A", "V", dword(1));
  std::ostringstream text;
  RawHive(hives.user()).exec("INSERT INTO key(parent, name, fold) SELECT id, '', '' FROM key WHERE name = 'A'");
  EXPECT_THROW(quillbray::exportRegText(text, HKCU, "software"), quillbray::DamagedHive);
}

TEST(RegTool, ReportsOutputThatCannotBeWritten) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ScopedHives hives;
  seed(HKCU, "Software", "V", dword(1));
  const ToolRun run = runTool("export HKCU >/dev/full");
  EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
  EXPECT_EQ(run.status, 1);
}

}  // namespace
