#include "tools/RegCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

#include "platform/Text.h"
#include "platform/Utf8.h"

namespace quillbray {
namespace {

// windows-1252's 0x80..0x9F; the rest are Latin-1.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool isWindows1252(const std::string& up) {
  return up == "1252" || up == "CP1252" || up == "WINDOWS-1252" || up == "WINDOWS1252";
}

}  // namespace

CodePage::CodePage(const std::string& name) : name_(name) {
  const std::string up = platform::upperCase(name);
  if (isWindows1252(up)) return;
  const bool number = !up.empty() && up.find_first_not_of("0123456789") == std::string::npos;
  const std::string iconvName = number ? "CP" + up : name;
  const iconv_t cd = ::iconv_open("UTF-8", iconvName.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw UnknownCodePage("unknown code page '" + name + "' (iconv knows no such name; try CP1251, ISO-8859-2...)");
  iconv_ = cd;
}

CodePage::~CodePage() {
  if (iconv_) ::iconv_close(static_cast<iconv_t>(iconv_));
}

std::string CodePage::toUtf8(std::string_view bytes) const {
  std::string out;
  if (!iconv_) {
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      platform::encodeUtf8(b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b, out);
    }
    return out;
  }
  const auto cd = static_cast<iconv_t>(iconv_);
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
      if (inLeft == 0) return out;
      continue;
    }
    if (err == E2BIG) continue;
    const std::size_t offset = bytes.size() - inLeft;
    throw UndecodableText(err == EINVAL ? "the text ends in the middle of a " + name_ + " character"
                                        : "bytes that are no " + name_ + " character",
                          offset);
  }
}

}  // namespace quillbray
