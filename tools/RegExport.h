// A hive's keys and values as Windows .reg text.
#pragma once

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace quillbray {

// The key to export does not exist. The message names the key and the hive
// file looked in: "no such key: HKEY_CURRENT_USER\Software\X (in hive '/h/user.hive')".
class NoSuchKey : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The hive holds rows that no key tree can hold: a key that is its own
// ancestor, a key listed twice, a name that is empty or holds "\".
// "hive '/h/user.hive' is damaged: the key 'HKEY_CURRENT_USER\Software\A' has a
// sub-key with an empty name; the exported text is incomplete".
class DamagedHive : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* rootName(platform::RegistryRoot root);

// Writes the "Windows Registry Editor Version 5.00" text of the key at path
// (found by its names in any letter case) and everything below it: each key
// as "[ROOT\path]" with its values in creation order, then its sub-keys in
// case-folded name order, depth first. The text goes to out as it is made,
// and the walk keeps only the keys on its current path, so the depth of the
// hive costs neither stack nor a copy of the output.
//
// A key or value that a .reg file cannot carry as it is (RegFaithful.h: a
// line break or NUL in a name, a name over Windows' limits, text that is
// not UTF-8) is left out, a key with everything below it, so the text never
// reads back as something else. Answers one line for each, "<what>: <why>",
// in the walk's order.
//
// A root always exists, also in a hive without a file (which is not made).
// Throws NoSuchKey, writing nothing, when the key does not exist; DamagedHive
// when the lookup or the walk meets damaged rows; platform::RegistryError when
// the hive cannot be read; std::runtime_error when out fails. Text written
// before an error stays written, and the message then says it is incomplete.
std::vector<std::string> exportRegText(std::ostream& out, platform::RegistryRoot root, const std::string& path);

// A value's name as a .reg line begins with it: "name" with "\\" and "\""
// escaped, or @ for the default value "".
std::string regValueName(const std::string& name);

// One value as a .reg line (without the line end):
//   "name"=dword:0000000c   "name"="te\"xt"   "name"=hex:0a,1b   @=hex(2):41,00,00,00
std::string regValueLine(const std::string& name, const platform::RegistryValue& value);

}  // namespace quillbray
