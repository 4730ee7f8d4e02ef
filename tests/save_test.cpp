// Saving the settings catalogue: every group's value names, kinds, values and
// order as they land in the hives, the order of the groups, the lists, the
// boxes, and one commit per save. The hives are read back directly, never
// through the code under test.
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <variant>

#include "CatalogueFill.h"
#include "HiveProbes.h"
#include "StoreFixture.h"
#include "settings/ConfigManager.h"
#include "tools/RegExport.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryValue;

using namespace qbtest::catalogue;

// ---------------------------------------------------------------------------
// The hives as they stand.

struct StoredKey {
  std::vector<std::string> names;  // in creation order
  std::map<std::string, RegistryValue> values;
};

// Every key of a hive by its path ("A\B"), read with the registry's own walk.
std::map<std::string, StoredKey> dump(RegistryRoot root) {
  std::map<std::string, StoredKey> keys;
  std::function<void(RegistryKey&, const std::string&)> walk = [&](RegistryKey& key, const std::string& path) {
    StoredKey& k = keys[path];
    k.names = key.valueNames();
    for (const auto& name : k.names) k.values[name] = *key.queryValue(name);
    for (const auto& sub : key.subKeyNames()) {
      auto child = key.openChild(sub);
      if (!child) throw std::runtime_error("cannot open the listed sub-key " + sub);
      walk(*child, path.empty() ? sub : path + "\\" + sub);
    }
  };
  auto top = platform::registry().openKey(root, "", KeyAccess::Read, false);
  if (!top) return keys;  // a hive that was never written
  walk(*top, "");
  keys.erase("");
  return keys;
}

// The keys below the product key that hold values, by their path below it.
std::map<std::string, StoredKey> productValues(RegistryRoot root) {
  std::map<std::string, StoredKey> out;
  for (auto& [path, key] : dump(root)) {
    if (key.names.empty()) continue;
    if (path == kProduct) out[""] = key;
    else if (path.rfind(kProduct + "\\", 0) == 0) out[path.substr(kProduct.size() + 1)] = key;
    else out["<outside> " + path] = key;
  }
  return out;
}

void expectStored(const std::vector<Row>& rows, RegistryRoot root = HKCU) {
  std::map<std::string, std::vector<const Row*>> byKey;
  for (const Row& row : rows) byKey[row.key].push_back(&row);
  const auto keys = productValues(root);
  std::set<std::string> expectedKeys, storedKeys;
  for (const auto& [key, _] : byKey) expectedKeys.insert(key);
  for (const auto& [key, _] : keys) storedKeys.insert(key);
  EXPECT_EQ(storedKeys, expectedKeys);
  for (const auto& [key, wanted] : byKey) {
    SCOPED_TRACE("key: " + key);
    if (!keys.contains(key)) continue;
    const StoredKey& got = keys.at(key);
    std::vector<std::string> names;
    for (const Row* row : wanted) names.push_back(row->name);
    EXPECT_EQ(got.names, names);
    for (const Row* row : wanted)
      if (got.values.contains(row->name)) {
        EXPECT_EQ(got.values.at(row->name), expected(*row)) << row->name;
      }
  }
}

// ---------------------------------------------------------------------------
// A registry in front of the real one that records every opening and can fail
// on demand.

// Thrown by a fault: not a std::exception, so no guard of the store takes it.
struct Unexpected {};

struct Fault {
  std::string failOpenOf;      // opening this key path for writing fails
  std::string failSetOf;       // setValue of this value name fails
  bool nonStandard = false;    // ... with Unexpected instead of a RegistryError
  bool failClose = false;      // close() of a writable key fails
  int lastError = 0;           // errno as the failing system call leaves it
};

