// The reg tool's /cp on Windows: a code page number, or a name that
// CodePageNames, the ISO-8859 parts or a "CP"/"windows-"/"IBM" prefix and a
// number give one. Text is read as Windows reads it (windows-1252's 0x81 is
// U+0081).
#include "platform/CodePageReader.h"

#include <optional>

#include "platform/Text.h"
#include "platform/win32/CodePageNames.h"
#include "platform/win32/CodePageTable.h"

namespace platform {
namespace {

std::optional<UINT> number(std::string_view digits) {
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  return static_cast<UINT>(std::stoul(std::string(digits)));
}

std::optional<UINT> codePageNamed(const std::string& name) {
  const std::string up = upperCase(name);
  if (auto n = number(up)) return n;
  for (const auto& page : win32::kCodePageNames) {
    if (upperCase(page.name) == up) return page.codePage;
    for (const char* alias : page.aliases)
      if (upperCase(alias) == up) return page.codePage;
  }
  static constexpr std::pair<std::string_view, UINT> kOthers[] = {
      {"UTF-8", CP_UTF8}, {"UTF8", CP_UTF8}, {"UTF-7", CP_UTF7}, {"US-ASCII", 20127}, {"ASCII", 20127},
      {"LATIN1", 28591},  {"GB18030", 54936},
  };
  for (const auto& [other, page] : kOthers)
    if (up == other) return page;
  for (std::string_view iso : {"ISO-8859-", "ISO8859-", "ISO_8859-", "ISO-8859_"})
    if (up.starts_with(iso))
      if (auto part = number(std::string_view(up).substr(iso.size())); part && *part >= 1 && *part <= 16)
        return 28590 + *part;
  for (std::string_view prefix : {"CP", "WINDOWS-", "IBM", "X-CP", "MS"})
    if (up.starts_with(prefix))
      if (auto n = number(std::string_view(up).substr(prefix.size()))) return n;
  return std::nullopt;
}

// A code page without character boundaries of its own (UTF-7, ISO-2022,
// GB18030's four-byte forms): the system reads the whole text, and a fault is
// placed at the longest start of the text it reads.
CodePageReader::Fault readWhole(UINT codePage, std::string_view bytes, std::string& out, std::size_t& at) {
  const auto convert = [&](std::size_t length, std::wstring* wide) {
    if (length == 0) return true;
    for (const DWORD flags : {DWORD{MB_ERR_INVALID_CHARS}, DWORD{0}}) {
      const int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(length), nullptr, 0);
      if (n <= 0 && ::GetLastError() == ERROR_INVALID_FLAGS) continue;  // UTF-7 and ISO-2022 take no flags
      if (n <= 0) return false;
      if (wide) {
        wide->resize(static_cast<std::size_t>(n));
        ::MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(length), wide->data(), n);
      }
      return true;
    }
    return false;
  };
  std::wstring wide;
  if (convert(bytes.size(), &wide)) {
    if (!wide.empty()) {
      const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                          nullptr);
      const std::size_t start = out.size();
      out.resize(start + static_cast<std::size_t>(n));
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data() + start, n, nullptr,
                            nullptr);
    }
    return CodePageReader::Fault::None;
  }
  std::size_t good = 0, bad = bytes.size();  // good reads, bad does not
  while (bad - good > 1) {
    const std::size_t mid = good + (bad - good) / 2;
    (convert(mid, nullptr) ? good : bad) = mid;
  }
  at = good;
  return CodePageReader::Fault::NoCharacter;
}

}  // namespace

struct CodePageReader::State {
  UINT codePage;
  win32::CodePageTable table;
};

CodePageReader::CodePageReader(const std::string& name) {
  const std::optional<UINT> page = codePageNamed(name);
  if (!page || !::IsValidCodePage(*page)) throw UnknownCodePageName("Windows has no such code page");
  state_ = std::unique_ptr<State>(new State{*page, win32::CodePageTable(*page, false)});
}

CodePageReader::~CodePageReader() = default;

CodePageReader::Fault CodePageReader::toUtf8(std::string_view bytes, std::string& out, std::size_t& at) const {
  const win32::CodePageTable& table = state_->table;
  if (!table.valid()) return readWhole(state_->codePage, bytes, out, at);
  const std::size_t start = out.size();
  out.resize(start + 3 * bytes.size());  // a byte is at most one UTF-16 unit: three UTF-8 bytes
  const auto s = table.decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                              reinterpret_cast<unsigned char*>(out.data() + start), 3 * bytes.size());
  out.resize(start + s.written);
  at = s.consumed;
  switch (s.stop) {
    case win32::CodePageTable::Stop::Invalid: return Fault::NoCharacter;
    case win32::CodePageTable::Stop::Incomplete: return Fault::CutOff;
    default: return Fault::None;
  }
}

}  // namespace platform
