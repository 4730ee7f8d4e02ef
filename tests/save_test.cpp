// Saving the settings catalogue: every group's value names, kinds, values and
// order as they land in the hives, the order of the groups, the lists, the
// boxes, and one commit per save. The hives are read back directly, never
// through the code under test.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <variant>

#include "CatalogueFill.h"
#include "RegTextMap.h"
#include "SaveFixture.h"
#include "settings/ConfigManager.h"
#include "tools/RegExport.h"

namespace {

using namespace quillbray;
using namespace qbtest;
using namespace qbtest::catalogue;
using namespace qbtest::save;
using platform::RegistryValue;

TEST_F(SaveTest, SaveAllWritesEveryGroupsValuesInOrderUnderTheirNames) {
  const std::vector<Row> rows = allRows(c);
  for (int k = 0; k < 7; ++k) {
    SCOPED_TRACE("fill " + std::to_string(k));
    fill(c, rows, k);
    c.saveSettings(cgAll);
    expectStored(rows);
  }
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
  // Machine values are never written. Wine's shell folders write keys of
  // their own under Software\Microsoft into whatever HKEY_LOCAL_MACHINE the
  // process has, the tests' private one too.
  for (const auto& [path, key] : dump(HKLM))
    EXPECT_TRUE(path == "Software" || path.starts_with("Software\\Microsoft")) << path;
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
    // The last one made, where the system lists them so (Wine sorts them).
    if (!listsValuesSorted()) {
      EXPECT_EQ(stored.names.back(), advanced ? "DbgHook DisableSetLowLTFMap" : "EReplTextAlg");
    }
    if (advanced) {
      EXPECT_EQ(stored.values.at("DbgHook DisableKeyHook"), dword(1));
      EXPECT_EQ(stored.values.at("DbgHook DisableMsgHook"), dword(0));
    } else {
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
    EXPECT_EQ(files.names, asListed(tc.names));
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
  EXPECT_EQ(mru.names, asListed({"file 0", "file 3", "file 24"}));
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
  // Wine lists values sorted: there the same keys, names, types and bytes.
  if (listsValuesSorted()) EXPECT_EQ(parseRegMap(text), parseRegMap(golden));
  else EXPECT_EQ(text, golden);
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
  EXPECT_TRUE(keys.contains("Appearance"));
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
