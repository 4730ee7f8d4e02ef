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

// The current directory, ending with the separator; empty when it cannot be
// determined.
std::string currentDirectory();

}  // namespace platform
