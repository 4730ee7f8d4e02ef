// The store in the settings-file locations, on real files: where the file
// lives, the value texts of every kind, sections, deleting, the catalogue's
// full save against a checked-in file, and one rewrite per batch.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <fstream>
#include <map>

#include "CatalogueFill.h"
#include "StoreFixture.h"
#include "platform/IniFile.h"
#include "platform/ProgramFile.h"
#include "settings/ConfigManager.h"

namespace {

using namespace quillbray;
using namespace qbtest;

class FilePrefsTest : public ::testing::Test {
 protected:
  FilePrefsTest() {
    env.set("XDG_CONFIG_HOME", roaming());
    env.set("XDG_DATA_HOME", local());
    env.set("XDG_CONFIG_DIRS", machine() + ":/etc/xdg");
    PrefLocation = plFile;
  }
  void TearDown() override {
    PrefLocation = plRegistry;
    SetMachineWidePrefsReader(nullptr);
    platform::setIniWriteHooks({});
  }
  std::string roaming() const { return dir.file("roaming"); }
  std::string local() const { return dir.file("local"); }
  std::string machine() const { return dir.file("machine"); }
  std::string fileIn(const std::string& base) const { return base + "/Corvellan/Quillbray 4/Quillbray.ini"; }
  std::string userFile() const { return fileIn(roaming()); }
  void open(TDataScope scope = cfgPerUserRoam) { ASSERT_TRUE(store.OpenPref(scope, kLogsKey, true, false)); }
  std::string text() { return std::filesystem::exists(userFile()) ? readFile(userFile()) : "<none>"; }
  void writeUserFile(const std::string& bytes) {
    std::filesystem::create_directories(roaming() + "/Corvellan/Quillbray 4");
    std::ofstream(userFile(), std::ios::binary | std::ios::trunc) << bytes;
  }

