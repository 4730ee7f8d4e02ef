// quillbray-reg --location: the hives for registry and flat; the settings
// file Quillbray.ini, through the store, for file and usb.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "tools/RegFileText.h"

namespace {

using namespace qbtest;
namespace fs = std::filesystem;

const std::string kProduct = "Software\\Corvellan\\Quillbray 4";
const std::string kUserKey = "HKCU\\" + kProduct;
const std::string kMachineKey = "HKLM\\" + kProduct;
const std::string kUserHeader = "[HKEY_CURRENT_USER\\" + kProduct;
const std::string kIni = "Corvellan/Quillbray 4/Quillbray.ini";

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Private hives and application-data folders; runs the tool (or a copy of it).
class RegLocation : public ::testing::Test {
 protected:
  RegLocation() {
    env_.set("HOME", home_.path().string());
    env_.set("XDG_CONFIG_HOME", home_.file("config"));
    env_.set("XDG_DATA_HOME", home_.file("data"));
    env_.set("XDG_CONFIG_DIRS", home_.file("etc") + ":" + home_.file("etc2"));
  }

  ProcessRun reg(std::vector<std::string> args, const std::string& program = QB_REG_TOOL) {
    args.insert(args.begin(), program);
    return runProcess(args, home_.path().string());
  }


 public:  // the tables of cases name them
  std::string roaming() const { return home_.file("config/" + kIni); }
  std::string nonRoaming() const { return home_.file("data/" + kIni); }
  std::string machine() const { return home_.file("etc/" + kIni); }

 protected:
  static std::string text(const std::string& file) { return fs::exists(file) ? readFile(file) : "<no file>"; }

