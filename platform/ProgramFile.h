// The program's own file and the current directory.
#pragma once

#include <string>

namespace platform {

// The full path of the running program's file ("/opt/quillbray/quillbray-import",
// "C:\Program Files\Quillbray\quillbray-import.exe"); empty when unknown.
std::string programFilePath();

// Its last part, the program file's own name ("quillbray-import",
// "quillbray-import.exe").
std::string programFileName();

// The name the store's and the catalogue's error captions begin with:
// productExeName on Windows, where it is the product's program; on Linux,
// which has no such file, the running program's own file name.
std::string captionProgramName(const std::string& productExeName);

// The current directory, ending with the separator; empty when it cannot be
// determined.
std::string currentDirectory();

}  // namespace platform
