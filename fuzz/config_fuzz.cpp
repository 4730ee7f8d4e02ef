// Fuzz target for the configuration reader: any bytes are parsed as a
// configuration file, and what the walk would read of it is touched.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "import/ConfigDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillbray;
  // Small limits, so that the fuzzer reaches each of them.
  ConfigLimits limits;
  limits.maxNames = 200;
  limits.maxDeclarations = 50;
  limits.maxAttributesPerElement = 8;
  limits.maxNamespaceDeclarations = 8;
  limits.maxAttributeDefaults = 4;
  limits.maxEntityReferences = 200;
  limits.maxEntityExpansion = 4096;
  limits.maxTextBytes = 4096;
  try {
    const ConfigDocument doc =
        ConfigDocument::FromContent(std::string_view(reinterpret_cast<const char*>(data), size), limits);
    doc.CheckEntities();
    std::size_t touched = doc.RootName().size() + doc.DoctypeName().size();
    for (const ConfigScope& scope : doc.Scopes()) {
      touched += doc.Text(scope.name).size();
      for (const ConfigEntry& entry : doc.Entries(scope)) {
        touched += doc.Text(entry.name).size();
        for (const ConfigValue& value : doc.Values(entry))
          touched += doc.Text(value.name).size() + doc.Text(value.text).size();
      }
    }
    static_cast<void>(touched);
  } catch (const ImportError&) {
  }
  return 0;
}
