// One of the system's code pages, read into UTF-8 one whole character at a
// time, for the parser's encoding handlers and the reg tool's /cp. Single-
// and double-byte code pages only: the stateful ones (ISO-2022, UTF-7) have
// no character boundaries to cut the text at.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::win32 {

class CodePageTable {
 public:
  // strict: a single byte the code page leaves unassigned, which Windows
  // reads as the C1 control of the same number (0x81 in windows-1252) or as
  // a private-use character, is no character, as iconv has it.
  // privatePairs: a double-byte character of the user-defined areas, which
  // Windows reads as a private-use character, is one; iconv reads them so in
  // CP932 but refuses them in GBK and EUC-KR.
  CodePageTable(UINT codePage, bool strict, bool privatePairs = true)
      : codePage_(codePage), privatePairs_(privatePairs) {
    CPINFO info{};
    if (!::GetCPInfo(codePage, &info) || info.MaxCharSize > 2) return;
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
      for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) lead_[b] = true;
    for (unsigned b = 0; b < 256; ++b) {
      single_[b] = kNone;
      if (lead_[b]) continue;
      const char c = static_cast<char>(b);
      wchar_t w[2];
      if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &c, 1, w, 2) != 1) continue;
      const bool unassigned = b >= 0x80 && ((w[0] >= 0x80 && w[0] <= 0x9F) || (w[0] >= 0xE000 && w[0] <= 0xF8FF));
      if (!(strict && unassigned)) single_[b] = w[0];
    }
    valid_ = true;
  }
  CodePageTable(const CodePageTable&) = delete;
  CodePageTable& operator=(const CodePageTable&) = delete;

  // The system knows the code page, and it is a single- or double-byte one.
  bool valid() const { return valid_; }
  UINT codePage() const { return codePage_; }

  enum class Stop {
    End,         // all of the input was read
    Invalid,     // the bytes at `consumed` are no character
    Incomplete,  // the input ends inside the character at `consumed`
    Full,        // the output has no room for the character at `consumed`
  };
  struct Step {
    std::size_t consumed = 0;
    std::size_t written = 0;
    Stop stop = Stop::End;
  };

  // Reads whole characters of in into out as UTF-8.
  Step decode(const unsigned char* in, std::size_t inLength, unsigned char* out, std::size_t outLength) const {
    Step s;
    while (s.consumed < inLength) {
      const unsigned char b = in[s.consumed];
      char32_t c;
      std::size_t size = 1;
      if (!lead_[b]) {
        if (single_[b] == kNone) return stop(s, Stop::Invalid);
        c = single_[b];
      } else {
        if (s.consumed + 1 == inLength) return stop(s, Stop::Incomplete);
        size = 2;
        c = pair(b, in[s.consumed + 1]);
        if (c == kNone) return stop(s, Stop::Invalid);
      }
      const std::size_t n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
      if (outLength - s.written < n) return stop(s, Stop::Full);
      unsigned char* o = out + s.written;
      switch (n) {
        case 1: o[0] = static_cast<unsigned char>(c); break;
        case 2:
          o[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
          o[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
          break;
        case 3:
          o[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
          o[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
          o[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
          break;
        default:
          o[0] = static_cast<unsigned char>(0xF0 | (c >> 18));
          o[1] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
          o[2] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
          o[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
      }
      s.written += n;
      s.consumed += size;
    }
    return s;
  }

 private:
  static constexpr char32_t kNone = 0xFFFFFFFF;

  static Step stop(Step s, Stop why) {
    s.stop = why;
    return s;
  }

  // A double-byte character; the table of them is made the first time one is
  // read (a few milliseconds), so that registering a code page costs nothing.
  char32_t pair(unsigned char lead, unsigned char trail) const {
    std::call_once(pairsMade_, [this] {
      pairs_ = std::make_unique<std::array<char32_t, 65536>>();
      pairs_->fill(kNone);
      for (unsigned l = 0; l < 256; ++l) {
        if (!lead_[l]) continue;
        for (unsigned t = 0; t < 256; ++t) {
          const char bytes[2] = {static_cast<char>(l), static_cast<char>(t)};
          wchar_t w[2];
          const int n = ::MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes, 2, w, 2);
          char32_t c = kNone;
          if (n == 1 && (privatePairs_ || w[0] < 0xE000 || w[0] > 0xF8FF)) c = w[0];
          else if (n == 2 && w[0] >= 0xD800 && w[0] < 0xDC00 && w[1] >= 0xDC00 && w[1] < 0xE000)
            c = 0x10000 + ((char32_t(w[0]) - 0xD800) << 10) + (char32_t(w[1]) - 0xDC00);
          (*pairs_)[l << 8 | t] = c;
        }
      }
    });
    return (*pairs_)[unsigned{lead} << 8 | trail];
  }

  UINT codePage_;
  bool privatePairs_;
  bool valid_ = false;
  std::array<bool, 256> lead_{};
  std::array<char32_t, 256> single_{};
  mutable std::once_flag pairsMade_;
  mutable std::unique_ptr<std::array<char32_t, 65536>> pairs_;
};

}  // namespace platform::win32