  TempDir dir;
  ScopedEnv env;
  ScopedHives hives;
  BoxRecorder boxes;
  TConfigBase store;
};

TEST_F(FilePrefsTest, OpeningMakesTheFolderAndTheFirstWriteTheFile) {
  open();
  EXPECT_TRUE(std::filesystem::is_directory(roaming() + "/Corvellan/Quillbray 4"));
  EXPECT_EQ(store.IniFolder, roaming() + "/Corvellan/Quillbray 4/");
  EXPECT_EQ(store.IniFileName, "Quillbray.ini");
  EXPECT_FALSE(std::filesystem::exists(userFile()));
  store.SetPrefInteger("Logs", "Backup Count", 5);
  store.ClosePref();
  EXPECT_EQ(text(), "[Logs]\r\nBackup Count=5\r\n");
  EXPECT_EQ(store.IniFolder, "");
  EXPECT_EQ(store.IniFileName, "Quillbray.ini");
  EXPECT_FALSE(store.IniFile);
  open();  // the folder is computed again
  EXPECT_EQ(store.IniFolder, roaming() + "/Corvellan/Quillbray 4/");
  store.ClosePref();
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FilePrefsTest, TheFolderFollowsTheScopeAndMachineWidePrefs) {
  const struct {
    TDataScope scope;
    bool machineWide;
    std::string base;
  } cases[] = {
      {cfgPerUserRoam, false, roaming()},   {cfgPerUserNonRoam, false, local()}, {cfgPerMachine, false, machine()},
      {cfgPerUserRoam, true, machine()},    {cfgPerUserNonRoam, true, machine()}, {cfgPerMachine, true, machine()},
  };
  static bool machineWide = false;
  SetMachineWidePrefsReader([] { return machineWide; });
  for (const auto& tc : cases) {
    SCOPED_TRACE(std::to_string(tc.scope) + (tc.machineWide ? " machine-wide" : ""));
    machineWide = tc.machineWide;
    open(tc.scope);
    EXPECT_EQ(store.MachineWide, tc.machineWide);
    EXPECT_EQ(store.IniFolder, tc.base + "/Corvellan/Quillbray 4/");
    store.SetPrefString("", "Where", tc.base);
    store.ClosePref();
    EXPECT_EQ(readFile(fileIn(tc.base)), "[Quillbray]\r\nWhere=" + tc.base + "\r\n");
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FilePrefsTest, EveryKindIsWrittenAsItsTextAndReadBack) {
  open();
  const std::uint8_t bytes[] = {0x00, 0xAB, 0x10};
  store.SetPrefInteger("Numbers", "Negative", -12);
  store.SetPrefInteger("Numbers", "Lowest", INT_MIN);
  store.SetPrefInteger("Numbers", "Zero", 0);
  store.SetPrefBooleanProc("Flags", "On", true);
  store.SetPrefBooleanProc("Flags", "Off", false);
  store.SetPrefString("Texts", "Plain", "a = b ; c");
  store.SetPrefString("Texts", "Empty", "");
  store.SetPrefBinaryProc("Bytes", "Three", bytes);
  store.SetPrefBinaryProc("Bytes", "None", {});
  EXPECT_EQ(store.PrefSlots.GetPrefInteger("Numbers", "Negative", 0), -12);
  store.ClosePref();
  EXPECT_EQ(text(),
            "[Numbers]\r\nNegative=-12\r\nLowest=-2147483648\r\nZero=0\r\n"
            "[Flags]\r\nOn=1\r\nOff=0\r\n"
            "[Texts]\r\nPlain=a = b ; c\r\nEmpty=\r\n"
            "[Bytes]\r\nThree=00AB10\r\nNone=\r\n");

  open();  // read back from the file
  auto& s = store.PrefSlots;
  EXPECT_EQ(s.GetPrefInteger("numbers", "negative", 0), -12);
  EXPECT_EQ(s.GetPrefInteger("Numbers", "Lowest", 0), INT_MIN);
  EXPECT_EQ(s.GetPrefInteger("Numbers", "Missing", 77), 77);
  EXPECT_TRUE(s.GetPrefBoolean("Flags", "On", false));
  EXPECT_FALSE(s.GetPrefBoolean("Flags", "Off", true));
  EXPECT_TRUE(s.GetPrefBoolean("Flags", "Missing", true));
  EXPECT_EQ(s.GetPrefString("Texts", "Plain", "d"), "a = b ; c");
  EXPECT_EQ(s.GetPrefString("Texts", "Empty", "d"), "");
  EXPECT_EQ(s.GetPrefString("Texts", "Missing", "d"), "d");
  std::uint8_t buffer[3] = {9, 9, 9};
  EXPECT_EQ(s.GetPrefBinary("Bytes", "Three", buffer), 3);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 3), std::vector<std::uint8_t>(bytes, bytes + 3));
  std::uint8_t untouched[2] = {7, 7};
  EXPECT_EQ(s.GetPrefBinary("Bytes", "None", untouched), 0);
  EXPECT_EQ(s.GetPrefBinary("Bytes", "Missing", untouched), 0);
  EXPECT_EQ(untouched[0], 7);
  store.ClosePref();
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FilePrefsTest, BinaryTooLargeForTheBufferIsABufferOverflow) {
  writeUserFile("[b]\r\nv=00AB10\r\n");
  open();
  std::uint8_t small[2] = {7, 7};
  try {
    store.PrefSlots.GetPrefBinary("b", "v", small);
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "Buffer overflow: GetPrefBinary_File");
  }
  EXPECT_EQ(small[0], 7);
  EXPECT_EQ(store.GetPrefBinary("b", "v", small), -1);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "GetPrefBinary: Buffer overflow: GetPrefBinary_File");
  store.ClosePref();
}

TEST_F(FilePrefsTest, BinaryTextsDecode) {
  const struct {
    const char* text;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"00ab10", {0x00, 0xAB, 0x10}},       // lower case
      {"00AB1", {0x00, 0xAB}},              // the odd digit is ignored
      {"0", {}},
      {"FFG1AB", {0xFF, 0x00, 0x00}},       // stops at the first pair that is not hexadecimal
      {"\"0102\"", {0x01, 0x02}},           // quotes dropped as for any string
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.text);
    writeUserFile(std::string("[b]\r\nv=") + tc.text + "\r\n");
    open();
    std::uint8_t buffer[8] = {};
    const std::int32_t n = store.PrefSlots.GetPrefBinary("b", "v", buffer);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + n), tc.bytes);
    store.ClosePref();
  }
}

