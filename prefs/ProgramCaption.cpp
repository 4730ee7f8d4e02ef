// The beginning of the store's error captions: the program's own file name.
#include "platform/ProgramFile.h"
#include "prefs/Product.h"

namespace quillbray {

std::string ProgramCaption(std::string_view programFileName, std::string_view what) {
  return std::string(programFileName) + ' ' + std::string(what);
}

std::string ProgramCaption(std::string_view what) { return ProgramCaption(platform::programFileName(), what); }

}  // namespace quillbray
