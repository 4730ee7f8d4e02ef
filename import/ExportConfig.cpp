#include "import/ExportConfig.h"

#include <stdexcept>

namespace quillbray {

// Placeholder until the export lands.
ExportConfigResult ExportConfigFile(const std::string&) {
  throw std::runtime_error("exporting a configuration file is not supported by this version");
}

}  // namespace quillbray
