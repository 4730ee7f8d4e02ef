// A hive's keys and values as Windows .reg text.
#pragma once

#include <ostream>
#include <string>

#include "platform/Registry.h"

namespace quillbray {

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* rootName(platform::RegistryRoot root);

// Writes the "Windows Registry Editor Version 5.00" text of the key and
// everything below it: each key as "[ROOT\path]" with its values in creation
// order, then its sub-keys in case-folded name order, depth first. Answers
// false (writing nothing) when the key does not exist.
bool exportRegText(std::ostream& out, platform::RegistryRoot root, const std::string& path);

// One value as a .reg line (without the line end):
//   "name"=dword:0000000c   "name"="te\"xt"   "name"=hex:0a,1b   @=hex(2):41,00,00,00
std::string regValueLine(const std::string& name, const platform::RegistryValue& value);

}  // namespace quillbray
