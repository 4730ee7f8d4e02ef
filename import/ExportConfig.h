// Writing a program-configuration file from the hives: the reverse of the
// import, for the values the format can carry.
#pragma once

#include <string>
#include <vector>

#include "import/ConfigDocument.h"

namespace quillbray {

struct ExportConfigResult {
  std::size_t values = 0;             // values written to the file
  std::vector<std::string> skipped;   // one line for each value left out, saying why
};

// What the import reads: a file beyond it is not written.
struct ExportLimits {
  std::size_t maxBytes = kMaxConfigFileBytes;
  std::size_t maxNames = ConfigLimits{}.maxNames;
};

// Writes fileName from the product key of both hives: HKEY_CURRENT_USER
// values under PerUserRoam, HKEY_LOCAL_MACHINE values under PerMachine.
// Throws std::runtime_error with a message when the hives cannot be read, the
// import would not read the file, or the file cannot be written (a file that
// exists is replaced only whole).
ExportConfigResult ExportConfigFile(const std::string& fileName, const ExportLimits& limits = {});

}  // namespace quillbray