  ScopedHives hives_;
  TempDir home_;
  ScopedEnv env_;
};

TEST_F(RegLocation, EachKeyLandsInItsScopesFileAndSection) {
  const struct {
    std::string root;
    std::vector<std::string> extra;  // switches
    std::string (RegLocation::*file)() const;
    std::string header;
  } cases[] = {
      {"HKCU", {}, &RegLocation::roaming, "[HKEY_CURRENT_USER\\"},
      {"HKCU", {"/nonroam"}, &RegLocation::nonRoaming, "[HKEY_CURRENT_USER\\"},
      {"HKLM", {}, &RegLocation::machine, "[HKEY_LOCAL_MACHINE\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.root + (c.extra.empty() ? "" : " " + c.extra[0]));
    const std::string key = c.root + "\\" + kProduct;
    const auto tool = [&](std::vector<std::string> args) {
      args.insert(args.end(), c.extra.begin(), c.extra.end());
      const ProcessRun run = reg(args);
      EXPECT_EQ(run.status, 0) << run.err;
      return run;
    };
    // The option before or after the verb, in both spellings.
    tool({"--location", "file", "add", key + "\\Logs", "/v", "Log Format", "/d", "yyyy mm", "/f"});
    tool({"add", key + "\\logs", "/v", "Count", "/t", "REG_DWORD", "/d", "0xFFFFFFFF", "/f", "--location=file"});
    tool({"add", key + "\\Logs", "--location", "FILE", "/v", "Data", "/t", "REG_BINARY", "/d", "0aff10", "/f"});
    tool({"--location", "file", "add", key, "/v", "Top", "/d", "level", "/f"});
    tool({"--location", "file", "add", key + "\\$Unknown\\My Group", "/v", "x", "/d", "1", "/f"});
    const std::string file = (this->*c.file)();
    EXPECT_EQ(text(file),
              "[Logs]\r\nLog Format=yyyy mm\r\nCount=-1\r\nData=0AFF10\r\n[Quillbray]\r\nTop=level\r\n"
              "[$Unknown\\My Group]\r\nx=1\r\n");

    ProcessRun run = tool({"--location", "file", "query", key + "\\Logs", "/v", "count"});
    const std::string display = c.header.substr(1) + kProduct;
    EXPECT_EQ(run.out, "\n" + display + "\\Logs\n    Count    REG_SZ    -1\n\n");

    // The product key lists its own values and the keys below it.
    run = tool({"--location", "file", "query", key});
    EXPECT_EQ(run.out, "\n" + display + "\n    Top    REG_SZ    level\n\n" + display + "\\$Unknown\n" + display +
                           "\\Logs\n");

    run = tool({"--location", "file", "export", key});
    EXPECT_EQ(run.out, "Windows Registry Editor Version 5.00\n\n" + c.header + kProduct + "]\n\"Top\"=\"level\"\n\n" +
                           c.header + kProduct + "\\$Unknown\\My Group]\n\"x\"=\"1\"\n\n" + c.header + kProduct +
                           "\\Logs]\n\"Log Format\"=\"yyyy mm\"\n\"Count\"=\"-1\"\n\"Data\"=\"0AFF10\"\n\n");

    tool({"--location", "file", "delete", key + "\\Logs", "/v", "COUNT", "/f"});
    tool({"--location", "file", "delete", key + "\\$Unknown", "/f"});
    EXPECT_EQ(text(file), "[Logs]\r\nLog Format=yyyy mm\r\nData=0AFF10\r\n[Quillbray]\r\nTop=level\r\n"
                          "[$Unknown\\My Group]\r\n");
    tool({"--location", "file", "delete", key, "/v", "top", "/f"});
    EXPECT_EQ(text(file), "[Logs]\r\nLog Format=yyyy mm\r\nData=0AFF10\r\n[Quillbray]\r\n[$Unknown\\My Group]\r\n");
    tool({"--location", "file", "delete", key, "/f"});
    EXPECT_EQ(text(file), "[Logs]\r\n[Quillbray]\r\n[$Unknown\\My Group]\r\n");
    fs::remove(file);
  }
  // Only the settings files were written: no hive was made.
  EXPECT_FALSE(fs::exists(hives_.user()));
  EXPECT_FALSE(fs::exists(hives_.machine()));
}

// A .reg file imported into the settings files, then read back by export:
// strings as they are, numbers as SetPrefInteger writes them, bytes as hex.
TEST_F(RegLocation, ImportLandsInTheFilesAndExportReadsItBack) {
  const std::string regFile = home_.file("in.reg");
  writeBytes(regFile,
             "Windows Registry Editor Version 5.00\r\n\r\n"
             "[HKEY_CURRENT_USER\\" + kProduct + "]\r\n\"Top\"=\"a \\\"quoted\\\" text\"\r\n\r\n"
             "[HKEY_CURRENT_USER\\" + kProduct + "\\Logs]\r\n\"Count\"=dword:0000000c\r\n\"Data\"=hex:0a,ff\r\n"
             "\"Gone\"=\"x\"\r\n\"Gone\"=-\r\n\r\n"
             "[HKEY_CURRENT_USER\\" + kProduct + "\\$Unknown\\My Group]\r\n\"Größe\"=\"€\"\r\n\r\n"
             "[HKEY_LOCAL_MACHINE\\" + kProduct + "\\Fonts]\r\n\"Script Font\"=\"Sans\"\r\n");
  ProcessRun run = reg({"--location", "file", "import", regFile});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(text(roaming()), "[Quillbray]\r\nTop=a \"quoted\" text\r\n[Logs]\r\nCount=12\r\nData=0AFF\r\n"
                             "[$Unknown\\My Group]\r\nGröße=€\r\n");
  EXPECT_EQ(text(machine()), "[Fonts]\r\nScript Font=Sans\r\n");
  EXPECT_FALSE(fs::exists(nonRoaming()));

  // /s walks the sections below; with /v it counts the matches.
  const std::string user = "HKEY_CURRENT_USER\\" + kProduct;
  run = reg({"--location", "file", "query", kUserKey, "/s"});
  EXPECT_EQ(run.out, "\n" + user + "\n    Top    REG_SZ    a \"quoted\" text\n\n" + user +
                         "\\$Unknown\\My Group\n    Größe    REG_SZ    €\n\n" + user +
                         "\\Logs\n    Count    REG_SZ    12\n    Data    REG_SZ    0AFF\n\n");
  run = reg({"--location", "file", "query", kUserKey, "/s", "/v", "count"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "\n" + user + "\\Logs\n    Count    REG_SZ    12\n\nEnd of search: 1 match(es) found.\n");

  const std::string expected = "Windows Registry Editor Version 5.00\n\n" + kUserHeader +
                               "]\n\"Top\"=\"a \\\"quoted\\\" text\"\n\n" + kUserHeader +
                               "\\$Unknown\\My Group]\n\"Größe\"=\"€\"\n\n" + kUserHeader +
                               "\\Logs]\n\"Count\"=\"12\"\n\"Data\"=\"0AFF\"\n\n";
  run = reg({"export", kUserKey, "--location", "file"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, expected);
  run = reg({"export", kUserKey, "-", "--location", "file"});
  EXPECT_EQ(run.out, expected);

  // export KEY FILE writes the UTF-16LE file; it imports back unchanged.
  const std::string out = home_.file("out.reg");
  run = reg({"--location", "file", "export", kUserKey, out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(out), quillbray::regFileBytes(expected));
  EXPECT_EQ(run.out, "The operation completed successfully.\n");
  writeBytes(out, "old");
  run = reg({"--location", "file", "export", kUserKey, out});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("exists; nothing was written"), std::string::npos) << run.err;
  EXPECT_EQ(readFile(out), "old");
  run = reg({"--location", "file", "export", kUserKey, out, "/y"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(out), quillbray::regFileBytes(expected));
  ASSERT_EQ(reg({"--location", "file", "delete", kUserKey, "/f"}).status, 0);
  run = reg({"--location", "file", "import", out});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(reg({"--location", "file", "export", kUserKey}).out, expected);

  // [-KEY] deletes the sections of the key and below it.
  writeBytes(regFile, "Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\" + kProduct + "\\$Unknown]\r\n");
  ASSERT_EQ(reg({"--location", "file", "import", regFile}).status, 0);
  EXPECT_EQ(reg({"--location", "file", "query", kUserKey + "\\$Unknown\\My Group"}).out,
            "\nHKEY_CURRENT_USER\\" + kProduct + "\\$Unknown\\My Group\n\n");
}

// A file edited by hand exports as the program reads it: the first of a
// duplicated section or name, one pair of quotes dropped, comments unseen.
TEST_F(RegLocation, HandWrittenFileExportsWhatTheProgramReads) {
  fs::create_directories(fs::path(roaming()).parent_path());
  writeBytes(roaming(), "; notes\n[logs]\nA=1\na=2\nB = 'quoted'\n[Logs]\nC=3\n[Quillbray]\nQ=\"x\"\n[]\nE=5\n");
  const ProcessRun run = reg({"--location", "file", "export", kUserKey});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Windows Registry Editor Version 5.00\n\n" + kUserHeader + "]\n\"Q\"=\"x\"\n\n" + kUserHeader +
                         "\\logs]\n\"A\"=\"1\"\n\"B\"=\"quoted\"\n\n");

  // A section no .reg key can name is left out, named, and the rest written.
  writeBytes(roaming(), "[Logs]\nA=1\n[Bad\\\\Name]\nB=2\n");
  const ProcessRun bad = reg({"--location", "file", "export", kUserKey});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "Windows Registry Editor Version 5.00\n\n" + kUserHeader + "]\n\n" + kUserHeader +
                         "\\Logs]\n\"A\"=\"1\"\n\n");
  EXPECT_NE(bad.err.find("left out: HKEY_CURRENT_USER\\" + kProduct + "\\Bad\\\\Name: the section's name holds an empty key name"),
            std::string::npos)
      << bad.err;
}

// usb: the file beside the program, whatever the key's root; a copy of the
// program in a folder of its own shows where.
TEST_F(RegLocation, UsbKeepsOneFileBesideTheProgram) {
  const TempDir bin;
  const std::string program = bin.file("quillbray-reg");
  fs::copy_file(QB_REG_TOOL, program);
  ProcessRun run = reg({"--location", "usb", "add", kUserKey + "\\Logs", "/v", "a", "/d", "user", "/f"}, program);
  ASSERT_EQ(run.status, 0) << run.err;
  run = reg({"add", kMachineKey + "\\Logs", "/v", "b", "/d", "machine", "/f", "--location=usb"}, program);
  ASSERT_EQ(run.status, 0) << run.err;
  run = reg({"add", kUserKey + "\\Logs", "/v", "c", "/d", "other", "/f", "/nonroam", "--location=usb"}, program);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(text(bin.file("Quillbray.ini")), "[Logs]\r\na=user\r\nb=machine\r\nc=other\r\n");
  for (const std::string& f : {roaming(), nonRoaming(), machine()}) EXPECT_FALSE(fs::exists(f)) << f;
  run = reg({"--location", "usb", "query", kMachineKey + "\\Logs", "/v", "a"}, program);
  EXPECT_EQ(run.out, "\nHKEY_LOCAL_MACHINE\\" + kProduct + "\\Logs\n    a    REG_SZ    user\n\n");
}

// What the tool refuses, and that a refusal writes nothing.
TEST_F(RegLocation, RefusalsWriteNothing) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--location", "disk", "query", kUserKey}, 1, "unknown location 'disk': use registry, flat, file or usb"},
      {{"query", kUserKey, "--location"}, 1, "--location needs a name"},
      {{"--location", "file", "query", kUserKey, "--location", "usb"}, 1, "--location is given twice"},
      {{"--location", "file", "add", "HKCU\\Software\\Other", "/v", "a", "/d", "1", "/f"}, 1,
       "the settings file holds only the product's keys: 'HKCU\\Software\\Other'"},
      {{"--location", "file", "query", "HKCU"}, 1, "the settings file holds only the product's keys"},
      {{"--location", "usb", "export", "HKLM\\Software\\Corvellan"}, 1, "the settings file holds only the product's keys"},
      {{"--location", "file", "add", kUserKey + "\\Quillbray", "/v", "a", "/f"}, 1, "has no section of its own"},
      {{"query", kUserKey, "/nonroam"}, 1, "/nonroam goes with --location file or usb"},
      {{"--location", "flat", "query", kUserKey, "/NONROAM"}, 1, "/nonroam goes with --location file or usb"},
      {{"--location", "file", "add", kMachineKey, "/v", "a", "/f", "/nonroam"}, 1, "/nonroam goes with HKCU keys"},
      {{"--location", "file", "add", kUserKey + "\\Logs", "/v", "Big", "/t", "REG_QWORD", "/d", "1", "/f"}, 1,
       "value \"Big\": its type REG_QWORD has no form in the settings file"},
      {{"--location", "file", "add", kUserKey + "\\Logs", "/v", "List", "/t", "REG_MULTI_SZ", "/d", "a", "/f"}, 1,
       "value \"List\": its type REG_MULTI_SZ"},
      {{"--location", "file", "add", kUserKey + "\\Logs", "/ve", "/d", "x", "/f"}, 1,
       "value @: the settings file has no default value"},
      {{"--location", "file", "add", kUserKey + "\\Logs", "/v", "a=b", "/d", "x", "/f"}, 1, "holds \"=\""},
      // What the store could not read back.
      {{"--location", "file", "add", kUserKey + "\\General", "/v", "Prefix", "/d", std::string(3000, 'p'), "/f"}, 1,
       "value \"Prefix\": its text is 3000 bytes long; at most 2047 bytes of a value are read back"},
      {{"--location", "file", "add", kUserKey + "\\General", "/v", std::string(17'000, 'n'), "/d", "x", "/f"}, 1,
       "the name does not fit in the list of a section's names"},
      {{"--location", "file", "query", kUserKey + "\\Missing"}, 1, "no such key: HKEY_CURRENT_USER\\" + kProduct},
      {{"--location", "file", "export-config", home_.file("c.xml")}, 1, "export-config reads the hives only"},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    SCOPED_TRACE(line);
    const ProcessRun run = reg(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  for (const std::string& f : {roaming(), nonRoaming(), machine(), home_.file("c.xml")}) EXPECT_FALSE(fs::exists(f)) << f;
  EXPECT_FALSE(fs::exists(hives_.user()));
}

// The store's error box, said as one message: the program and the
// operation named once.
TEST_F(RegLocation, AStoreErrorNamesTheProgramAndTheOperationOnce) {
  fs::create_directories(roaming());  // a folder where the file should be
  const ProcessRun run = reg({"--location", "file", "add", kUserKey + "\\Logs", "/v", "X", "/d", "1", "/f"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quillbray-reg: Error: SetPrefString: Cannot read " + roaming() + "\nnot a regular file\n");
}

// An import is checked whole before the first write: a value of a type the
// file cannot keep, or a key outside the product key, changes nothing.
TEST_F(RegLocation, FaultyImportChangesNothing) {
  ASSERT_EQ(reg({"--location", "file", "add", kUserKey + "\\Logs", "/v", "Keep", "/d", "old", "/f"}).status, 0);
  const std::string before = text(roaming());
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + kProduct +
                           "\\Logs]\r\n\"Keep\"=\"new\"\r\n\"More\"=dword:00000001\r\n";
  const struct {
    std::string tail;
    std::string message;
  } cases[] = {
      {"\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n", "value \"Wide\": its type REG_QWORD has no form"},
      {"\"Path\"=hex(2):41,00,00,00\r\n", "value \"Path\": its type REG_EXPAND_SZ"},
      {"@=\"x\"\r\n", "value @: the settings file has no default value"},
      {"\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n\"a\"=\"b\"\r\n", "holds only the product's keys"},
      {"\r\n[HKEY_LOCAL_MACHINE\\" + kProduct + "\\Logs]\r\n\"x\"=hex(7):00,00\r\n", "its type REG_MULTI_SZ"},
  };
  const std::string regFile = home_.file("bad.reg");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    writeBytes(regFile, head + c.tail);
    const ProcessRun run = reg({"--location", "file", "import", regFile});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing was imported"), std::string::npos) << run.err;
    EXPECT_EQ(text(roaming()), before);
    EXPECT_FALSE(fs::exists(machine()));
  }
}

// A .reg file touching the per-user and the machine's file writes neither
// when one of them cannot be written.
TEST_F(RegLocation, ImportWritesNoFileWhenOneCannotBeWritten) {
  const std::string regFile = home_.file("both.reg");
  writeBytes(regFile, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + kProduct +
                          "\\Logs]\r\n\"a\"=\"1\"\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kProduct +
                          "\\Logs]\r\n\"b\"=\"2\"\r\n");
  const struct {
    const char* what;
    std::function<void()> spoil;
    std::string message;
  } cases[] = {
      {"machine file not text",
       [&] {
         fs::create_directories(fs::path(machine()).parent_path());
         writeBytes(machine(), std::string("[Logs]\r\nb=\0\r\n", 14));
       },
       "the file is not text"},
      {"machine folder under a file",
       [&] { writeBytes(home_.file("plain"), "x"); },
       "Not a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedEnv env;
    if (std::string(c.what) == "machine folder under a file") env.set("XDG_CONFIG_DIRS", home_.file("plain"));
    c.spoil();
    const std::string machineBefore = text(machine());
    const ProcessRun run = reg({"--location", "file", "import", regFile});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Unable to write to "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("; nothing was imported"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(roaming()));
    EXPECT_EQ(text(machine()), machineBefore);
  }
}

// registry and flat both work on the hives, as without the option.
TEST_F(RegLocation, RegistryAndFlatUseTheHives) {
  for (const std::string location : {"registry", "flat"}) {
    SCOPED_TRACE(location);
    ProcessRun run = reg({"--location", location, "add", kUserKey + "\\Logs", "/v", location, "/d", "x", "/f"});
    ASSERT_EQ(run.status, 0) << run.err;
    run = reg({"query", kUserKey + "\\Logs", "/v", location});
    EXPECT_EQ(run.status, 0) << run.err;
  }
  EXPECT_TRUE(fs::exists(hives_.user()));
  EXPECT_FALSE(fs::exists(roaming()));
}

}  // namespace
