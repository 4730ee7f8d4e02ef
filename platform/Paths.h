// File-name expansion.
#pragma once

#include <string>

namespace platform {

// The full form of a file name: a relative name is taken against the current
// directory, and "." and ".." parts are resolved without looking at the disk.
// A trailing "/" is kept.
//   "a/../b/"      in /home/me  =>  "/home/me/b/"
//   "/opt/x/../y"               =>  "/opt/y"
std::string expandFileName(const std::string& name);

// Whether this system's file names ignore letter case. On Linux they do not:
// even a folder on a FAT stick is reached through case-sensitive parents, so
// /media/USB/x is not on /media/usb.
bool fileNamesIgnoreCase();

// The folder part of a file name with its trailing "/" ("/opt/q/prog" => "/opt/q/").
std::string extractFilePath(const std::string& name);

}  // namespace platform
