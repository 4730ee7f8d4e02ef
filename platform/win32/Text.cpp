// Letter case as the registry compares names: the system's simple upper- and
// lower-case mapping of each UTF-16 unit, with the invariant locale, so that
// the answer is the same whatever the user's locale (no Turkish dotless i).
#include <windows.h>

#include "platform/Text.h"
#include "platform/Utf8.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

// Maps a run of valid UTF-8 through LCMapStringEx.
std::string mapRun(std::string_view run, DWORD flags) {
  std::wstring wide = win32::widen(run);
  std::wstring out(wide.size(), L'\0');
  const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, wide.data(), static_cast<int>(wide.size()), out.data(),
                                static_cast<int>(out.size()), nullptr, nullptr, 0);
  if (n <= 0) return std::string(run);  // no mapping: the text as it stands
  out.resize(static_cast<std::size_t>(n));
  return win32::narrow(out);
}

// ASCII is mapped here; runs of other valid characters go to the system;
// bytes that are not UTF-8 are kept as they are.
std::string mapLetters(std::string_view s, DWORD flags, char from, char to) {
  std::string out;
  out.reserve(s.size());
  std::size_t runStart = std::string_view::npos;
  const auto endRun = [&](std::size_t at) {
    if (runStart == std::string_view::npos) return;
    out += mapRun(s.substr(runStart, at - runStart), flags);
    runStart = std::string_view::npos;
  };
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    if (static_cast<unsigned char>(c) < 0x80) {
      endRun(i);
      out += c >= from && c <= to ? static_cast<char>(c ^ 0x20) : c;
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = decodeUtf8(s, i, cp);
    if (len == 0) {
      endRun(i);
      out += s[i++];
      continue;
    }
    if (runStart == std::string_view::npos) runStart = i;
    i += len;
  }
  endRun(s.size());
  return out;
}

}  // namespace

std::string upperCase(std::string_view utf8) { return mapLetters(utf8, LCMAP_UPPERCASE, 'a', 'z'); }

std::string lowerCase(std::string_view utf8) { return mapLetters(utf8, LCMAP_LOWERCASE, 'A', 'Z'); }

}  // namespace platform
