// The product's fixed names.
#pragma once

#include <string>
#include <string_view>

namespace quillbray {

// The key below which every preference group is a sub-key.
inline constexpr const char* ProductKey = "Software\\Corvellan\\Quillbray 4";
// The product element of a configuration file and the product named in messages.
inline constexpr const char* ProductBaseName = "Quillbray";
// The store's and the catalogue's error captions begin with the name of the
// program's own file: "Quillbray.exe OpenPref Error" on Windows,
// "quillbray-import OpenPref Error" here. `what` follows after a blank.
std::string ProgramCaption(std::string_view programFileName, std::string_view what);
// The same for the running program.
std::string ProgramCaption(std::string_view what);

}  // namespace quillbray
