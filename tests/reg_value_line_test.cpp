// The lines of a .reg file that hold one value each.
#include <gtest/gtest.h>

#include "RegValues.h"
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
      {"Return", sz("a\rb"), "\"Return\"=hex(1):61,00,0d,00,62,00,00,00"},
      {"Zero", {platform::REG_SZ, {'a', 0, 'b', 0}}, "\"Zero\"=hex(1):61,00,00,00,62,00,00,00"},
      // Other control characters stand in the string, as reg.exe writes them.
      {"Tab", sz("a\tb"), "\"Tab\"=\"a\tb\""},
      {"Controls", sz("\x01x\x7F"), "\"Controls\"=\"\x01x\x7F\""},
      {"Short", {platform::REG_DWORD, {1, 2}}, "\"Short\"=hex(4):01,02"},
      {"Multi", {7, {0x41, 0, 0}}, "\"Multi\"=hex(7):41,00,00,00,00,00"},
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

}  // namespace
