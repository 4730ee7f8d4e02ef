// File-name expansion.
#pragma once

#include <string>

namespace platform {

// The full form of a file name: a relative name is taken against the current
// directory, and "." and ".." parts are resolved without looking at the disk.
// A trailing separator is kept. Linux resolves the parts itself; Windows
// answers with GetFullPathNameW.
//   "a/../b/"      in /home/me  =>  "/home/me/b/"
//   "/opt/x/../y"               =>  "/opt/y"
//   "a\..\b\"      in C:\Users\me  =>  "C:\Users\me\b\"
std::string expandFileName(const std::string& name);

// Whether this system's file names ignore letter case. On Linux they do not:
// even a folder on a FAT stick is reached through case-sensitive parents, so
// /media/USB/x is not on /media/usb. On Windows they do.
bool fileNamesIgnoreCase();

// The folder part of a file name with its trailing separator: up to the last
// "/" on Linux, the last "\", "/" or ":" on Windows.
//   "/opt/q/prog" => "/opt/q/"    "C:\Q\prog.exe" => "C:\Q\"    "C:prog.exe" => "C:"
std::string extractFilePath(const std::string& name);

}  // namespace platform
