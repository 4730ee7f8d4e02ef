// The application object's one visible property: its title, the caption of
// the configuration import's message boxes.
#pragma once

#include <string>

namespace quillbray {

inline constexpr const char* kDefaultApplicationTitle = "Quillbray Configuration Import";

// Set by the program entry; the caption of the import's boxes.
extern std::string ApplicationTitle;

}  // namespace quillbray
