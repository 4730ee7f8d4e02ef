// The code page of a REGEDIT4 file: Windows writes those in the system's
// ANSI code page, which is windows-1252 in Western Europe and the Americas.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/CodePageReader.h"

namespace quillbray {

// A code page name that neither the tool nor the system knows:
// "unknown code page 'CP9999' (iconv knows no such name; try CP1251,
// ISO-8859-2...)", or on Windows "(Windows has no such code page; ...)".
class UnknownCodePage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bytes the code page has no character for; offset is that of the first.
class UndecodableText : public std::runtime_error {
 public:
  UndecodableText(const std::string& what, std::size_t offset) : std::runtime_error(what), offset(offset) {}
  std::size_t offset;
};

// Turns a code page's bytes into UTF-8. windows-1252 is built in (its five
// unassigned bytes become the C1 controls of the same number, as Windows
// reads them); any other name is opened with platform::CodePageReader.
class CodePage {
 public:
  // windows-1252.
  CodePage() = default;
  // "1252", "windows-1252", "CP1251", "ISO-8859-2"...: a number alone is
  // read as "CP" and the number. Throws UnknownCodePage.
  explicit CodePage(const std::string& name);
  ~CodePage();
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  const std::string& name() const { return name_; }

  // The bytes as UTF-8 text. Throws UndecodableText.
  std::string toUtf8(std::string_view bytes) const;

 private:
  std::string name_ = "windows-1252";
  std::unique_ptr<platform::CodePageReader> reader_;  // null for the built-in windows-1252
};

}  // namespace quillbray
