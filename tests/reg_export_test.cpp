// quillbray-reg: hives as .reg text.
#include <sys/wait.h>

#include <cstdio>
#include <fstream>

#include "StoreFixture.h"
#include "tools/RegExport.h"

namespace {

using namespace qbtest;
using quillbray::regValueLine;

TEST(RegValueLine, EachTypeInRegeditsForm) {
  const struct {
    std::string name;
    platform::RegistryValue value;
    std::string line;
  } cases[] = {
      {"Uses", dword(12), "\"Uses\"=dword:0000000c"},
      {"Neg", dword(0xFFFFFFFE), "\"Neg\"=dword:fffffffe"},
      {"Path", sz("C:\\Data \"x\""), "\"Path\"=\"C:\\\\Data \\\"x\\\"\""},
      {"", sz("default"), "@=\"default\""},
      {"Bin", binary({0x0a, 0x1b}), "\"Bin\"=hex:0a,1b"},
      {"Empty", binary({}), "\"Empty\"=hex:"},
      {"Exp", {platform::REG_EXPAND_SZ, {'%', 'A', 0}}, "\"Exp\"=hex(2):25,00,41,00,00,00"},
      {"Lines", sz("a\nb"), "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00"},  // a string line cannot hold it
      {"Short", {platform::REG_DWORD, {1, 2}}, "\"Short\"=hex(4):01,02"},
      {"Multi", {7, {0x41, 0, 0}}, "\"Multi\"=hex(7):41,00,00"},
      {"Na\"me", dword(1), "\"Na\\\"me\"=dword:00000001"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(regValueLine(c.name, c.value), c.line);
  }
}

TEST(RegValueLine, LongHexWrapsBeforeColumnEighty) {
  const std::string line = regValueLine("B", binary(std::vector<std::uint8_t>(60, 0xab)));
  std::size_t start = 0;
  int lines = 0;
  for (std::size_t end; (end = line.find('\n', start)) != std::string::npos; start = end + 1, ++lines) {
    EXPECT_LE(end - start, 80u);
    EXPECT_EQ(line[end - 1], '\\');
  }
  EXPECT_GT(lines, 0);
  EXPECT_EQ(line.rfind("  ab", std::string::npos) != std::string::npos, true);
}

std::string runTool(const std::string& args, int& status) {
  FILE* p = ::popen((std::string(QB_REG_TOOL) + " " + args + " 2>&1").c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  status = WEXITSTATUS(::pclose(p));
  return out;
}

TEST(RegTool, ExportsAKeyAndItsSubtreeInAStableOrder) {
  ScopedHives hives;
  seed(HKCU, "Software\\Corvellan\\Quillbray 4", "Uses", dword(12));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\Logs", "Log Format", sz("hh:nn"));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\Logs", "Log Unusual Events", dword(1));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\$Unknown\\My Group", "Data", binary({1, 2}));
  seed(HKCU, "Software\\Corvellan\\Quillbray 4\\Appearance", "Visual Theme", dword(2));
  int status = 0;
  EXPECT_EQ(runTool("export HKCU 'software\\corvellan\\quillbray 4'", status),
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
  EXPECT_EQ(status, 0);
}

TEST(RegTool, ReportsMissingKeysBadHivesAndBadArguments) {
  ScopedHives hives;
  seed(HKLM, "Software", "X", dword(1));
  int status = 0;
  EXPECT_NE(runTool("export HKLM", status).find("[HKEY_LOCAL_MACHINE\\Software]\n\"X\"=dword:00000001"),
            std::string::npos);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(runTool("export HKLM Software\\\\Nope", status),
            "quillbray-reg: no such key: HKEY_LOCAL_MACHINE\\Software\\Nope\n");
  EXPECT_EQ(status, 1);
  { std::ofstream(hives.user()) << "junk"; }
  EXPECT_NE(runTool("export", status).find("file is not a database"), std::string::npos);
  EXPECT_EQ(status, 1);
  runTool("import x", status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(qbtest::readFile(hives.user()), "junk");
}

}  // namespace