class FaultyKey : public RegistryKey {
 public:
  FaultyKey(std::unique_ptr<RegistryKey> inner, const Fault& fault) : inner_(std::move(inner)), fault_(fault) {}
  ~FaultyKey() override {
    inner_.reset();
    pin();
  }
  std::optional<RegistryValue> queryValue(std::string_view n) override { return inner_->queryValue(n); }
  void setValue(std::string_view name, const RegistryValue& v) override {
    if (name == fault_.failSetOf) fail("cannot write");
    inner_->setValue(name, v);
  }
  bool deleteValue(std::string_view n) override { return inner_->deleteValue(n); }
  std::vector<std::string> valueNames() override { return inner_->valueNames(); }
  std::vector<std::string> subKeyNames() override { return inner_->subKeyNames(); }
  std::unique_ptr<RegistryKey> openChild(std::string_view n) override { return inner_->openChild(n); }
  std::int64_t identity() const override { return inner_->identity(); }
  std::unique_ptr<RegistryKey> openSubKey(std::string_view p, bool c) override { return inner_->openSubKey(p, c); }
  std::unique_ptr<RegistryKey> openFromRoot(std::string_view p, bool c) override { return inner_->openFromRoot(p, c); }
  bool deleteSubKeyTree(std::string_view p) override { return inner_->deleteSubKeyTree(p); }
  void close() override {
    if (fault_.failClose) fail("cannot commit");
    inner_->close();
    pin();
  }
  void discard() override { inner_->discard(); }
  void flush() override { inner_->flush(); }

 private:
  // The system's last error stays what the failed call left, whatever the
  // real hive does afterwards.
  void pin() {
    if (fault_.lastError) errno = fault_.lastError;
  }
  [[noreturn]] void fail(const char* what) {
    errno = fault_.lastError;
    if (fault_.nonStandard) throw Unexpected{};
    throw platform::RegistryError(what);
  }
  std::unique_ptr<RegistryKey> inner_;
  const Fault fault_;  // a copy: the key may outlive the registry that made it
};

class RecordingRegistry : public platform::Registry {
 public:
  RecordingRegistry() : inner_(platform::platformRegistry()), scope_(*this) {}

  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path, KeyAccess access,
                                       bool create) override {
    if (root == HKCU && access == KeyAccess::ReadWrite) {
      userWrites.emplace_back(path);
      if (onUserWrite) onUserWrite(userWrites.back());
    }
    if (faulty && access == KeyAccess::ReadWrite && path == fault.failOpenOf)
      throw platform::RegistryError("cannot open");
    auto key = inner_.openKey(root, path, access, create);
    if (key && faulty && access == KeyAccess::ReadWrite) return std::make_unique<FaultyKey>(std::move(key), fault);
    return key;
  }
  std::string location(RegistryRoot root) override { return inner_.location(root); }
  bool mayWrite(RegistryRoot root) override { return inner_.mayWrite(root); }
  void beginBatch() override {
    ++begun;
    inner_.beginBatch();
  }
  void commitBatch() override {
    ++commits;
    inner_.commitBatch();
  }
  void endBatch() override {
    ++ended;
    inner_.endBatch();
  }

  std::vector<std::string> userWrites;  // the keys opened for writing in HKCU, in order
  std::function<void(const std::string&)> onUserWrite;
  int begun = 0, commits = 0, ended = 0;
  bool faulty = false;
  Fault fault;

 private:
  platform::Registry& inner_;
  platform::ScopedRegistry scope_;
};

// ---------------------------------------------------------------------------
// The order of a save: each operation with the keys it opens for writing and
// the key its values land in (below the product key).

struct Step {
  TConfigGroup group;
  std::vector<std::string> opens;
  std::string valuesIn;
};

