// The product's fixed names.
#pragma once

namespace quillbray {

// The key below which every preference group is a sub-key.
inline constexpr const char* ProductKey = "Software\\Corvellan\\Quillbray 4";
// The product element of a configuration file and the product named in messages.
inline constexpr const char* ProductBaseName = "Quillbray";
// The beginning of the store's and the catalogue's error captions.
inline constexpr const char* ProductExeName = "Quillbray.exe";

}  // namespace quillbray
