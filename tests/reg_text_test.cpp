// The .reg text of values and of keys read through the registry interface.
#include <sstream>

#include "RegTextMap.h"
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

// Keys and values written through the registry come back in the export
// with every name, type and byte: the example import's values, the checked-in
// file's, written and exported in this process.
TEST(ExportRegText, ShowsWhatTheRegistryHolds) {
  ScopedHives hives;
  const RegMap fixture = parseRegMap(readFile(std::string(QB_FIXTURES) + "/example-import.reg"));
  ASSERT_FALSE(fixture.empty());
  // The map's names are in upper case, as it compares them; the product key
  // keeps its own spelling, which the export looks for.
  const std::string product = "Software\\Corvellan\\Quillbray 4";
  for (const auto& [key, values] : fixture) {
    const bool user = key.rfind("HKEY_CURRENT_USER\\", 0) == 0;
    const std::string path = product + key.substr(key.find('\\') + 1 + product.size());
    auto k = platform::registry().openKey(user ? HKCU : HKLM, path, platform::KeyAccess::ReadWrite, true);
    for (const auto& [name, value] : values) k->setValue(name, value);
  }
  RegMap exported;
  for (auto [root, name] : {std::pair{HKCU, "HKEY_CURRENT_USER"}, std::pair{HKLM, "HKEY_LOCAL_MACHINE"}}) {
    std::ostringstream text;
    EXPECT_TRUE(quillbray::exportRegText(text, root, "Software\\Corvellan\\Quillbray 4").empty()) << name;
    exported.merge(parseRegMap(text.str()));
  }
  EXPECT_EQ(exported, fixture);
}

// In process: the errors as types, and a stream that fails stops the walk.
TEST(ExportRegText, ThrowsTypedErrors) {
  ScopedHives hives;
  seed(HKCU, "Software\\A", "V", dword(1));
  std::ostringstream text;
  EXPECT_THROW(quillbray::exportRegText(text, HKCU, "Software\\Nope"), quillbray::NoSuchKey);
  EXPECT_EQ(text.str(), "");
  std::ostream broken(nullptr);  // every write fails
  try {
    quillbray::exportRegText(broken, HKCU, "");
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "cannot write the exported text");
  }
}

}  // namespace
