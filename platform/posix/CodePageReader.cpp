#include "platform/CodePageReader.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "platform/Text.h"
#include "platform/posix/WindowsCodePageNames.h"

namespace platform {

struct CodePageReader::State {
  iconv_t cd;
};

CodePageReader::CodePageReader(const std::string& name) {
  const bool number = !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
  std::string iconvName = number ? "CP" + name : name;
  for (const std::string_view windowsName : kCp932Names)
    if (upperCase(name) == upperCase(windowsName)) iconvName = kCp932;
  const iconv_t cd = ::iconv_open("UTF-8", iconvName.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) throw UnknownCodePageName("iconv knows no such name");
  state_ = std::make_unique<State>(State{cd});
}

CodePageReader::~CodePageReader() { ::iconv_close(state_->cd); }

CodePageReader::Fault CodePageReader::toUtf8(std::string_view bytes, std::string& out, std::size_t& at) const {
  const iconv_t cd = state_->cd;
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh start for each text
  std::vector<char> buf(4096);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (true) {
    char* to = buf.data();
    std::size_t toLeft = buf.size();
    // UTF-8 has no shift states: nothing is left to flush at the end.
    const std::size_t r = ::iconv(cd, &in, &inLeft, &to, &toLeft);
    const int err = errno;
    out.append(buf.data(), buf.size() - toLeft);
    if (r != static_cast<std::size_t>(-1)) {
      if (inLeft == 0) return Fault::None;
      continue;
    }
    if (err == E2BIG) continue;
    at = bytes.size() - inLeft;
    return err == EINVAL ? Fault::CutOff : Fault::NoCharacter;
  }
}

}  // namespace platform
