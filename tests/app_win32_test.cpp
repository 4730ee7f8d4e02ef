// quillbray-import.exe started as Windows starts a program: one command line,
// written here exactly, with non-ASCII folders, file names and values. The
// program writes the real HKEY_CURRENT_USER (CTest runs these one at a time
// under the "real-registry" lock); the product key is removed before and after.
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

void writeConfig(const std::string& path, int uses) {
  std::ofstream(std::filesystem::path(widen(path)), std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
         "<Quillbray_Preferences><Quillbray><PerUserRoam>"
         "<Uses type=\"integer\">"
      << uses
      << "</Uses><Greeting type=\"string\">Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC</Greeting>"
         "</PerUserRoam></Quillbray></Quillbray_Preferences>\n";
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
  std::ofstream(std::filesystem::path(widen(file)), std::ios::binary)
      << "<?xml version=\"1.0\"?>\n<!DOCTYPE Other_Preferences>\n<Other_Preferences/>\n";
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

}  // namespace
