// quillbray-import.exe started as Windows starts a program: one command line,
// written here exactly, with non-ASCII folders, file names and values. The
// program writes the real HKEY_CURRENT_USER (CTest runs these one at a time
// under the "real-registry" lock); the product key is removed before and after.
#include <cstdint>
#include <cstring>
#include <fstream>

#include "CommandLineRun.h"
#include "TestSupport.h"
// clang-format off
#include <windows.h>
#include "platform/win32/Wide.h"
// clang-format on

namespace {

using platform::win32::narrow;
using platform::win32::widen;

const wchar_t* const kProductKey = L"Software\\Corvellan\\Quillbray 4";

// The product key gone for the object's lifetime and after it.
class CleanProductKey {
 public:
  CleanProductKey() { clean(); }
  ~CleanProductKey() { clean(); }
  CleanProductKey(const CleanProductKey&) = delete;
  CleanProductKey& operator=(const CleanProductKey&) = delete;
  static void clean() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey); }
};

std::optional<DWORD> storedDword(const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (::RegGetValueW(HKEY_CURRENT_USER, kProductKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

std::optional<std::string> storedString(const wchar_t* name) {
  wchar_t buffer[512];
  DWORD size = sizeof buffer;
  if (::RegGetValueW(HKEY_CURRENT_USER, kProductKey, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return narrow(buffer);
}

// Windows paths with "\": a "/" in a switch value ends it.
std::string backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Writes a file whose path may hold any character.
void writeText(const std::string& path, const std::string& text) {
  std::ofstream(std::filesystem::path(widen(path)), std::ios::binary) << text;
}

// Runs a program of the build with these arguments after its quoted path,
// in the folder.
qbtest::ProcessRun runIn(const qbtest::TempDir& dir, const char* program, const std::string& arguments) {
  return qbtest::runCommandLine(L"\"" + widen(backslashed(program)) + L"\" " + widen(arguments), dir.path().string());
}

void writeConfig(const std::string& path, int uses) {
  writeText(path, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                  "<Quillbray_Preferences><Quillbray><PerUserRoam><Uses type=\"integer\">" +
                      std::to_string(uses) +
                      "</Uses><Greeting type=\"string\">Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC</Greeting>"
                      "</PerUserRoam></Quillbray></Quillbray_Preferences>\n");
}

TEST(WindowsProgram, TheSystemsCommandLineWithNonAsciiNamesReachesTheStore) {
  qbtest::ScopedEnv env;
  env.set("QUILLBRAY_DIALOGS", "console");
  CleanProductKey clean;
  qbtest::TempDir dir;
  const std::string root = backslashed(dir.path().string());
  const std::string folder = root + "\\\xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC";  // "Ärger 日本"
  ASSERT_TRUE(::CreateDirectoryW(widen(folder).c_str(), nullptr));
  const std::string file = folder + "\\my prefs \xC3\xBC.xml";                // "my prefs ü.xml"
  writeConfig(file, 1);
  writeConfig(root + "\\my prefs \xC3\xBC.xml", 2);
  const std::wstring exe = L"\"" + widen(backslashed(QB_IMPORT_TOOL)) + L"\"";

  const struct {
    const char* what;
    std::string arguments;
    std::string cwd;
    std::optional<DWORD> uses;
  } cases[] = {
      {"unquoted value with blanks", " /IC " + file, root, 1},
      {"quoted value, lower-case switch", " /ic\"" + file + "\"", root, 1},
      {"bare name completed by /IP", " /ICmy prefs \xC3\xBC.xml /IP" + folder + "\\quillbray.exe", root, 1},
      {"/IP folder without trailing backslash: its parent", " /ICmy prefs \xC3\xBC.xml /IP" + folder, root, 2},
      {"bare name in the current folder", " /ICmy prefs \xC3\xBC.xml", folder, 1},
      {"a \"/\" ends the value", " /IC" + folder + "/my prefs \xC3\xBC.xml", root, std::nullopt},
      {"an option after the value counts", " /IC " + file + " --strict", root, 1},
      {"a dry run after the value writes nothing", " /IC " + file + " --dry-run", root, std::nullopt},
      {"a quoted /IP path", " /IC\"my prefs \xC3\xBC.xml\" /IP\"" + folder + "\\quillbray.exe\"", root, 1},
      {"an option before the switch is an option", " --verbose /IC " + file, root, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CleanProductKey::clean();
    const qbtest::ProcessRun run = qbtest::runCommandLine(exe + widen(c.arguments), c.cwd);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(storedDword(L"Uses"), c.uses);
    if (c.uses) {
      EXPECT_EQ(storedString(L"Greeting"), "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC");
    }
  }
}

// The import's refusal box, with nobody to click it, is on standard error.
TEST(WindowsProgram, TheImportsBoxIsOnStandardError) {
  qbtest::ScopedEnv env;
  env.set("QUILLBRAY_DIALOGS", "console");
  CleanProductKey clean;
  qbtest::TempDir dir;
  const std::string file = backslashed(dir.file("other \xC3\xA9.xml"));
  writeText(file, "<?xml version=\"1.0\"?>\n<!DOCTYPE Other_Preferences>\n<Other_Preferences/>\n");
  const qbtest::ProcessRun run =
      qbtest::runCommandLine(L"\"" + widen(backslashed(QB_IMPORT_TOOL)) + L"\" /IC" + widen(file), dir.path().string());
  EXPECT_EQ(run.status, 0);
  // Lines end in CR LF on a file, as the messages the C++ streams write.
  EXPECT_TRUE(run.err.starts_with("Error: Quillbray Configuration Import\r\nThis configuration file belongs to "))
      << run.err;
  std::string bare = run.err;
  for (std::size_t at; (at = bare.find("\r\n")) != std::string::npos;) bare.erase(at, 2);
  EXPECT_EQ(bare.find('\n'), std::string::npos) << run.err;
  EXPECT_EQ(storedDword(L"Uses"), std::nullopt);
}


// The reg tool's import stores text bytes that no UTF-8 text holds as the
// file gives them, as reg.exe does: the system keeps text as UTF-16LE.
TEST(WindowsProgram, RegImportStoresUtf16TextBytesAsGiven) {
  CleanProductKey clean;
  qbtest::TempDir dir;
  const std::string file = backslashed(dir.file("odd.reg"));
  const struct {
    const char* line;
    DWORD type;
    std::string bytes;
  } cases[] = {
      // An odd number of bytes: half a character, and no NUL added.
      {"\"v\"=hex(1):61,00,62", REG_SZ, std::string("a\0b", 3)},
      // A lone surrogate: whole characters, so hex(7) gets its NUL.
      {"\"v\"=hex(7):00,d8,61,00", REG_MULTI_SZ, std::string("\0\xD8" "a\0\0\0", 6)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    CleanProductKey::clean();
    writeText(file, "Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4]\r\n" + std::string(c.line) + "\r\n");
    const qbtest::ProcessRun run = runIn(dir, QB_REG_TOOL, "import " + file);
    EXPECT_EQ(run.status, 0) << run.err;
    // The bytes as stored (RegGetValueW would mend the text's end).
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE data[64];
    DWORD type = 0, size = sizeof data;
    EXPECT_EQ(::RegQueryValueExW(key, L"v", nullptr, &type, data, &size), ERROR_SUCCESS);
    ::RegCloseKey(key);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), c.bytes);
  }
}

// What a PE file's headers say: its subsystem (2 GUI, 3 console) and the
// size of its export table.
struct PeHeader {
  int subsystem = -1;
  std::uint32_t exportTableSize = 0xFFFFFFFF;
};

PeHeader peHeader(const std::string& file) {
  const std::string bytes = qbtest::readFile(file);
  PeHeader h;
  if (bytes.size() < 0x40) return h;
  const auto read = [&](std::size_t at, auto& out) {
    if (at + sizeof out <= bytes.size()) std::memcpy(&out, bytes.data() + at, sizeof out);
  };
  std::uint32_t pe = 0;
  read(0x3C, pe);
  if (bytes.size() < pe + 24 + 128 || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return h;
  const std::size_t optional = pe + 24;
  std::uint16_t magic = 0, subsystem = 0;
  read(optional, magic);
  read(optional + 68, subsystem);  // the same place in PE32 and PE32+
  h.subsystem = subsystem;
  // The first data directory, the export table: its address, then its size.
  read(optional + (magic == 0x20B ? 112 : 96) + 4, h.exportTableSize);
  return h;
}

// Whether the file holds an application manifest (RT_MANIFEST, id 1).
bool hasManifest(const std::string& file) {
  const HMODULE m = ::LoadLibraryExW(widen(backslashed(file)).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!m) return false;
  const bool found = ::FindResourceW(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) != nullptr;
  ::FreeLibrary(m);
  return found;
}

// The program opens no window (the GUI subsystem: Windows gives it no
// console); its twin quillbray-import.com, which cmd runs when the extension
// is left out, and the reg tool are console programs. Under Wine only the
// header shows the difference: a GUI program is handed the Unix standard
// streams there. Each carries a version resource and a manifest, and
// exports nothing (libxml2 is linked as a static library).
TEST(WindowsProgram, TheProgramIsAGuiProgramWithAConsoleTwin) {
  const struct {
    const char* file;
    int subsystem;
  } cases[] = {
      {QB_IMPORT_TOOL, IMAGE_SUBSYSTEM_WINDOWS_GUI},
      {QB_IMPORT_CONSOLE, IMAGE_SUBSYSTEM_WINDOWS_CUI},
      {QB_REG_TOOL, IMAGE_SUBSYSTEM_WINDOWS_CUI},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const PeHeader header = peHeader(c.file);
    EXPECT_EQ(header.subsystem, c.subsystem);
    EXPECT_EQ(header.exportTableSize, 0u);
    EXPECT_TRUE(hasManifest(c.file));
    DWORD handle = 0;
    EXPECT_GT(::GetFileVersionInfoSizeW(widen(backslashed(c.file)).c_str(), &handle), 0u);
  }
}

// Both forms answer with the exit status; the twin's standard streams carry
// --help, the --strict lines and the boxes to a script.
TEST(WindowsProgram, BothFormsAnswerWithTheStatusAndTheTwinPrints) {
  qbtest::ScopedEnv env;
  env.set("QUILLBRAY_DIALOGS", "console");
  CleanProductKey clean;
  qbtest::TempDir dir;
  const std::string broken = backslashed(dir.file("broken.xml"));
  writeText(broken, "<?xml version=\"1.0\"?>\n<broken");
  const auto run = [&](const char* program, const std::string& arguments) { return runIn(dir, program, arguments); };
  for (const char* program : {QB_IMPORT_TOOL, QB_IMPORT_CONSOLE}) {
    SCOPED_TRACE(program);
    EXPECT_EQ(run(program, "--strict /IC " + backslashed(dir.file("missing.xml"))).status, 1);
    EXPECT_EQ(run(program, "/IC " + backslashed(dir.file("missing.xml"))).status, 0);
  }
  const qbtest::ProcessRun help = run(QB_IMPORT_CONSOLE, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: quillbray-import")) << help.out;
  const qbtest::ProcessRun strict = run(QB_IMPORT_CONSOLE, "/IC " + broken + " --strict");
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.err.find("Error: Quillbray Configuration Import\r\nCould not import the program configuration"),
            std::string::npos)
      << strict.err;
  // The reg tool: its version from its own resource, a verb's help, and a
  // wrong argument in three lines that point at /?, with reg.exe's status 1.
  const qbtest::ProcessRun version = run(QB_REG_TOOL, "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("quillbray-reg (Quillbray) ")) << version.out;
  const qbtest::ProcessRun verbHelp = run(QB_REG_TOOL, "add /?");
  EXPECT_EQ(verbHelp.status, 0);
  EXPECT_TRUE(verbHelp.out.starts_with("usage: quillbray-reg add KEY")) << verbHelp.out;
  const qbtest::ProcessRun wrong = run(QB_REG_TOOL, "add HKCU\\Software\\A /f /f");
  EXPECT_EQ(wrong.status, 1);
  EXPECT_TRUE(wrong.err.ends_with("quillbray-reg /? for help\r\n")) << wrong.err;
}


// The programs are 32-bit, as the product is: on 64-bit Windows (and Wine's
// 64-bit prefix) a machine-wide value lands in the 32-bit view of HKLM
// (Software\WOW6432Node), where the product reads it, and the reg tool shows
// it there by default and with /reg:32, not with /reg:64.
TEST(WindowsProgram, MachineWideValuesLandInThe32BitView) {
  BOOL wow64 = FALSE;
  if (!::IsWow64Process(::GetCurrentProcess(), &wow64) || !wow64)
    GTEST_SKIP() << "needs 64-bit Windows, where the views differ";
  qbtest::ScopedEnv env;
  env.set("QUILLBRAY_DIALOGS", "console");
  const auto cleanMachine = [] {
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvellan\\Quillbray 4\\Network", view, 0);
  };
  cleanMachine();
  CleanProductKey clean;
  qbtest::TempDir dir;
  const std::string file = backslashed(dir.file("machine.xml"));
  writeText(file,
            "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray><PerMachine>"
            "<Network><Minutes type=\"integer\">15</Minutes></Network></PerMachine></Quillbray></Quillbray_Preferences>\n");
  const auto run = [&](const char* program, const std::string& arguments) { return runIn(dir, program, arguments); };
  ASSERT_EQ(run(QB_IMPORT_CONSOLE, "--strict /IC " + file).status, 0);
  const auto stored = [](REGSAM view) -> std::optional<DWORD> {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Corvellan\\Quillbray 4\\Network", 0, KEY_READ | view, &key) !=
        ERROR_SUCCESS)
      return std::nullopt;
    DWORD value = 0, size = sizeof value;
    const LSTATUS rc = ::RegGetValueW(key, nullptr, L"Minutes", RRF_RT_REG_DWORD, nullptr, &value, &size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
  };
  EXPECT_EQ(stored(KEY_WOW64_32KEY), 15u);
  EXPECT_EQ(stored(KEY_WOW64_64KEY), std::nullopt);
  const std::string key = "\"HKLM\\Software\\Corvellan\\Quillbray 4\\Network\" /v Minutes";
  for (const auto& [view, found] : {std::pair{"", true}, std::pair{" /reg:32", true}, std::pair{" /reg:64", false}}) {
    SCOPED_TRACE(std::string("query") + view);
    const qbtest::ProcessRun query = run(QB_REG_TOOL, "query " + key + view);
    EXPECT_EQ(query.status, found ? 0 : 1) << query.err;
    EXPECT_EQ(query.out.find("0xf") != std::string::npos, found) << query.out;
  }
  cleanMachine();
}

// The undo file under the real registry: written before the import, it puts
// both roots back exactly, imported by the reg tool and by the system's own
// reg.exe (the 32-bit one, whose HKLM is the programs' view).
TEST(WindowsProgram, TheUndoFilePutsTheRegistryBack) {
  qbtest::ScopedEnv env;
  env.set("QUILLBRAY_DIALOGS", "console");
  const auto cleanMachine = [] {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Corvellan\\Quillbray 4\\Network");
  };
  cleanMachine();
  CleanProductKey clean;
  qbtest::TempDir dir;
  const auto run = [&](const char* program, const std::string& arguments) { return runIn(dir, program, arguments); };
  const std::string user = "\"HKCU\\Software\\Corvellan\\Quillbray 4\"";
  ASSERT_EQ(run(QB_REG_TOOL, "add " + user + " /v Uses /t REG_QWORD /d 7 /f").status, 0);
  ASSERT_EQ(run(QB_REG_TOOL, "add " + user + "\\Logs /v \"Log Format\" /t REG_EXPAND_SZ /d %x% /f").status, 0);
  ASSERT_EQ(run(QB_REG_TOOL, "add " + user + "\\Logs /v Kept /t REG_BINARY /d 0a0b /f").status, 0);
  const auto exports = [&] {
    return run(QB_REG_TOOL, "export " + user + " -").out +
           run(QB_REG_TOOL, "export \"HKLM\\Software\\Corvellan\\Quillbray 4\\Network\" -").out;
  };
  const std::string before = exports();
  const std::string file = backslashed(dir.file("prefs.xml"));
  writeText(file,
            "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray><PerUserRoam>"
            "<Uses type=\"integer\">3</Uses><Logs><Log_Format type=\"string\">yyyy</Log_Format></Logs>"
            "<General><Prefix type=\"string\">;;</Prefix></General></PerUserRoam><PerMachine><Network>"
            "<Minutes type=\"integer\">15</Minutes></Network></PerMachine></Quillbray></Quillbray_Preferences>\n");
  const std::string undo = backslashed(dir.file("undo.reg"));
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const std::string systemReg = narrow(windows) + "\\syswow64\\reg.exe";
  for (const std::string& importer : {std::string(QB_REG_TOOL), systemReg}) {
    SCOPED_TRACE(importer);
    const qbtest::ProcessRun imported = run(QB_IMPORT_CONSOLE, "--undo-file " + undo + " /IC " + file);
    ASSERT_EQ(imported.status, 0) << imported.err;
    ASSERT_NE(exports(), before);
    const qbtest::ProcessRun back = run(importer.c_str(), "import " + undo);
    EXPECT_EQ(back.status, 0) << back.out << back.err;
    EXPECT_EQ(exports(), before);
  }
  cleanMachine();
}

}  // namespace