std::vector<Step> saveOrder() {
  return {
      {cgAppearance, {under("Appearance")}, "Appearance"},  // saveAppearance
      {cgAppearance, {under("Appearance")}, "Appearance"},  // saveThemes
      {cgActivation, {under("Activation")}, "Activation"},
      {cgAdvOptions, {under("AdvOptions")}, "AdvOptions"},
      {cgBackup, {under("Backup")}, "Backup"},
      {cgCustCommands, {under("Cust Commands")}, "Cust Commands"},
      {cgDelays, {under("Delays")}, "Delays"},
      {cgDialogs, {under("Dialogs")}, "Dialogs"},
      {cgFilePaths, {under("File Paths")}, "File Paths"},
      {cgFiles, {kProduct, under("Files")}, "Files"},  // the old list goes first
      {cgFonts, {under("Fonts")}, "Fonts"},
      {cgGeneral, {under("General")}, "General"},
      {cgMiscellaneous, {under("Miscellaneous")}, "Miscellaneous"},
      {cgLogs, {under("Logs")}, "Logs"},
      {cgMRU, {kProduct, under("MRU")}, "MRU"},
      {cgNetwork, {under("Network")}, "Network"},
      {cgPrinter, {under("Printer")}, "Printer"},
      {cgStartup, {under("Startup")}, "Startup"},
      {cgUpdates, {under("Updates")}, "Updates"},
      {cgWindows, {under(windowsKey())}, windowsKey()},
      {cgProductKey, {kProduct + "\\"}, ""},  // the trailing backslash stays
      {cgTemp, {under("$Temp\\\\Search History")}, "$Temp\\Search History"},
  };
}

// A recorder that can look at the hives while a box is up.
class LookingRecorder : public BoxRecorder {
 public:
  platform::BoxAnswer show(const platform::MessageBoxRequest& box) override {
    if (look) look();
    return BoxRecorder::show(box);
  }
  std::function<void()> look;
};

class SaveTest : public ::testing::Test {
 protected:
  void TearDown() override { SetMachineWidePrefsReader(nullptr); }
  std::vector<std::string> userWrites(const std::function<void()>& save) {
    RecordingRegistry recording;
    save();
    return recording.userWrites;
  }
  ScopedHives hives;
  LookingRecorder boxes;
  TConfigManager c;
};

TEST_F(SaveTest, SaveAllWritesEveryGroupsValuesInOrderUnderTheirNames) {
  const std::vector<Row> rows = allRows(c);
  for (int k = 0; k < 7; ++k) {
    SCOPED_TRACE("fill " + std::to_string(k));
    fill(c, rows, k);
    c.saveSettings(cgAll);
    expectStored(rows);
  }
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
  EXPECT_TRUE(dump(HKLM).empty());  // machine values are never written
}

TEST_F(SaveTest, AFreshCatalogueSavesZerosAndTheFontDefaults) {
  c.saveSettings(cgAll);
  const auto keys = productValues(HKCU);
  EXPECT_EQ(keys.at("Appearance").names.size(), 21u + 45u);
  EXPECT_EQ(keys.at("AdvOptions").names.size(), 12u);
  EXPECT_FALSE(keys.contains("Files"));
  EXPECT_FALSE(keys.contains("MRU"));
  for (const auto& [key, stored] : keys) {
    for (const auto& [name, value] : stored.values) {
      SCOPED_TRACE(key + ": " + name);
      if (key == "Fonts") continue;
      EXPECT_TRUE(value == dword(0) || value == sz("")) << value.type;
    }
  }
  const StoredKey& fonts = keys.at("Fonts");
  EXPECT_EQ(fonts.values.at("Script Font"), sz("Sans"));
  EXPECT_EQ(fonts.values.at("Grid Font Size"), dword(10));
  EXPECT_EQ(fonts.values.at("Category Font Color"), dword(0xFF000008u));
  EXPECT_EQ(fonts.values.at("Grid Font Style"), dword(0));
  // The emptied lists stay as empty keys.
  EXPECT_TRUE(dump(HKCU).contains(under("Files")));
  EXPECT_TRUE(dump(HKCU).contains(under("MRU")));
}

TEST_F(SaveTest, SaveAllOpensTheGroupsInTheSaveOrder) {
  std::vector<std::string> wanted;
  for (const Step& step : saveOrder()) wanted.insert(wanted.end(), step.opens.begin(), step.opens.end());
  EXPECT_EQ(userWrites([&] { c.saveSettings(cgAll); }), wanted);
}

