#include "import/ConfigDocument.h"

#include <optional>
#include <utility>

#include "import/XmlParse.h"
#include "platform/Files.h"

namespace quillbray {
namespace {

constexpr std::pair<std::string_view, ValueType> kValueTypes[] = {
    {"integer", ValueType::Integer},
    {"string", ValueType::String},
    {"boolean", ValueType::Boolean},
    {"binary", ValueType::Binary},
};

}  // namespace

ValueType ValueTypeNamed(std::string_view text) {
  for (const auto& [name, type] : kValueTypes)
    if (text == name) return type;
  return ValueType::None;
}

std::string_view ValueTypeName(ValueType type) {
  for (const auto& [name, t] : kValueTypes)
    if (t == type) return name;
  return {};
}

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
