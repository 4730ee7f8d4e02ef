// The .reg text of keys read through the registry interface, in process.
#include <sstream>

#include "RegTextMap.h"
#include "StoreFixture.h"
#include "tools/RegExport.h"

namespace {

using namespace qbtest;

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
