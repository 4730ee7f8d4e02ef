// The settings-file implementation set: every value is an entry of the
// group's section, written as text.
//
//   integer  decimal, "-" for negative numbers        -12
//   Boolean  "1" or "0"
//   string   the text unchanged
//   binary   two upper-case hexadecimal digits a byte  00AB10
#include <limits>

#include "prefs/ConfigBase.h"
#include "prefs/StoredForms.h"

namespace quillbray {
namespace {

using Name = const std::string&;

// The profile routines deliver a string into a buffer of 2048 characters.
constexpr std::size_t kMaxStringRead = 2047;

platform::IniFile& need(const std::unique_ptr<platform::IniFile>& file) {
  if (!file) throw PrefError("no settings file is open");
  return *file;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X"; the whole text, within 32 bits
// (hexadecimal up to FFFFFFFF, read as its two's complement).
std::optional<std::int32_t> parseInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return std::nullopt;
  std::uint64_t n = 0;
  for (; i < text.size(); ++i) {
    const int d = hex ? hexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    n = n * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    if (n > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    const auto u = static_cast<std::uint32_t>(n);
    return static_cast<std::int32_t>(negative ? 0u - u : u);
  }
  if (n > (negative ? 2147483648ull : 2147483647ull)) return std::nullopt;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n));
}

std::int32_t readInteger(platform::IniFile& f, Name group, Name name, std::int32_t def) {
  const auto text = f.readString(PrefSectionName(group), name);
  if (!text) return def;
  return parseInteger(*text).value_or(def);
}

// At most 2047 bytes, not cut inside a UTF-8 character.
std::string limited(std::string text) {
  if (text.size() <= kMaxStringRead) return text;
  std::size_t cut = kMaxStringRead;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text;
}


}  // namespace

std::int32_t TConfigBase::GetPrefBinary_File(const std::string& group, const std::string& name,
                                             std::span<std::uint8_t> buffer) {
  const auto text = need(IniFile).readString(PrefSectionName(group), name);
  if (!text || text->empty()) return 0;
  // The count is half the text's length; decoding stops at the first pair
  // that is not two hexadecimal digits, and the bytes after it are zero.
  std::vector<std::uint8_t> bytes(text->size() / 2, 0);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int hi = hexDigit((*text)[2 * i]), lo = hexDigit((*text)[2 * i + 1]);
    if (hi < 0 || lo < 0) break;
    bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  if (bytes.size() > buffer.size()) throw PrefError("Buffer overflow: GetPrefBinary_File");
  std::copy(bytes.begin(), bytes.end(), buffer.begin());
  return static_cast<std::int32_t>(bytes.size());
}

TPrefSlots FilePrefSet(TConfigBase& s) {
  auto file = [&s]() -> platform::IniFile& { return need(s.IniFile); };
  TPrefSlots slots;
  slots.ClosePref = [&s] { s.ClosePref_File(); };
  slots.GetPrefInteger = [file](Name group, Name name, std::int32_t def) {
    return readInteger(file(), group, name, def);
  };
  slots.SetPrefInteger = [file](Name group, Name name, std::int32_t v) {
    file().writeString(PrefSectionName(group), name, std::to_string(v));
  };
  slots.GetPrefString = [file](Name group, Name name, Name def) {
    const auto text = file().readString(PrefSectionName(group), name);
    return text ? limited(*text) : def;
  };
  slots.SetPrefString = [file](Name group, Name name, Name v) { file().writeString(PrefSectionName(group), name, v); };
  slots.GetPrefBoolean = [file](Name group, Name name, bool def) {
    return readInteger(file(), group, name, def ? 1 : 0) != 0;
  };
  slots.SetPrefBooleanProc = [file](Name group, Name name, bool v) {
    file().writeString(PrefSectionName(group), name, v ? "1" : "0");
  };
  slots.GetPrefBinary = [&s](Name group, Name name, std::span<std::uint8_t> buffer) {
    return s.GetPrefBinary_File(group, name, buffer);
  };
  slots.SetPrefBinaryProc = [file](Name group, Name name, std::span<const std::uint8_t> data) {
    file().writeString(PrefSectionName(group), name, UpperHexText(data));
  };
  // The section is the name given, not mapped by PrefSectionName.
  slots.GetPrefValueNames = [file](Name, Name section, std::vector<std::string>& list) {
    list = NamesWithinBuffer(file().entryNames(section));
  };
  slots.DeletePrefValue = [file](Name group, Name name) {
    try {
      file().deleteEntry(group, name);
    } catch (const std::exception&) {
      // Deleting never reports a failure of the profile routines.
    }
    return true;
  };
  // Clearing takes every name, not a buffer's worth: a name longer than the
  // name list's buffer would never show in it, and so never be deleted.
  slots.DeletePrefKey = [file](Name section) {
    try {
      for (const auto& name : file().entryNames(section)) file().deleteEntry(section, name);
      return file().entryNames(section).empty();
    } catch (const std::exception&) {
      return false;
    }
  };
  return slots;
}

}  // namespace quillbray