// Each group alone, on fresh hives: its own openings and keys, nothing else.
TEST_F(SaveTest, OneGroupAloneTouchesOnlyItsOwnKeys) {
  const std::vector<Row> rows = allRows(c);
  fill(c, rows, 0);
  std::vector<int> groups;
  for (int g = 0; g <= 28; ++g) groups.push_back(g);
  groups.push_back(200);
  for (const int g : groups) {
    SCOPED_TRACE("group " + std::to_string(g));
    ScopedHives fresh;
    std::vector<std::string> opens;
    std::set<std::string> keys;
    for (const Step& step : saveOrder()) {
      if (g != cgAll && g != step.group) continue;
      opens.insert(opens.end(), step.opens.begin(), step.opens.end());
      keys.insert(step.valuesIn);
    }
    EXPECT_EQ(userWrites([&] { c.saveSettings(static_cast<TConfigGroup>(g)); }), opens);
    std::set<std::string> stored;
    for (const auto& [key, _] : productValues(HKCU)) stored.insert(key);
    EXPECT_EQ(stored, keys);
    if (opens.empty()) {
      EXPECT_TRUE(dump(HKCU).empty());
    }
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SaveTest, GroupsWithoutValuesWriteNothing) {
  fill(c, allRows(c), 1);
  for (const TConfigGroup g : {cgDictionary, cgPersistentFiles, cgDontAsk, cgUnknown, cgEditor, cgMainWindow,
                               static_cast<TConfigGroup>(28)}) {
    SCOPED_TRACE(static_cast<int>(g));
    EXPECT_TRUE(userWrites([&] { c.saveSettings(g); }).empty());
  }
  EXPECT_TRUE(dump(HKCU).empty());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SaveTest, DbgHookValuesOnlyWithShowAdvancedSettings) {
  const std::string key = under("AdvOptions");
  for (const bool advanced : {false, true}) {
    SCOPED_TRACE(advanced ? "advanced" : "plain");
    ScopedHives fresh;
    seed(HKCU, key, "DbgHook DisableMsgHook", dword(7));  // left as it is unless rewritten
    c.ShowAdvancedSettings = advanced;
    c.DbgHookDisableKeyHook = true;
    c.DbgHookDisableMsgHook = false;
    c.saveSettings(cgAdvOptions);
    const StoredKey stored = productValues(HKCU).at("AdvOptions");
    EXPECT_EQ(stored.names.size(), advanced ? 17u : 12u + 1u);  // + the seeded one
    EXPECT_EQ(stored.values.at("Show Advanced Settings"), dword(advanced));
    EXPECT_EQ(stored.values.at("EReplTextAlg"), dword(0));
    if (advanced) {
      EXPECT_EQ(stored.names.back(), "DbgHook DisableSetLowLTFMap");
      EXPECT_EQ(stored.values.at("DbgHook DisableKeyHook"), dword(1));
      EXPECT_EQ(stored.values.at("DbgHook DisableMsgHook"), dword(0));
    } else {
      EXPECT_EQ(stored.names.back(), "EReplTextAlg");
      EXPECT_FALSE(stored.values.contains("DbgHook DisableKeyHook"));
      EXPECT_EQ(stored.values.at("DbgHook DisableMsgHook"), dword(7));
    }
  }
}

TEST_F(SaveTest, TheFilesListIsDeletedThenWrittenWithoutGaps) {
  const struct {
    const char* name;
    TFileList files;
    std::vector<std::string> names;
    std::vector<std::string> texts;
  } cases[] = {
      {"empty list", {}, {}, {}},
      {"empty middle entry", {"/mnt/a", "", " /mnt/c "}, {"file 0", "file 1", "file 2"}, {"/mnt/a", "", "/mnt/c"}},
      {"one entry", {"/mnt/only"}, {"file 0"}, {"/mnt/only"}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    ScopedHives fresh;
    // A longer old list, a stray value and a sub-key: all gone after the save.
    for (int i = 0; i < 5; ++i) seed(HKCU, under("Files"), "file " + std::to_string(i), sz("old"));
    seed(HKCU, under("Files"), "stray", dword(1));
    seed(HKCU, under("Files\\Sub"), "deep", dword(1));
    c.Files = tc.files;
    c.saveFiles();
    const auto keys = dump(HKCU);
    ASSERT_TRUE(keys.contains(under("Files")));  // deleted, then made again
    EXPECT_FALSE(keys.contains(under("Files\\Sub")));
    const StoredKey& files = keys.at(under("Files"));
    EXPECT_EQ(files.names, tc.names);
    for (std::size_t i = 0; i < tc.names.size(); ++i) EXPECT_EQ(files.values.at(tc.names[i]), sz(tc.texts[i]));
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SaveTest, RecentFilesKeepTheirGaps) {
  seed(HKCU, under("MRU"), "file 1", sz("stale"));
  seed(HKCU, under("MRU"), "file 7", sz("stale"));
  c.MRUFiles[0] = "/mnt/zero";
  c.MRUFiles[1] = "   ";    // blanks only: skipped
  c.MRUFiles[2] = "\t\r\n";  // control characters trim too
  c.MRUFiles[3] = "  /mnt/three ";
  c.MRUFiles[24] = "/mnt/last";
  c.saveMRU();
  const StoredKey mru = dump(HKCU).at(under("MRU"));
  EXPECT_EQ(mru.names, (std::vector<std::string>{"file 0", "file 3", "file 24"}));
  EXPECT_EQ(mru.values.at("file 0"), sz("/mnt/zero"));
  EXPECT_EQ(mru.values.at("file 3"), sz("/mnt/three"));
  EXPECT_EQ(mru.values.at("file 24"), sz("/mnt/last"));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST(FontStyleTest, StylesEncodeBold1Underline2Italic4StrikeOut8) {
  const struct {
    TFontStyles style;
    std::int32_t stored;
  } cases[] = {
      {{}, 0},
      {{fsBold}, 1},
      {{fsUnderline}, 2},
      {{fsItalic}, 4},
      {{fsStrikeOut}, 8},
      {{fsBold, fsItalic}, 5},
      {{fsUnderline, fsStrikeOut}, 10},
      {{fsBold, fsItalic, fsUnderline, fsStrikeOut}, 15},
  };
  for (const auto& tc : cases) EXPECT_EQ(fontStyleToInt(tc.style), tc.stored) << tc.stored;
}

TEST(WindowLayoutTest, SubKeyIsTheProgramNameWithoutFolderAndLastExtension) {
  const struct {
    const char* program;
    const char* subKey;
  } cases[] = {
      {"C:/Apps/Quillbray.exe", "Windows\\Quillbray_MainWin"},
      {"/opt/q/a.b.exe", "Windows\\a.b_MainWin"},
      {"/usr/bin/quillbray-import", "Windows\\quillbray-import_MainWin"},
      {"/opt/q.d/prog", "Windows\\prog_MainWin"},  // a dot in the folder is no extension
      {"Quillbray", "Windows\\Quillbray_MainWin"},
      {"/opt/q/.q", "Windows\\_MainWin"},  // all extension, as on Windows
  };
  for (const auto& tc : cases) EXPECT_EQ(windowLayoutSubKey(tc.program), tc.subKey) << tc.program;
}

TEST_F(SaveTest, TheSearchHistoryKeyCollapsesItsDoubleBackslash) {
  c.EditorSearchText = "needle";
  c.saveSettings(cgTemp);
  const auto keys = dump(HKCU);
  ASSERT_TRUE(keys.contains(under("$Temp\\Search History")));
  EXPECT_EQ(keys.at(under("$Temp\\Search History")).values.at("Editor Search Text"), sz("needle"));
  for (const auto& [path, _] : keys) EXPECT_EQ(path.find("\\\\"), std::string::npos) << path;
}

// The .reg text of a full save, as checked in. The window-layout key carries
// this test program's name; the fixture names it "Quillbray".
TEST_F(SaveTest, AFullSaveExportsAsTheGoldenFile) {
  fill(c, allRows(c), 0);
  c.saveSettings(cgAll);
  std::ostringstream out;
  exportRegText(out, HKCU, kProduct);
  std::string text = out.str();
  const std::string own = "\\" + windowsKey() + "]";
  const auto at = text.find(own);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, own.size(), "\\Windows\\Quillbray_MainWin]");
  const std::string golden = readFile(std::string(QB_FIXTURES) + "/save-all.reg");
  EXPECT_EQ(text, golden);
}

// Over machine values the save writes a user value only where it differs,
// and rewrites a user value that is already there.
TEST_F(SaveTest, OverMachineValuesOnlyWhatDiffersIsWritten) {
  const std::string logs = under("Logs");
  seed(HKLM, logs, "Macro log Warning Size", dword(500));
  seed(HKLM, logs, "Log Format", sz("ABC"));
  seed(HKLM, logs, "Log Unusual Events", dword(1));
  seed(HKLM, logs, "Log Debug Events", dword(0));
  seed(HKLM, logs, "Event Notification Color", dword(255));
  seed(HKCU, logs, "Event Notification Color", dword(255));
  c.MacroLogWarningSize = 500;  // same
  c.LogFormat = "abc";          // differs in letter case only
  c.LogUnusualEvents = false;   // differs
  c.LogDebugEvents = false;     // same
  c.EventNotificationColor = 255;
  c.saveSettings(cgLogs);
  const StoredKey user = productValues(HKCU).at("Logs");
  EXPECT_FALSE(user.values.contains("Macro log Warning Size"));
  EXPECT_FALSE(user.values.contains("Log Debug Events"));
  EXPECT_EQ(user.values.at("Log Format"), sz("abc"));
  EXPECT_EQ(user.values.at("Log Unusual Events"), dword(0));
  EXPECT_EQ(user.values.at("Event Notification Color"), dword(255));
  EXPECT_EQ(user.values.at("Check size of macro logs"), dword(0));  // no machine value
  EXPECT_EQ(stored(HKLM, logs, "Log Unusual Events"), dword(1));    // the machine hive is left alone
  EXPECT_TRUE(boxes.boxes.empty());
}

// A group whose key does not open is skipped after OpenPref's box; the save
// goes on with the next group.
TEST_F(SaveTest, AGroupThatDoesNotOpenIsSkipped) {
  fill(c, allRows(c), 4);
  {
    RecordingRegistry faulty;
    faulty.fault.failOpenOf = under("Backup");
    faulty.faulty = true;
    c.saveSettings(cgAll);
  }
  ASSERT_EQ(boxes.boxes.size(), 1u) << (boxes.boxes.empty() ? "" : boxes.boxes.back().text);
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("OpenPref Error"));
  EXPECT_NE(boxes.boxes[0].text.find("Key: " + under("Backup") + "\r\n"), std::string::npos);
  const auto keys = productValues(HKCU);
  EXPECT_FALSE(keys.contains("Backup"));
  EXPECT_EQ(keys.size(), saveOrder().size() - 2);  // Appearance counts once
  EXPECT_TRUE(keys.contains("Cust Commands"));
}

// saveFiles catches what escapes it and names the system's last error.
TEST_F(SaveTest, SaveFilesReportsAnEscapingErrorInItsOwnBox) {
  const struct {
    const char* name;
    Fault fault;
    bool leaveOpen;  // a key left open, whose commit fails when saveFiles opens
    bool batched;    // through saveSettings, in a batch
  } cases[] = {
      {"an error that no store guard takes", {"", "file 1", /*nonStandard=*/true, false, ENOSPC}, false, true},
      {"the commit of a key left open", {"", "", false, /*failClose=*/true, EIO}, true, false},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    ScopedHives fresh;
    boxes.boxes.clear();
    c.Files = {"/mnt/a", "/mnt/b"};
    const std::size_t before = c.ErrorBoxesShown;
    {
      RecordingRegistry faulty;
      faulty.fault = tc.fault;
      faulty.faulty = true;
      if (tc.leaveOpen) {
        ASSERT_TRUE(c.OpenPref(cfgPerUserRoam, under("Logs"), true, false));
      }
      // As the store's boxes do, this one waits holding no hive: what the
      // batch wrote so far is committed before it.
      bool free = false, seen = false;
      boxes.look = [&] {
        free = unlocked(fresh.user());
        seen = committed(fresh.user(), "file 0");
      };
      if (tc.batched) {
        c.saveSettings(cgFiles);
      } else {
        c.saveFiles();
      }
      boxes.look = nullptr;
      EXPECT_TRUE(free);
      EXPECT_EQ(seen, !tc.leaveOpen);
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0], (platform::MessageBoxRequest{
                                  std::string("Error saving files (ConfigManager.saveFiles): \r\n") +
                                      std::strerror(tc.fault.lastError),
                                  qbtest::storeCaption("saveFiles Error"), platform::BoxOwner::ApplicationWindow,
                                  kErrorStyle}));
    EXPECT_EQ(c.ErrorBoxesShown, before + 1);
    if (!tc.leaveOpen) {
      // The list was under way: what came before the failure is kept.
      EXPECT_EQ(stored(HKCU, under("Files"), "file 0"), sz("/mnt/a"));
      EXPECT_FALSE(stored(HKCU, under("Files"), "file 1"));
    }
    // The catalogue goes on working.
    boxes.boxes.clear();
    c.saveSettings(cgFiles);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(stored(HKCU, under("Files"), "file 1"), sz("/mnt/b"));
  }
}

// saveMRU has no box: the exception reaches the caller after the key is
// closed, and ends the rest of the save; what was written before is kept.
TEST_F(SaveTest, AnExceptionFromTheRecentFilesEndsTheSave) {
  fill(c, allRows(c), 2);
  {
    RecordingRegistry faulty;
    faulty.fault = {"", "file 3", /*nonStandard=*/true, false, 0};
    faulty.faulty = true;
    EXPECT_THROW(c.saveSettings(cgAll), Unexpected);
    EXPECT_FALSE(c.PrefSlots.ClosePref);  // closed
    EXPECT_EQ(faulty.userWrites.back(), under("MRU"));
    EXPECT_EQ(faulty.ended, 1);
  }
  const auto keys = productValues(HKCU);
  EXPECT_TRUE(keys.contains("Logs"));
  EXPECT_EQ(keys.at("MRU").names, std::vector<std::string>{"file 0"});
  EXPECT_FALSE(keys.contains("Network"));
  EXPECT_TRUE(committed(hives.user(), "Visual Theme"));
  EXPECT_TRUE(boxes.boxes.empty());
}

// A whole save is one batch: nothing is visible to another connection while
// it runs, and the user hive's lock is held from the first group to the last.
TEST_F(SaveTest, SaveAllCommitsOnce) {
  fill(c, allRows(c), 3);
  RecordingRegistry recording;
  bool lastSeen = false, seenEarly = true, freeEarly = true;
  recording.onUserWrite = [&](const std::string& key) {
    if (key != under("$Temp\\\\Search History")) return;
    lastSeen = true;
    seenEarly = committed(hives.user(), "Visual Theme") || committed(hives.user(), "Uses");
    freeEarly = unlocked(hives.user());
  };
  c.saveSettings(cgAll);
  ASSERT_TRUE(lastSeen);
  EXPECT_FALSE(seenEarly);
  EXPECT_FALSE(freeEarly);
  EXPECT_EQ(recording.begun, 1);
  EXPECT_EQ(recording.commits, 0);
  EXPECT_EQ(recording.ended, 1);
  EXPECT_TRUE(committed(hives.user(), "Visual Theme"));
  EXPECT_TRUE(committed(hives.user(), "Editor Replace History"));
  EXPECT_TRUE(unlocked(hives.user()));
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