TEST_F(FilePrefsTest, IntegerAndBooleanTexts) {
  const struct {
    const char* text;
    std::int32_t integer;  // with the default -7
  } cases[] = {
      {"$1F", 31},   {"0x1F", 31},          {"0X1f", 31},          {"x1F", 31},         {"X1f", 31},
      {"12abc", -7}, {"12", 12},            {"+12", 12},           {"-12", -12},        {"  42", 42},
      {"", -7},      {"$", -7},             {"0x", -7},            {"+", -7},           {"1 2", -7},
      {"2147483647", INT_MAX},              {"2147483648", -7},    {"-2147483648", INT_MIN},
      {"$FFFFFFFF", -1},                    {"$100000000", -7},    {"-$10", -16},       {"\"5\"", 5},
      {"1.5", -7},   {"0x-1", -7},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.text);
    writeUserFile(std::string("[n]\r\nv=") + tc.text + "\r\n");
    open();
    EXPECT_EQ(store.PrefSlots.GetPrefInteger("n", "v", -7), tc.integer);
    EXPECT_EQ(store.PrefSlots.GetPrefBoolean("n", "v", true), tc.integer != 0);
    EXPECT_EQ(store.PrefSlots.GetPrefBoolean("n", "v", false), tc.integer == -7 ? false : tc.integer != 0);
    store.ClosePref();
  }
}

TEST_F(FilePrefsTest, StringsAreReadUpTo2047Bytes) {
  const std::string longText = std::string(2046, 'a') + "\xC3\xA9" + "tail";
  writeUserFile("[s]\r\nv=" + longText + "\r\n");
  open();
  EXPECT_EQ(store.PrefSlots.GetPrefString("s", "v", ""), std::string(2046, 'a'));  // not cut inside é
  store.ClosePref();
}

TEST_F(FilePrefsTest, AnEmptyGroupIsTheQuillbraySection) {
  EXPECT_EQ(PrefSectionName(""), "Quillbray");
  EXPECT_EQ(PrefSectionName("Logs"), "Logs");
  open();
  store.SetPrefInteger("", "Uses", 3);
  EXPECT_EQ(store.PrefSlots.GetPrefInteger("Quillbray", "Uses", 0), 3);
  store.ClosePref();
  EXPECT_EQ(text(), "[Quillbray]\r\nUses=3\r\n");
}

TEST_F(FilePrefsTest, NamesKeepFileOrderAndMatchWithoutLetterCase) {
  open();
  for (const char* name : {"Zulu", "alpha", "Mike"}) store.SetPrefInteger("Logs", name, 1);
  store.SetPrefInteger("LOGS", "ZULU", 2);  // the entry keeps its place and spelling
  std::vector<std::string> names = {"stale"};
  store.PrefSlots.GetPrefValueNames("x", "logs", names);
  EXPECT_EQ(names, (std::vector<std::string>{"Zulu", "alpha", "Mike"}));
  store.ClosePref();
  EXPECT_EQ(text(), "[Logs]\r\nZulu=2\r\nalpha=1\r\nMike=1\r\n");
}

TEST_F(FilePrefsTest, DeletingValuesAndClearingASection) {
  writeUserFile("[Files]\r\nfile 0=a\r\n; kept\r\nfile 1=b\r\n[Other]\r\nx=1\r\n");
  open();
  EXPECT_TRUE(store.DeletePrefValue("Files", "missing"));
  EXPECT_TRUE(store.DeletePrefValue("files", "FILE 0"));
  EXPECT_TRUE(store.DeletePrefValue("No Such Section", "x"));
  EXPECT_TRUE(store.DeletePrefKey("Other"));
  EXPECT_TRUE(store.DeletePrefKey("Never There"));
  std::vector<std::string> names = {"stale"};
  store.PrefSlots.GetPrefValueNames("", "Other", names);
  EXPECT_TRUE(names.empty());
  store.ClosePref();
  EXPECT_EQ(text(), "[Files]\r\n; kept\r\nfile 1=b\r\n[Other]\r\n");
  EXPECT_TRUE(boxes.boxes.empty());
}

// Clearing a section deletes its duplicate entries one after the other; the
// header stays, a duplicate section after it stays unseen, and a write goes
// back under the first header.
TEST_F(FilePrefsTest, AClearedSectionWithDuplicatesIsWrittenAgainInPlace) {
  writeUserFile("[Files]\r\nf=1\r\nF=2\r\n; kept\r\n[files]\r\nf=3\r\n[Other]\r\nx=1\r\n");
  open();
  EXPECT_TRUE(store.DeletePrefKey("FILES"));
  EXPECT_EQ(store.PrefSlots.GetPrefString("Files", "f", "none"), "none");
  store.SetPrefString("files", "F", "new");
  EXPECT_EQ(store.PrefSlots.GetPrefString("Files", "f", "none"), "new");
  store.ClosePref();
  EXPECT_EQ(text(), "[Files]\r\n; kept\r\nF=new\r\n[files]\r\nf=3\r\n[Other]\r\nx=1\r\n");
  EXPECT_TRUE(boxes.boxes.empty());
}

