// Reading .reg files into the hives.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace quillbray {

class CodePage;

// Larger files are refused before they are read.
constexpr std::uintmax_t kMaxRegFileSize = 64u << 20;

// A file that is not a .reg file the tool can read; the message names the
// file and the line at fault: "x.reg: line 7: bad hex digits 'zz'".
class BadRegFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One change a .reg file asks for, in the file's order.
struct RegChange {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::CreateKey;
  platform::RegistryRoot root = platform::RegistryRoot::CurrentUser;
  std::string path;  // below the root
  std::string name;  // the value's, "" for the default value
  platform::RegistryValue value;
  // value.data is text of a string type as the file's UTF-16LE bytes, to be
  // stored as they are (RegistryKey::setUtf16Value): bytes that no UTF-8
  // text holds, given where the registry keeps text as UTF-16.
  bool utf16 = false;
  bool operator==(const RegChange&) const = default;
};

// The changes of a whole .reg file: "Windows Registry Editor Version 5.00"
// (UTF-16LE with a byte-order mark, or UTF-8 with or without one) or
// "REGEDIT4" (in the code page `ansi` when given, else UTF-8 when the bytes
// are UTF-8, else windows-1252). Strings are kept as the hive keeps them:
// UTF-8 and, for the string types, the file's terminating zero (hex(2) and
// hex(7) text without one gets one). `utf8Keeper` names what keeps them so
// in the message that refuses UTF-16 bytes no UTF-8 text holds; null hands
// such bytes on as they are (RegChange::utf16). Throws
// BadRegFile for the first fault, with `fileName` and the line, before
// anything is changed.
std::vector<RegChange> parseRegText(std::string_view bytes, const std::string& fileName,
                                    const CodePage* ansi = nullptr, const char* utf8Keeper = "the hive");

// Receives each change as it is parsed.
using RegChangeSink = std::function<void(const RegChange&)>;

// A .reg file's bytes: refuses one above kMaxRegFileSize, and anything that
// is not a regular file (naming what it is) without reading from it.
std::string readRegBytes(const std::string& fileName);

// Reads and parses a file (refusing one above kMaxRegFileSize), as
// parseRegText does.
std::vector<RegChange> readRegFile(const std::string& fileName, const char* utf8Keeper);

// import FILE: reads, parses and applies a file, all or nothing, in memory
// bounded by the file's text (the changes are never all kept): the whole
// file is read once for its faults and the hives it touches, then again
// while each change is applied, as applyRegChanges does. Where the registry
// keeps text as UTF-16 (Windows), text bytes that no UTF-8 text holds are
// stored as the file gives them.
void importRegFile(const std::string& fileName, const CodePage* ansi = nullptr);

// Applies the changes, all or nothing: every hive they touch is opened for
// writing (and locked) before the first change, so a hive that cannot be
// written changes nothing; each hive then changes in one transaction, and an
// error drops the changes of both. Deleting a key or value that does not
// exist is no error.
void applyRegChanges(const std::vector<RegChange>& changes);

}  // namespace quillbray
