// quillbray-reg's verbs: query, add, delete, export to a file, import.
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <tuple>
#include <algorithm>

#include "RegValues.h"
#include "StoreFixture.h"
#include "tools/RegData.h"
#include "tools/RegFileText.h"
#include "tools/RegImport.h"

namespace {

using namespace qbtest;
using platform::RegistryValue;
using quillbray::RegChange;

using Outcome = ProcessRun;

// Runs the real program as a user would, with no terminal on standard input.
Outcome reg(const std::string& args) {
  return runShell(std::string(QB_REG_TOOL) + " " + args + " </dev/null");
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every value of a key and below, in order: "path|name" and the value.
using Tree = std::vector<std::pair<std::string, RegistryValue>>;
void collect(platform::RegistryKey& key, const std::string& path, Tree& out) {
  for (const std::string& n : key.valueNames()) out.emplace_back(path + "|" + n, *key.queryValue(n));
  for (const std::string& s : key.subKeyNames()) {
    out.emplace_back(path + "\\" + s, RegistryValue{});
    collect(*key.openChild(s), path + "\\" + s, out);
  }
}
Tree tree(platform::RegistryRoot root, const std::string& path) {
  Tree out;
  if (auto k = platform::registry().openKey(root, path, platform::KeyAccess::Read, false)) collect(*k, path, out);
  return out;
}

// A faulty file changes nothing, even where its first lines were good.
TEST(RegTool, ImportOfAFaultyFileChangesNothing) {
  ScopedHives hives;
  seed(HKCU, "Software\\Keep", "v", dword(1));
  const TempDir dir;
  const std::string file = dir.file("bad.reg");
  writeBytes(file, "Windows Registry Editor Version 5.00\n\n[-HKEY_CURRENT_USER\\Software\\Keep]\n"
                   "[HKEY_CURRENT_USER\\Software\\New]\n\"a\"=dword:1\n\"b\"=hex:0g\n");
  const Tree before = tree(HKCU, "Software");
  const Outcome run = reg("import '" + file + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quillbray-reg: " + file + ": line 6: bad hex digits '0g'\n");
  EXPECT_EQ(tree(HKCU, "Software"), before);

  // Too large: refused before it is read.
  const std::string huge = dir.file("huge.reg");
  writeBytes(huge, "Windows Registry Editor Version 5.00\n");
  std::filesystem::resize_file(huge, 100u << 20);
  const Outcome big = reg("import '" + huge + "'");
  EXPECT_EQ(big.status, 1);
  EXPECT_NE(big.err.find("at most 67108864 bytes"), std::string::npos) << big.err;
  EXPECT_EQ(tree(HKCU, "Software"), before);

  EXPECT_EQ(reg("import '" + dir.file("none.reg") + "'").status, 1);
}

TEST(RegTool, ImportAppliesDeletesAndValues) {
  ScopedHives hives;
  seed(HKCU, "Software\\A", "Old", dword(1));
  seed(HKCU, "Software\\A", "Keep", dword(2));
  seed(HKCU, "Software\\Gone\\Deep", "x", dword(3));
  const TempDir dir;
  const std::string file = dir.file("a.reg");
  writeBytes(file, utf16("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"
                         "\"Old\"=-\r\n\"New\"=\"n\"\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
                         "[HKEY_LOCAL_MACHINE\\Software\\M]\r\n@=dword:00000007\r\n"));
  const Outcome run = reg("import '" + file + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "The operation completed successfully.\n");
  EXPECT_EQ(tree(HKCU, "Software\\A"), (Tree{{"Software\\A|Keep", dword(2)}, {"Software\\A|New", sz("n")}}));
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software\\Gone", platform::KeyAccess::Read, false));
  EXPECT_EQ(stored(HKLM, "Software\\M", ""), dword(7));
}

// export KEY FILE, delete the key, import FILE: the same values, kinds,
// data and order come back.
TEST(RegTool, ExportDeleteImportGivesTheKeyBack) {
  ScopedHives hives;
  const std::string key = "Software\\Round \xC3\xA9";
  std::vector<std::uint8_t> longBinary(700);
  for (std::size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = static_cast<std::uint8_t>(i * 7);
  seed(HKCU, key, "Größe €", sz("Wert — ünïcödé 😀"));
  seed(HKCU, key, "", sz(""));
  seed(HKCU, key, "quote\"back\\slash", sz("a\"b\\c"));
  seed(HKCU, key, "lines", sz("a\r\nb\tc"));
  seed(HKCU, key, "noZero", typed(1, {'x', 'y'}));
  seed(HKCU, key, "emptySz", typed(1, {}));
  seed(HKCU, key, "exp", typed(2, {'%', 'P', '%', 0}));
  seed(HKCU, key, "multi", typed(7, {'a', 0, 0xC3, 0xA4, 0, 0}));
  seed(HKCU, key, "dw", dword(0xDEADBEEF));
  seed(HKCU, key, "shortDw", typed(4, {1, 2}));
  seed(HKCU, key, "qw", typed(11, {1, 2, 3, 4, 5, 6, 7, 8}));
  seed(HKCU, key, "bin", binary(longBinary));
  seed(HKCU, key, "emptyBin", binary({}));
  seed(HKCU, key, "none", typed(0, {9}));
  seed(HKCU, key, "odd", typed(0x12345678, {1}));
  seed(HKCU, key + "\\Sub ß\\Deeper", "x", dword(1));
  seed(HKCU, key + "\\Empty", "", binary({}));
  platform::registry().openKey(HKCU, key + "\\NoValues", platform::KeyAccess::ReadWrite, true)->close();
  Tree before = tree(HKCU, key);
  // The one value that does not come back byte for byte: a REG_SZ of no bytes
  // is written "", as reg.exe writes it, and reads back with its zero.
  for (auto& [name, value] : before)
    if (name.ends_with("|emptySz")) value = sz("");

  const TempDir dir;
  const std::string file = dir.file("round.reg");
  const std::string keyArg = "'HKCU\\" + key + "'";
  Outcome run = reg("export " + keyArg + " '" + file + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  run = reg("delete " + keyArg + " /f");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_TRUE(tree(HKCU, key).empty());
  run = reg("import '" + file + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(tree(HKCU, key), before);
}

// Names and text that a .reg file cannot carry are left out and named; what
// is written reads back exactly, from the file and from standard output.
// Without the check a key name with a line break writes its own "[...]"
// line: importing the file then writes into HKEY_LOCAL_MACHINE.
TEST(RegTool, ExportLeavesOutWhatCannotReadBackTheSame) {
  const struct Entry {
    std::string key;   // below Software
    std::string name;  // the value's
    RegistryValue value;
    const char* leftOut;  // what stderr names, or nullptr when it is exported
  } entries[] = {
      {"Doc]\n[HKEY_LOCAL_MACHINE\\Software\\Injected", "Run", sz("evil"),
       "HKEY_CURRENT_USER\\Software\\Doc]\\x0a[HKEY_LOCAL_MACHINE and everything below it: its name holds a line "
       "break, which a .reg file cannot carry"},
      {"Car\rriage", "v", dword(1),
       "HKEY_CURRENT_USER\\Software\\Car\\x0driage and everything below it: its name holds a line break, which a "
       ".reg file cannot carry"},
      {"Bad\xFFKey", "v", dword(1),
       "HKEY_CURRENT_USER\\Software\\Bad\\xffKey and everything below it: its name is not UTF-8 text, which a .reg "
       "file cannot carry"},
      {"Values", "a\nb", dword(2),
       "HKEY_CURRENT_USER\\Software\\Values, value \"a\\x0ab\": its name holds a line break, which a .reg file "
       "cannot carry"},
      {"Values", "\"]\n[HKEY_LOCAL_MACHINE\\X]\n\"v", sz("x"),
       "HKEY_CURRENT_USER\\Software\\Values, value \"\"]\\x0a[HKEY_LOCAL_MACHINE\\X]\\x0a\"v\": its name holds a "
       "line break, which a .reg file cannot carry"},
      {"Values", "cr\r", dword(3),
       "HKEY_CURRENT_USER\\Software\\Values, value \"cr\\x0d\": its name holds a line break, which a .reg file "
       "cannot carry"},
      {"Values", "bad\xC3", dword(4),
       "HKEY_CURRENT_USER\\Software\\Values, value \"bad\\xc3\": its name is not UTF-8 text, which a .reg file "
       "cannot carry"},
      {"Values", "badText", typed(1, {'a', 0xFF, 0}),
       "HKEY_CURRENT_USER\\Software\\Values, value \"badText\": its text is not UTF-8, which a .reg file cannot "
       "carry"},
      {"Values", "badMulti", typed(7, {0xC0, 0x80, 0, 0}),
       "HKEY_CURRENT_USER\\Software\\Values, value \"badMulti\": its text is not UTF-8, which a .reg file cannot "
       "carry"},
      {"Values", "", sz("line1\r\nline2"), nullptr},
      {"Values", "\"quoted\\ [and] ;semi", sz("C:\\dir\\"), nullptr},
      {"Values", "  spaced \t", sz("  text \t"), nullptr},
      {"Values", "ctl\x01\x7F", typed(2, {'%', 0x1B, 0}), nullptr},
      {"Values", "@", sz("-"), nullptr},
      {"Values", "trail\\", sz("\\"), nullptr},
      {"Trailing \t", "v", dword(5), nullptr},
      {" lead]", "v", dword(6), nullptr},
      {";semi\\-dash", "v", dword(7), nullptr},
      {"\xC3\x9cnic\xC3\xB6" "de \xE2\x82\xAC \xF0\x9F\x98\x80", "\xE2\x82\xAC", sz("\xC3\xA4"), nullptr},
  };
  ScopedHives hives;
  for (const Entry& e : entries) seed(HKCU, "Software\\" + e.key, e.name, e.value);
  Tree expected;
  {
    ScopedHives reference;
    for (const Entry& e : entries)
      if (!e.leftOut) seed(HKCU, "Software\\" + e.key, e.name, e.value);
    // The left-out values' keys stay, with what they hold that can be written.
    platform::registry().openKey(HKCU, "Software\\Values", platform::KeyAccess::ReadWrite, true)->close();
    expected = tree(HKCU, "Software");
  }
  std::string leftOut;
  for (const Entry& e : entries)
    if (e.leftOut) leftOut += std::string("quillbray-reg: left out: ") + e.leftOut + "\n";

  const TempDir dir;
  const std::string file = dir.file("nasty.reg");
  const std::string text = dir.file("nasty.txt");
  Outcome toFile = reg("export 'HKCU\\Software' '" + file + "'");
  Outcome toStdout = reg("export 'HKCU\\Software' >'" + text + "'");
  for (const auto& [what, run, path] : {std::tuple{"export KEY FILE", &toFile, file},
                                        std::tuple{"export to standard output", &toStdout, text}}) {
    SCOPED_TRACE(what);
    EXPECT_EQ(run->status, 1);
    // Each left out is named once, in the walk's order (the sort of the sub-keys).
    std::vector<std::string> got, want;
    std::istringstream gotLines(run->err), wantLines(leftOut);
    for (std::string l; std::getline(gotLines, l);) got.push_back(l);
    for (std::string l; std::getline(wantLines, l);) want.push_back(l);
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    ScopedHives fresh;
    const Outcome imported = reg("import '" + path + "'");
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(tree(HKCU, "Software"), expected);
    EXPECT_TRUE(tree(HKLM, "").empty()) << "the file wrote into HKEY_LOCAL_MACHINE";
  }
}

// The forged key alone: without the check its file imports cleanly and
// writes a key and value into HKEY_LOCAL_MACHINE.
TEST(RegTool, ExportOfAKeyNameWithALineBreakCannotWriteIntoTheMachineHive) {
  ScopedHives hives;
  seed(HKCU, "Software\\Doc]\n[HKEY_LOCAL_MACHINE\\Software\\Injected", "Run", sz("evil"));
  seed(HKCU, "Software\\Doc", "Kept", dword(1));
  const TempDir dir;
  const std::string file = dir.file("doc.reg");
  const Outcome run = reg("export 'HKCU\\Software' '" + file + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("left out: HKEY_CURRENT_USER\\Software\\Doc]\\x0a[HKEY_LOCAL_MACHINE and everything"),
            std::string::npos)
      << run.err;
  ScopedHives fresh;
  const Outcome imported = reg("import '" + file + "'");
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_TRUE(tree(HKLM, "").empty());
  EXPECT_EQ(stored(HKCU, "Software\\Doc", "Kept"), dword(1));
}

// A file that touches both hives changes neither when the machine hive
// cannot be written; the user's part used to be stored before the machine
// hive was even opened.
TEST(RegTool, ImportChangesNoHiveWhenOneCannotBeWritten) {
  const struct {
    const char* what;
    std::function<std::string(const TempDir&)> machineHive;  // makes the obstacle, answers the path
  } cases[] = {
      {"below a regular file",
       [](const TempDir& d) {
         writeBytes(d.file("plain"), "x");
         return d.file("plain") + "/machine.hive";
       }},
      {"a folder",
       [](const TempDir& d) {
         std::filesystem::create_directory(d.file("machine.hive"));
         return d.file("machine.hive");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedHives hives;
    seed(HKCU, "Software\\A", "Old", dword(1));
    const Tree before = tree(HKCU, "Software");
    const TempDir dir;
    ScopedEnv env;
    env.set("QUILLBRAY_MACHINE_HIVE", c.machineHive(dir));
    const std::string file = dir.file("both.reg");
    writeBytes(file,
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\A]\n\"Old\"=dword:00000002\n\"New\"=\"x\"\n\n"
               "[-HKEY_CURRENT_USER\\Software\\A]\n\n"
               "[HKEY_LOCAL_MACHINE\\Software\\B]\n\"M\"=dword:00000003\n");
    const Outcome run = reg("import '" + file + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("nothing was imported"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(tree(HKCU, "Software"), before);
  }
}

// In a sticky folder that every user may write, another user plants the
// name the export used to write through. The export never writes into it
// (the other user would own the exported secrets) nor through a planted
// link (which overwrote the victim), and the file it makes is its own, with
// the mode a new file gets under the umask.
TEST(RegTool, ExportToASharedFolderIgnoresPlantedFiles) {
  QB_OTHER_USER_OR_SKIP(other);
  ScopedHives hives;
  seed(HKCU, "Software\\Secret", "Token", sz("s3cret"));
  const struct {
    const char* what;
    bool link;
    const char* umask;
    mode_t mode;
  } cases[] = {
      {"a planted file everybody may write", false, "022", 0644},
      {"a planted link to another file", true, "077", 0600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TempDir shared;
    ASSERT_EQ(::chmod(shared.path().c_str(), 01777), 0);
    const TempDir own;
    const std::string victim = own.file("victim");
    writeBytes(victim, "victim");
    ASSERT_EQ(::chmod(own.path().c_str(), 0755), 0);
    const std::string file = shared.file("x.reg");
    const std::string planted = file + ".quillbray-reg-tmp";
    ASSERT_EQ(runAsUser(other, [&] {
                if (c.link) return ::symlink(victim.c_str(), planted.c_str()) == 0 ? 0 : 1;
                writeBytes(planted, "planted");
                return ::chmod(planted.c_str(), 0666) == 0 ? 0 : 1;
              }),
              0);
    const Outcome run = runShell("umask " + std::string(c.umask) + "; " + QB_REG_TOOL +
                                 " export 'HKCU\\Software\\Secret' '" + file + "' </dev/null");
    EXPECT_EQ(run.status, 0) << run.err;
    struct stat st {};
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    EXPECT_EQ(readFile(file).substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(readFile(victim), "victim");
    ASSERT_EQ(::lstat(planted.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, other.uid);
    if (c.link) EXPECT_TRUE(S_ISLNK(st.st_mode));
    else EXPECT_EQ(readFile(planted), "planted");
    // Nothing else is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shared.path()), {}), 2);
  }
}

TEST(RegTool, ExportSaysWhyItCannotWrite) {
  ScopedHives hives;
  seed(HKCU, "Software\\A", "V", dword(1));
  const TempDir dir;
  const Outcome run = reg("export 'HKCU\\Software\\A' '" + dir.file("nodir/x.reg") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(dir.file("nodir/x.reg")), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
}

// A folder, a pipe or a device is named as what it is; the pipe, which has
// no writer, is not waited for: the import runs in a child that an alarm
// ends if it hangs.
TEST(RegTool, ImportNamesWhatIsNotAFile) {
  ScopedHives hives;
  const TempDir dir;
  const std::string fifo = dir.file("pipe.reg");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* says;
  } cases[] = {
      {dir.path().string(), "it is a folder"},
      {fifo, "it is a named pipe (FIFO), not a regular file"},
      {"/dev/null", "it is a character device, not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const int status = runInChild([&] {
      ::alarm(10);
      const Outcome run = reg("import '" + c.path + "'");
      const std::string want = "quillbray-reg: cannot read '" + c.path + "': " + c.says + "\n";
      if (run.status != 1 || run.err != want) {
        std::fprintf(stderr, "status %d, stderr: %s", run.status, run.err.c_str());
        return 1;
      }
      return 0;
    });
    EXPECT_EQ(status, 0);
  }
}

// A file of millions of one-line changes is applied as it is read, not
// kept as millions of changes: two million "@=\"\"" lines (10 MB) once
// took over 300 MB. Measured in a child of its own, whose children are only
// the shell and the tool.
TEST(RegTool, ImportMemoryStaysNearTheFileSize) {
  ScopedHives hives;
  const TempDir dir;
  const std::string file = dir.file("many.reg");
  {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Q]\n";
    std::string block;
    for (int i = 0; i < 1000; ++i) block += "@=\"\"\n";
    for (int i = 0; i < 2000; ++i) out << block;
    out << "\"last\"=dword:00000007\n";
  }
  constexpr long kLimitKiB = 160 * 1024;
  const int status = runInChild([&] {
    // Without the sanitizer's quarantine of freed memory, which would count.
    const Outcome run = runShell("ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=0\" " +
                                 std::string(QB_REG_TOOL) + " import '" + file + "' </dev/null");
    struct rusage usage {};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    if (run.status != 0 || usage.ru_maxrss > kLimitKiB) {
      std::fprintf(stderr, "status %d, peak %ld KiB: %s", run.status, usage.ru_maxrss, run.err.c_str());
      return 1;
    }
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(stored(HKCU, "Software\\Q", "last"), dword(7));
  EXPECT_EQ(stored(HKCU, "Software\\Q", ""), sz(""));
}

// The checked-in file is what export KEY FILE writes for a small hive:
// UTF-16LE with a byte-order mark, CR LF, a long hex list continued.
TEST(RegTool, ExportWritesTheGoldenFile) {
  ScopedHives hives;
  seed(HKCU, "Software\\Small", "Name", sz("Größe €"));
  seed(HKCU, "Software\\Small", "", sz("default"));
  seed(HKCU, "Software\\Small", "Count", dword(42));
  std::vector<std::uint8_t> bytes(40);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  seed(HKCU, "Software\\Small", "Data", binary(bytes));
  seed(HKCU, "Software\\Small\\Sub", "Path", typed(2, {'%', 'H', '%', 0}));
  seed(HKCU, "Software\\Small\\Sub", "List", typed(7, {'a', 0, 'b', 0, 0}));
  const TempDir dir;
  const std::string file = dir.file("small.reg");
  const Outcome run = reg("export 'HKEY_CURRENT_USER\\Software\\Small' '" + file + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(file), readFile(std::string(QB_FIXTURES) + "/small.reg"));
}

TEST(RegTool, ExportToAFileNeedsYToOverwrite) {
  ScopedHives hives;
  seed(HKCU, "Software\\E", "v", dword(1));
  const TempDir dir;
  const std::string file = dir.file("e.reg");
  writeBytes(file, "keep");
  Outcome run = reg("export 'HKCU\\Software\\E' '" + file + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quillbray-reg: the file '" + file + "' exists; nothing was written (use /y to overwrite it)\n");
  EXPECT_EQ(readFile(file), "keep");
  run = reg("export 'HKCU\\Software\\E' '" + file + "' /y");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(file).substr(0, 4), std::string("\xFF\xFEW\0", 4));
  // A key that does not exist writes no file.
  run = reg("export 'HKCU\\Software\\Nope' '" + dir.file("n.reg") + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("n.reg")));
  // A whole hive: the root with or without a "\".
  run = reg("export 'HKCU\\' '" + dir.file("all.reg") + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(quillbray::parseRegText(readFile(dir.file("all.reg")), "all.reg").size(), 4u);
  run = reg("export HKCU '" + dir.file("bare.reg") + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(readFile(dir.file("bare.reg")), readFile(dir.file("all.reg")));
  // The reading forms: one KEY, or FILE "-".
  EXPECT_NE(reg("export 'HKCU\\Software\\E' -").out.find("[HKEY_CURRENT_USER\\Software\\E]\n\"v\"=dword:00000001"),
            std::string::npos);
  EXPECT_NE(reg("export 'HKCU\\Software\\E'").out.find("\"v\"=dword:00000001"), std::string::npos);
}

TEST(RegTool, QueryShowsKeysInRegExesLayout) {
  ScopedHives hives;
  seed(HKCU, "Software\\Q", "", sz("def"));
  seed(HKCU, "Software\\Q", "Größe", dword(12));
  seed(HKCU, "Software\\Q", "M", typed(7, {'a', 0, 'b', 0, 0}));
  seed(HKCU, "Software\\Q", "B", binary({0xab, 0x01}));
  seed(HKCU, "Software\\Q", "W", typed(11, {0x10, 0, 0, 0, 0, 0, 0, 0}));
  seed(HKCU, "Software\\Q\\Sub", "E", typed(2, {'%', 'X', '%', 0}));
  Outcome run = reg("query 'HKEY_CURRENT_USER\\Software\\Q'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "\nHKEY_CURRENT_USER\\Software\\Q\n"
            "    (Default)    REG_SZ    def\n"
            "    Größe    REG_DWORD    0xc\n"
            "    M    REG_MULTI_SZ    a\\0b\n"
            "    B    REG_BINARY    AB01\n"
            "    W    REG_QWORD    0x10\n\n"
            "HKEY_CURRENT_USER\\Software\\Q\\Sub\n");
  run = reg("query 'hkcu\\Software\\Q' /s");
  EXPECT_NE(run.out.find("\nHKEY_CURRENT_USER\\Software\\Q\\Sub\n    E    REG_EXPAND_SZ    %X%\n\n"), std::string::npos)
      << run.out;
  run = reg("query 'HKCU\\Software\\Q' /v größe");
  EXPECT_EQ(run.out, "\nHKEY_CURRENT_USER\\Software\\Q\n    größe    REG_DWORD    0xc\n\n");
  run = reg("query 'HKCU\\Software\\Q' /ve");
  EXPECT_EQ(run.out, "\nHKEY_CURRENT_USER\\Software\\Q\n    (Default)    REG_SZ    def\n\n");
  run = reg("query 'HKCU\\Software' /v E /s");
  EXPECT_EQ(run.out, "\nHKEY_CURRENT_USER\\Software\\Q\\Sub\n    E    REG_EXPAND_SZ    %X%\n\nEnd of search: 1 match(es) found.\n");
  EXPECT_EQ(run.status, 0);
  run = reg("query 'HKCU\\Software\\Q' /v nope");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quillbray-reg: the key HKEY_CURRENT_USER\\Software\\Q has no value nope\n");
  EXPECT_EQ(reg("query 'HKCU\\Software\\Nope'").status, 1);
}

TEST(RegTool, AddStoresEachTypeAndRefusesToOverwriteWithoutATerminal) {
  ScopedHives hives;
  const struct {
    std::string args;
    std::string name;
    RegistryValue value;
  } cases[] = {
      {"/v S /d 'Größe €'", "S", sz("Größe €")},
      {"/ve /d x", "", sz("x")},
      {"/v E /t REG_EXPAND_SZ /d '%P%'", "E", typed(2, {'%', 'P', '%', 0})},
      {"/v M /t reg_multi_sz /d 'a\\0b'", "M", typed(7, {'a', 0, 'b', 0, 0})},
      {"/v D /t REG_DWORD /d 0x10", "D", dword(16)},
      {"/v Q /t REG_QWORD /d 5", "Q", typed(11, {5, 0, 0, 0, 0, 0, 0, 0})},
      {"/v B /t REG_BINARY /d 0a0B", "B", binary({10, 11})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Outcome run = reg("add 'HKCU\\Software\\Add' " + c.args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "The operation completed successfully.\n");
    EXPECT_EQ(stored(HKCU, "Software\\Add", c.name), c.value);
  }
  Outcome run = reg("add 'HKCU\\Software\\Add' /v D /t REG_DWORD /d 1");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quillbray-reg: the value D of HKEY_CURRENT_USER\\Software\\Add exists; nothing was changed "
                     "(use /f to overwrite it)\n");
  EXPECT_EQ(stored(HKCU, "Software\\Add", "D"), dword(16));
  run = reg("add 'HKCU\\Software\\Add' /v D /t REG_DWORD /d 1 /F");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(stored(HKCU, "Software\\Add", "D"), dword(1));
  EXPECT_EQ(reg("add 'HKLM\\Software\\Only\\Key'").status, 0);
  EXPECT_TRUE(platform::registry().openKey(HKLM, "Software\\Only\\Key", platform::KeyAccess::Read, false));
}

TEST(RegTool, BadKeysNamesAndDataAreRefused) {
  ScopedHives hives;
  std::string deep = "HKCU";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  const struct {
    std::string args;
    std::string err;
    int status;
  } cases[] = {
      {"query 'HKCC\\x'", "quillbray-reg: unknown root 'HKCC': use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n", 1},
      {"add 'HKEY_CLASSES_ROOT\\x'", "quillbray-reg: unknown root 'HKEY_CLASSES_ROOT': use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n", 1},
      {"export HKCC", "quillbray-reg: unknown root 'HKCC': use HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE)\n", 1},
      {"add 'Software\\x'", "quillbray-reg: the key 'Software\\x' does not begin with a root", 1},
      {"add 'HKCU\\x' /v D /t REG_DWORD /d 4294967296", "quillbray-reg: '4294967296' does not fit a REG_DWORD\n", 1},
      {"add 'HKCU\\x' /v B /t REG_BINARY /d xyz", "quillbray-reg: 'xyz' is not REG_BINARY data", 1},
      {"add 'HKCU\\x' /v B /t REG_LINK", "quillbray-reg: unknown type 'REG_LINK'",1},
      {"add 'HKCU\\" + std::string(256, 'k') + "'", "quillbray-reg: ", 1},
      {"add 'HKCU\\x' /v " + std::string(16384, 'v'), "quillbray-reg: ", 1},
      {"add '" + deep + "'", "quillbray-reg: ", 1},
      {"add 'HKCU\\x' /d", "quillbray-reg: /d needs a value after it",1},
      {"query 'HKCU\\x' /v a /ve", "quillbray-reg: give only one of /v, /ve and /va",1},
      {"delete HKCU /f", "quillbray-reg: a root cannot be deleted: HKEY_CURRENT_USER\n", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.substr(0, 100));
    const Outcome run = reg(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_FALSE(std::filesystem::exists(hives.user()) &&
               platform::registry().openKey(HKCU, "x", platform::KeyAccess::Read, false));
}

TEST(RegTool, DeleteAsksAndRefusesWithoutATerminal) {
  ScopedHives hives;
  seed(HKCU, "Software\\Del\\Sub", "a", dword(1));
  seed(HKCU, "Software\\Del", "a", dword(1));
  seed(HKCU, "Software\\Del", "", dword(2));
  seed(HKCU, "Software\\Del", "b", dword(3));
  Outcome run = reg("delete 'HKCU\\Software\\Del'");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quillbray-reg: nothing was deleted: use /f to delete without asking\n");
  EXPECT_EQ(stored(HKCU, "Software\\Del", "a"), dword(1));
  EXPECT_EQ(reg("delete 'HKCU\\Software\\Del' /v a /f").status, 0);
  EXPECT_FALSE(stored(HKCU, "Software\\Del", "a"));
  EXPECT_EQ(reg("delete 'HKCU\\Software\\Del' /v a /f").status, 1);  // no longer there
  EXPECT_EQ(reg("delete 'HKCU\\Software\\Del' /ve /f").status, 0);
  EXPECT_FALSE(stored(HKCU, "Software\\Del", ""));
  EXPECT_EQ(reg("delete 'HKCU\\Software\\Del' /va /f").status, 0);
  EXPECT_TRUE(tree(HKCU, "Software\\Del") == (Tree{{"Software\\Del\\Sub", {}}, {"Software\\Del\\Sub|a", dword(1)}}));
  EXPECT_EQ(reg("delete 'HKCU\\Software\\Del' /f").status, 0);
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software\\Del", platform::KeyAccess::Read, false));
  EXPECT_TRUE(platform::registry().openKey(HKCU, "Software", platform::KeyAccess::Read, false));
  EXPECT_EQ(reg("delete 'HKCU\\Software\\Del' /f").status, 1);
}

// Runs the program on a terminal, answering its question once it is asked;
// answers what the terminal showed and the exit status.
std::pair<std::string, int> regOnTerminal(const std::vector<std::string>& args, const std::string& answer) {
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (pid < 0) throw std::runtime_error("forkpty failed");
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(QB_REG_TOOL)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(QB_REG_TOOL, argv.data());
    ::_exit(127);
  }
  std::string shown;
  bool answered = false;
  char buf[512];
  for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) {
    shown.append(buf, static_cast<std::size_t>(n));
    if (!answered && shown.find("(Yes/No)? ") != std::string::npos) {
      const std::string line = answer + "\n";
      if (::write(master, line.data(), line.size()) < 0) break;
      answered = true;
    }
  }
  ::close(master);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {shown, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(RegTool, AsksOnATerminal) {
  ScopedHives hives;
  seed(HKCU, "Software\\T", "a", dword(1));
  auto [shown, status] = regOnTerminal({"delete", "HKCU\\Software\\T", "/v", "a"}, "no");
  EXPECT_NE(shown.find("Delete the registry value a (Yes/No)? "), std::string::npos) << shown;
  EXPECT_EQ(status, 1);
  EXPECT_EQ(stored(HKCU, "Software\\T", "a"), dword(1));
  std::tie(shown, status) = regOnTerminal({"add", "HKCU\\Software\\T", "/v", "a", "/t", "REG_DWORD", "/d", "2"}, "y");
  EXPECT_NE(shown.find("Value a exists, overwrite (Yes/No)? "), std::string::npos) << shown;
  EXPECT_EQ(status, 0);
  EXPECT_EQ(stored(HKCU, "Software\\T", "a"), dword(2));
  std::tie(shown, status) = regOnTerminal({"delete", "HKCU\\Software\\T"}, "yes");
  EXPECT_NE(shown.find("Permanently delete the registry key HKEY_CURRENT_USER\\Software\\T (Yes/No)? "),
            std::string::npos) << shown;
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software\\T", platform::KeyAccess::Read, false));
}

// The verb is wired to the configuration export: it takes one FILE.
TEST(RegTool, ExportConfigTakesOneFile) {
  ScopedHives hives;
  EXPECT_EQ(reg("export-config").status, 1);
  EXPECT_EQ(reg("export-config a b").status, 1);
  seed(HKCU, kLogsKey, "Fine", dword(2));
  seed(HKCU, kLogsKey, "Has_Underscore", dword(1));  // the format reads "_" as a blank
  const TempDir dir;
  const Outcome run = reg("export-config '" + dir.file("c.xml") + "'");
  EXPECT_EQ(run.status, 1) << run.err;  // something was left out; the rest is written
  EXPECT_NE(run.err.find("quillbray-reg: left out: "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("Has_Underscore"), std::string::npos) << run.err;
  const std::string text = readFile(dir.file("c.xml"));
  EXPECT_NE(text.find("<Fine type=\"integer\">2</Fine>"), std::string::npos) << text;
  EXPECT_EQ(reg("export-config '" + dir.file("missing/c.xml") + "'").status, 1);
}

// /? prints the whole help, VERB /? the verb's; a wrong argument prints the
// error, the verb's usage line and where the help is, and exits with 1, as
// reg.exe does.
TEST(RegTool, HelpCoversEveryVerb) {
  const char* const usages[] = {"query KEY", "add KEY", "delete KEY", "export KEY [FILE", "import FILE", "export-config FILE",
                               "export-schema FILE"};
  for (const char* flag : {"--help", "-h", "'/?'"}) {
    const Outcome run = reg(flag);
    EXPECT_EQ(run.status, 0);
    for (const char* verb : usages) EXPECT_NE(run.out.find(verb), std::string::npos) << verb;
  }
  for (const char* usage : usages) {
    const std::string verb = std::string(usage).substr(0, std::string(usage).find(' '));
    for (const char* flag : {"'/?'", "/h", "-H"}) {
      const Outcome run = reg(verb + " " + flag);
      EXPECT_EQ(run.status, 0) << verb;
      EXPECT_EQ(run.out.rfind(std::string("usage: quillbray-reg ") + usage, 0), 0u) << run.out;
      EXPECT_EQ(run.out.find("--location"), std::string::npos) << verb;  // the verb's own help, not the whole
    }
  }
  const struct {
    std::string args, err;
  } wrong[] = {
      {"", "quillbray-reg: no verb given\nusage: quillbray-reg VERB ... (query, add, delete, export, import, export-config, "
           "export-schema)\n"
           "quillbray-reg --help for help\n"},
      {"add", "quillbray-reg: add takes one KEY\nusage: quillbray-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] "
              "[/d DATA] [/f]\nquillbray-reg --help for help\n"},
      {"query HKCU /ve /x", "quillbray-reg: query takes one KEY\nusage: quillbray-reg query KEY"},
      {"query HKCU /va", "quillbray-reg: the switch /va does not go with this verb\nusage: quillbray-reg query KEY"},
      {"add 'HKCU\\A' /f /f", "quillbray-reg: /f is given twice\n"},
      {"add 'HKCU\\A' /v a /d 1 /v b", "quillbray-reg: /v is given twice\n"},
      {"query HKCU /reg:32 /REG:32", "quillbray-reg: give one of /reg:32 and /reg:64, once\n"},
      {"add 'HKCU\\A' /t '' /d 1 /f", "quillbray-reg: unknown type ''"},
      {"frob", "quillbray-reg: unknown verb 'frob'\nusage: quillbray-reg VERB ..."},
  };
  for (const auto& w : wrong) {
    SCOPED_TRACE(w.args);
    const Outcome run = reg(w.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(w.err, 0), 0u) << run.err;
    EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 3) << run.err;
  }
}

// --version prints the tool's own version resource.
TEST(RegTool, VersionComesFromItsOwnResource) {
  const Outcome run = reg("--version");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("quillbray-reg (Quillbray) ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\nFile version "), std::string::npos) << run.out;
}

}  // namespace

// A disk that fills in the middle of an import makes SQLite drop the whole
// transaction: the import says so and nothing of the file is stored, also
// for the keys and values written before the failure.
TEST(RegTool, ImportThatRunsOutOfSpaceStoresNothing) {
  ScopedHives hives;
  seed(HKCU, "Software\\Keep", "v", dword(1));
  const TempDir dir;
  const std::string file = dir.file("big.reg");
  {
    std::ofstream out(file, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\n\n";
    const std::string text(2000, 'x');
    for (int i = 0; i < 5000; ++i)
      out << "[HKEY_CURRENT_USER\\Software\\Big\\k" << i << "]\n\"s\"=\"" << text << "\"\n";
  }
  const auto hiveBytes = std::filesystem::file_size(hives.user());
  const int status = runInChild([&] {
    if (!limitFileSize(hiveBytes + 1024 * 1024)) return 10;
    const Outcome run = reg("import '" + file + "'");
    if (run.status != 1) {
      std::fprintf(stderr, "status %d: %s", run.status, run.err.c_str());
      return 1;
    }
    return 0;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(stored(HKCU, "Software\\Keep", "v"), dword(1));
  EXPECT_FALSE(stored(HKCU, "Software\\Big\\k0", "s"));
  EXPECT_FALSE(platform::registry().openKey(platform::RegistryRoot::CurrentUser, "Software\\Big",
                                            platform::KeyAccess::Read, false));
}
