// Text in a code page that the user names (the reg tool's /cp), read as
// UTF-8: through iconv and the names it knows on Linux; on Windows through
// the system's code pages, by number or by name.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// A name the system cannot read text in; what() says who does not know it
// ("iconv knows no such name").
class UnknownCodePageName : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CodePageReader {
 public:
  // "1251" (a number alone is that code page: CP1251), "CP1251",
  // "ISO-8859-2", "KOI8-R"... Throws UnknownCodePageName.
  explicit CodePageReader(const std::string& name);
  ~CodePageReader();
  CodePageReader(const CodePageReader&) = delete;
  CodePageReader& operator=(const CodePageReader&) = delete;

  enum class Fault {
    None,
    NoCharacter,  // bytes that are no character of the code page
    CutOff,       // the text ends inside a character
  };
  // Appends bytes, read in the code page, to out as UTF-8. On a fault *at is
  // the offset of the first byte not read.
  Fault toUtf8(std::string_view bytes, std::string& out, std::size_t& at) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
