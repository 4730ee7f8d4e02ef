#include "import/ConfigDocument.h"

#include <optional>

#include "import/XmlParse.h"
#include "platform/Files.h"

namespace quillbray {

ConfigDocument::ConfigDocument(const std::string& fileName, const ConfigLimits& limits) {
  std::optional<platform::RegularFileReader> file;
  try {
    file.emplace(fileName, kMaxConfigFileBytes);
  } catch (const platform::FileError& e) {
    throw ImportError(e.what());
  }
  ParseConfig([&](char* buffer, std::size_t n) { return file->read(buffer, n); }, limits, *this);
}

ConfigDocument ConfigDocument::FromContent(std::string_view content, const ConfigLimits& limits) {
  ConfigDocument doc;
  ParseConfig(content, limits, doc);
  return doc;
}

void ConfigDocument::CheckEntities() const {
  if (!entityRefusal_.empty()) throw ImportError(entityRefusal_);
}

}  // namespace quillbray
