#include "import/ConfigDocument.h"

#include "import/XmlParse.h"
#include "platform/Files.h"

namespace quillbray {

ConfigDocument::ConfigDocument(const std::string& fileName, const ConfigLimits& limits) {
  std::string content;
  try {
    content = platform::readRegularFile(fileName, kMaxConfigFileBytes);
  } catch (const platform::FileError& e) {
    throw ImportError(e.what());
  }
  ParseConfig(content, limits, *this);
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
