// The shell's special folders, asked for by their Windows CSIDL number.
#pragma once

#include <string>

namespace platform {

// The CSIDL numbers the product asks for, with their Windows values.
constexpr int CSIDL_DESKTOP = 0;
constexpr int CSIDL_PERSONAL = 5;  // documents
constexpr int CSIDL_APPDATA = 26;  // roaming application data
constexpr int CSIDL_LOCAL_APPDATA = 28;
constexpr int CSIDL_COMMON_APPDATA = 35;  // all users' application data
constexpr int CSIDL_PROGRAM_FILES = 38;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 43;  // common files
constexpr int CSIDL_COMMON_DOCUMENTS = 46;

// The folder that stands for a CSIDL number: a full path ending with "/", or
// empty when the number is unknown or the folder cannot be determined (no
// HOME, for example). The folder need not exist; nothing is created.
std::string shellFolder(int csidl);

}  // namespace platform
