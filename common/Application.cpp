#include "common/Application.h"

namespace quillbray {

std::string ApplicationTitle = kDefaultApplicationTitle;

}  // namespace quillbray
