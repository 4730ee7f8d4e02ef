#include "tools/RegCodePage.h"

#include "platform/CodePageReader.h"
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
  // An empty name would give the locale's character set, which is no
  // code page the user named.
  if (name.empty()) throw UnknownCodePage("unknown code page '' (no name was given; try CP1251, ISO-8859-2...)");
  if (isWindows1252(platform::upperCase(name))) return;
  try {
    reader_ = std::make_unique<platform::CodePageReader>(name);
  } catch (const platform::UnknownCodePageName& e) {
    throw UnknownCodePage("unknown code page '" + name + "' (" + e.what() + "; try CP1251, ISO-8859-2...)");
  }
}

CodePage::~CodePage() = default;

std::string CodePage::toUtf8(std::string_view bytes) const {
  std::string out;
  if (!reader_) {
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      platform::encodeUtf8(b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b, out);
    }
    return out;
  }
  std::size_t at = 0;
  switch (reader_->toUtf8(bytes, out, at)) {
    case platform::CodePageReader::Fault::None: return out;
    case platform::CodePageReader::Fault::CutOff:
      throw UndecodableText("the text ends in the middle of a " + name_ + " character", at);
    default: throw UndecodableText("bytes that are no " + name_ + " character", at);
  }
}

}  // namespace quillbray
