// The product's fixed names.
#pragma once

#include <string>
#include <string_view>

namespace quillbray {

// The key below which every preference group is a sub-key.
inline constexpr const char* ProductKey = "Software\\Corvellan\\Quillbray 4";
// The product element of a configuration file and the product named in messages.
inline constexpr const char* ProductBaseName = "Quillbray";
// The product's program file, whose name begins the store's and the
// catalogue's error captions on Windows.
inline constexpr const char* ProductExeName = "Quillbray.exe";
// The store's and the catalogue's error captions: "Quillbray.exe OpenPref
// Error" on Windows (`ProductExeName`), "quillbray-import OpenPref Error" on
// Linux, where no Quillbray.exe exists and the running program's own file
// name stands for it. `what` follows after a blank.
std::string ProgramCaption(std::string_view programFileName, std::string_view what);
// The same for the running program.
std::string ProgramCaption(std::string_view what);

}  // namespace quillbray
