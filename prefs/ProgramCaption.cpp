// The beginning of the store's error captions: the product's program file on
// Windows, the running program's own file on Linux.
#include "platform/ProgramFile.h"
#include "prefs/Product.h"

namespace quillbray {

std::string ProgramCaption(std::string_view programFileName, std::string_view what) {
  return std::string(programFileName) + ' ' + std::string(what);
}

std::string ProgramCaption(std::string_view what) {
  return ProgramCaption(platform::captionProgramName(ProductExeName), what);
}

}  // namespace quillbray
