// The program imports a configuration file into the registry, and a
// registry tool of the system reads back what it stored: on Linux
// quillbray-reg over the hives, on Windows the system's own reg.exe over the
// real registry (a program the test starts does not see the test's private
// roots). So these tests change the real HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE on Windows: they delete the product key before and
// after, and CTest lets no other test run meanwhile (RESOURCE_LOCK).
#include <fstream>

#include "ProgramRun.h"
#include "RegTextMap.h"
#include "TestSupport.h"

namespace {

using namespace qbtest;

const std::string kProductKey = "Software\\Corvellan\\Quillbray 4";
constexpr const char* kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

// The registry tool of each system; both take reg.exe's command lines.
const std::string kRegTool = kOnWindows ? "C:\\windows\\system32\\reg.exe" : QB_REG_TOOL;

ProcessRun reg(const std::vector<std::string>& args, const std::string& cwd) {
  std::vector<std::string> argv = {kRegTool};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProcess(argv, cwd);
}

// The product key in both roots is gone while it lives and when it goes.
class ProductKeyGone {
 public:
  explicit ProductKeyGone(std::string cwd) : cwd_(std::move(cwd)) { clear(); }
  ~ProductKeyGone() { clear(); }

 private:
  void clear() {
    for (const char* root : kRoots) reg({"delete", std::string(root) + "\\" + kProductKey, "/f"}, cwd_);  // none: fine
  }
  std::string cwd_;
};

// The product key of the roots as the registry tool exports it.
RegMap exported(const TempDir& dir, std::vector<std::string> roots = {kRoots[0], kRoots[1]}) {
  RegMap all;
  for (const std::string& root : roots) {
    const std::string file = dir.file(root + ".reg");
    const ProcessRun run = reg({"export", root + "\\" + kProductKey, file, "/y"}, dir.path().string());
    EXPECT_EQ(run.status, 0) << root << ": " << run.out << run.err;
    if (run.status == 0) all.merge(parseRegMap(readFile(file)));
  }
  return all;
}

class ExampleImport : public ::testing::Test {
 protected:
  ScopedHives hives;  // Linux: the programs' hives; Windows: this process's roots only
  TempDir dir;
  ProductKeyGone gone{dir.path().string()};
};

// The example holds per-user values of both scopes and machine-wide ones;
// the machine's go to HKEY_LOCAL_MACHINE where this process may write there
// (always under Wine and for the tests' hives; on Windows an elevated run).
TEST_F(ExampleImport, StoresWhatTheCheckedInRegFileHolds) {
  const ProgramRun run = runImport({"/IC", QB_EXAMPLE_CONFIG}, dir.path().string());
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const RegMap expected = parseRegMap(readFile(std::string(QB_FIXTURES) + "/example-import.reg"));
  ASSERT_EQ(expected.size(), 11u);  // the fixture itself was read
  EXPECT_EQ(exported(dir), expected);
}

// Text outside ASCII, written by the program and read by another program,
// comes back as it was: the registry keeps it as UTF-16.
TEST_F(ExampleImport, TextOutsideAsciiSurvivesTheRealRegistry) {
  // Grüße–日本😀, beyond the Basic Multilingual Plane too.
  const std::string text = "Gr\xC3\xBC\xC3\x9F" "e\xE2\x80\x93\xE6\x97\xA5\xE6\x9C\xAC\xF0\x9F\x98\x80";
  const std::string config = dir.file("text.xml");
  std::ofstream(config, std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
         "<Quillbray_Preferences><Quillbray><PerUserRoam><General>"
         "<Prefix type=\"string\">" << text << "</Prefix>"
         "</General></PerUserRoam></Quillbray></Quillbray_Preferences>\n";
  const ProgramRun run = runImport({"/IC", config}, dir.path().string());
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  const RegMap all = exported(dir, {"HKEY_CURRENT_USER"});
  const auto key = all.find(upperAscii("HKEY_CURRENT_USER\\" + kProductKey + "\\General"));
  ASSERT_NE(key, all.end());
  platform::RegistryValue expected{platform::REG_SZ, {text.begin(), text.end()}};
  expected.data.push_back(0);
  EXPECT_EQ(key->second.at("PREFIX"), expected);
}

}  // namespace