// The listing holds what fits in 16384 bytes, each name with a zero byte and
// one byte closing the list; clearing a section still clears all of it.
TEST_F(FilePrefsTest, TheNameListStopsAt16384Bytes) {
  std::string file = "[Big]\r\n";
  for (int i = 0; i < 2000; ++i) file += "name " + std::to_string(1000 + i) + "=x\r\n";  // 10 bytes with the zero
  writeUserFile(file);
  open();
  std::vector<std::string> names;
  store.PrefSlots.GetPrefValueNames("", "Big", names);
  ASSERT_EQ(names.size(), 1638u);  // 1638 * 10 = 16380 <= 16383 < 16390
  EXPECT_EQ(names.back(), "name 2637");
  EXPECT_TRUE(store.DeletePrefKey("Big"));
  store.PrefSlots.GetPrefValueNames("", "Big", names);
  EXPECT_TRUE(names.empty());
  store.ClosePref();
  EXPECT_EQ(text(), "[Big]\r\n");

  EXPECT_EQ(NamesWithinBuffer({std::string(16382, 'n')}).size(), 1u);
  EXPECT_EQ(NamesWithinBuffer({std::string(16383, 'n')}).size(), 0u);
}

// What reading could not give back is refused with the value's name, and the
// file keeps what it held: a string longer than the read buffer, and a new
// name past the section's name list (which would hide it and every later
// name). A name the section has can still be written.
TEST_F(FilePrefsTest, WhatWouldNotReadBackIsRefusedNamingTheValue) {
  std::string full = "[Big]\r\n";
  for (int i = 0; i < 1638; ++i) full += "name " + std::to_string(1000 + i) + "=x\r\n";  // 16380 bytes with the zeros
  writeUserFile(full + "[Logs]\r\nx=1\r\n");
  const std::string refused = "Unable to write to " + userFile() + "\r\n";
  const struct {
    const char* what;
    std::function<void()> write;
    std::string message;  // after the slot's name and `refused`; empty when written
  } cases[] = {
      {"a string of 2047 bytes", [&] { store.SetPrefString("Logs", "Prefix", std::string(2047, 'p')); }, ""},
      {"a string of 2048 bytes", [&] { store.SetPrefString("Logs", "Prefix", std::string(2048, 'p')); },
       "the value 'Prefix' is 2048 bytes long; at most 2047 bytes of a value are read back"},
      {"a name that fills the list", [&] { store.SetPrefInteger("Big", "n", 1); }, ""},
      {"a name past the list", [&] { store.SetPrefBooleanProc("Big", "o", true); },
       "the value name 'o' does not fit in the list of the section's names, which is read into 16384 bytes (each "
       "name followed by a zero byte), so the value could not be read back"},
      {"a name the section has", [&] { store.SetPrefBinaryProc("Big", "name 2637", std::vector<std::uint8_t>{1}); },
       ""},
      {"a name longer than the list", [&] { store.SetPrefInteger("Logs", std::string(17'000, 'N'), 1); },
       "the value name '" + std::string(40, 'N') + "...' does not fit in the list of the section's names"},
  };
  open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.boxes.clear();
    c.write();
    if (c.message.empty()) {
      EXPECT_TRUE(boxes.boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const std::string& text = boxes.boxes[0].text;
    const std::size_t at = text.find(refused);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.substr(at + refused.size(), c.message.size()), c.message);
  }
  store.ClosePref();
  open();
  EXPECT_EQ(store.GetPrefString("Logs", "Prefix", ""), std::string(2047, 'p'));
  std::vector<std::string> names;
  store.PrefSlots.GetPrefValueNames("", "Big", names);
  EXPECT_EQ(names.size(), 1639u);
  EXPECT_EQ(names.back(), "n");
  store.PrefSlots.GetPrefValueNames("", "Logs", names);
  EXPECT_EQ(names, (std::vector<std::string>{"x", "Prefix"}));
  store.ClosePref();
}

// A name too long for the name list is cleared with its section all the
// same; other sections stay.
TEST_F(FilePrefsTest, ClearingASectionDeletesNamesLongerThanTheNameList) {
  const std::string longName(kSectionNamesBufferBytes + 100, 'n');
  writeUserFile("[Big]\r\n" + longName + "=1\r\nshort=2\r\n" + longName + "=3\r\n[Other]\r\nx=1\r\n");
  open();
  std::vector<std::string> names;
  store.PrefSlots.GetPrefValueNames("", "Big", names);
  EXPECT_TRUE(names.empty());  // the first name does not fit: the listing is empty
  EXPECT_TRUE(store.DeletePrefKey("Big"));
  store.ClosePref();
  EXPECT_EQ(text(), "[Big]\r\n[Other]\r\nx=1\r\n");
}

TEST_F(FilePrefsTest, AnUnwritableFileShowsUnableToWrite) {
  writeUserFile("[Logs]\r\nx=1\r\n");
  const std::string folder = roaming() + "/Corvellan/Quillbray 4";
  const bool root = ::geteuid() == 0;
  for (const std::string& p : {dir.path().string(), roaming(), roaming() + "/Corvellan"}) ::chmod(p.c_str(), 0755);
  ::chmod(folder.c_str(), 0555);
  ::chmod(userFile().c_str(), 0444);
  const std::string file = userFile();
  const int result = runInChild([&] {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
    BoxRecorder childBoxes;
    TConfigBase s;
    if (!s.OpenPref(cfgPerUserRoam, kLogsKey, true, false)) return 11;
    if (s.PrefSlots.GetPrefInteger("Logs", "x", 0) != 1) return 12;  // reading still works
    s.SetPrefInteger("Logs", "y", 2);
    s.ClosePref();
    if (childBoxes.boxes.size() != 1) return 13;
    const auto& box = childBoxes.boxes[0];
    if (box.caption != qbtest::storeCaption("Error: SetPrefInteger")) return 14;
    if (box.text.rfind("SetPrefInteger: Unable to write to " + file + "\r\n", 0) != 0) return 15;
    return 0;
  });
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(readFile(file), "[Logs]\r\nx=1\r\n");
}

// A file refused at the end of a batch is reported in the ClosePref box.
TEST_F(FilePrefsTest, AFailedWriteAtTheEndOfABatchShowsInTheClosePrefBox) {
  {
    TPrefBatch batch(store);
    open();
    store.SetPrefInteger("Logs", "x", 1);
    store.ClosePref();
    // The folder goes away before the batch writes.
    std::filesystem::remove_all(roaming() + "/Corvellan");
  }
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("Error: ClosePref"));
  EXPECT_EQ(boxes.boxes[0].text.rfind("ClosePref: Unable to write to " + userFile() + "\r\n", 0), 0u)
      << boxes.boxes[0].text;
}

// The half of the test below that runs in the copy of this program (with
// QB_USB_CHILD set): the writing, beside the copy.
void writeBesideTheProgram() {
  BoxRecorder boxes;
  PrefLocation = plOnUSB;
  TConfigBase store;
  const std::string folder = platform::programFilePath().substr(0, platform::programFilePath().rfind('/') + 1);
  ASSERT_TRUE(store.OpenPref(cfgPerUserRoam, kLogsKey, true, false));
  EXPECT_TRUE(store.MachineWide);
  EXPECT_EQ(store.IniFolder, folder);
  store.SetPrefInteger("Logs", "Roam", 1);
  ASSERT_TRUE(store.OpenPref(cfgPerUserNonRoam, "Software\\Elsewhere", true, false));
  store.SetPrefInteger("Other", "Local", 2);
  ASSERT_TRUE(store.OpenPref(cfgPerMachine, kLogsKey, true, false));
  store.SetPrefInteger("Logs", "Machine", 3);
  store.ClosePref();
  EXPECT_TRUE(boxes.boxes.empty());
  PrefLocation = plRegistry;
}

// The portable location: the file beside the program, for every scope and
// key. A copy of this test program in a temporary folder runs this same test
// in its child mode, which does the writing; the child is no test of its own.
TEST_F(FilePrefsTest, OnUSBTheFileLiesBesideTheProgram) {
  if (std::getenv("QB_USB_CHILD")) {
    writeBesideTheProgram();
    return;
  }
  const std::string copy = dir.file("portable/qbtest");
  std::filesystem::create_directories(dir.file("portable"));
  std::filesystem::copy_file(platform::programFilePath(), copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("QB_USB_CHILD", "1", 1);
    ::execl(copy.c_str(), copy.c_str(), "--gtest_filter=FilePrefsTest.OnUSBTheFileLiesBesideTheProgram",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(readFile(dir.file("portable/Quillbray.ini")), "[Logs]\r\nRoam=1\r\nMachine=3\r\n[Other]\r\nLocal=2\r\n");
  EXPECT_FALSE(std::filesystem::exists(roaming()));
  EXPECT_FALSE(std::filesystem::exists(machine()));
}

// ---------------------------------------------------------------------------
// The catalogue's full save.

class FileSaveTest : public FilePrefsTest {
 protected:
  TConfigManager c;
};

// The settings file of a full save, as checked in. The window-layout
// section carries this test program's name; the fixture names it Quillbray.
TEST_F(FileSaveTest, AFullSaveWritesTheGoldenFile) {
  using namespace qbtest::catalogue;
  fill(c, allRows(c), 0);
  c.saveSettings(cgAll);
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
  std::string file = text();
  const std::string own = "[" + windowsKey() + "]";
  const auto at = file.find(own);
  ASSERT_NE(at, std::string::npos) << file;
  file.replace(at, own.size(), "[Windows\\Quillbray_MainWin]");
  // QB_WRITE_GOLDEN=<folder> writes this run's files there, to renew the fixtures.
  if (std::getenv("QB_WRITE_GOLDEN")) {
    std::ofstream(std::string(std::getenv("QB_WRITE_GOLDEN")) + "/save-all.ini", std::ios::binary) << file;
    std::ofstream(std::string(std::getenv("QB_WRITE_GOLDEN")) + "/save-all-local.ini", std::ios::binary)
        << readFile(fileIn(local()));
  }
  EXPECT_EQ(file, readFile(std::string(QB_FIXTURES) + "/save-all.ini"));
  // The file paths belong to this machine: the local file holds them.
  EXPECT_EQ(readFile(fileIn(local())), readFile(std::string(QB_FIXTURES) + "/save-all-local.ini"));
}

// Each value of the save reads back through the file set as it was saved.
TEST_F(FileSaveTest, AFullSaveReadsBackValueByValue) {
  using namespace qbtest::catalogue;
  const auto rows = allRows(c);
  fill(c, rows, 3);
  c.saveSettings(cgAll);
  for (const Row& row : rows) {
    const platform::RegistryValue want = expected(row);
    // The section is the group the catalogue names: its sub-key as it is
    // spelt there. "First Time" goes with the product key's group.
    std::string group = row.key;
    if (group == "$Temp\\Search History") group = "$Temp\\\\Search History";
    if (row.name == "First Time") group = "";
    SCOPED_TRACE(group + ": " + row.name);
    open(row.key == "File Paths" ? cfgPerUserNonRoam : cfgPerUserRoam);
    if (want.type == platform::REG_DWORD) {
      std::int32_t n = 0;
      std::memcpy(&n, want.data.data(), 4);
      EXPECT_EQ(store.PrefSlots.GetPrefInteger(group, row.name, n == 0 ? 1 : 0), n);
    } else {
      // Values read back as they were saved, blanks at their ends too.
      const std::string s(want.data.begin(), want.data.end() - 1);
      EXPECT_EQ(store.PrefSlots.GetPrefString(group, row.name, "<missing>"), s);
    }
    store.ClosePref();
  }
}

// A whole save is one batch: each file is replaced once, not once per group
// (the file paths go to the local file, everything else to the roaming one).
TEST_F(FileSaveTest, AFullSaveRewritesTheFileOnce) {
  std::map<std::string, int> replaced;
  int renames = 0;
  platform::setIniWriteHooks({{}, [&](const std::string& file) {
                                ++replaced[file];
                                ++renames;
                              }});
  writeUserFile("; the user's own note\r\n[Logs]\r\nForeign=1\r\n");
  c.saveSettings(cgAll);
  EXPECT_EQ(replaced, (std::map<std::string, int>{{fileIn(local()), 1}, {userFile(), 1}}));
  const std::string after = text();
  EXPECT_EQ(after.rfind("; the user's own note\r\n[Logs]\r\nForeign=1\r\n", 0), 0u);
  // A save of one group writes when its values changed.
  c.saveSettings(cgLogs);
  c.saveSettings(cgDelays);
  EXPECT_EQ(renames, 2);  // unchanged values: nothing to replace
  c.LogFormat = "changed";
  c.TextDelay = 99;
  c.saveSettings(cgLogs);
  c.saveSettings(cgDelays);
  EXPECT_EQ(renames, 4);
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
