// The settings-file implementation set: every value is an entry of the
// group's section, written as text.
//
//   integer  decimal, "-" for negative numbers        -12
//   Boolean  "1" or "0"
//   string   the text unchanged
//   binary   two upper-case hexadecimal digits a byte  00AB10
#include <limits>
#include <utility>

#include "prefs/ConfigBase.h"
#include "prefs/StoredForms.h"

namespace quillbray {
namespace {

using Name = const std::string&;

constexpr std::size_t kMaxStringRead = kMaxStringReadBytes;

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

// At most `bytes` bytes of the text, not cut inside a UTF-8 character.
std::string cutAt(std::string text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
  text.resize(bytes);
  return text;
}

// What a string reads back as: at most 2047 bytes.
std::string limited(std::string text) { return cutAt(std::move(text), kMaxStringRead); }

// A name for a message: a long one cut, as it may be thousands of bytes.
std::string shown(const std::string& text) {
  constexpr std::size_t kShown = 40;
  return text.size() <= kShown ? text : cutAt(text, kShown) + "...";
}

[[noreturn]] void refuse(platform::IniFile& f, const std::string& why) {
  throw platform::IniFileError("Unable to write to " + f.fileName() + "\r\n" + why);
}

// An entry that reading could not give back is refused before it is written:
// a string longer than the read buffer, and a new name that the section's
// name list would not hold (it would hide itself and every later name of the
// section).
void checkReadsBack(platform::IniFile& f, const std::string& section, Name name, const std::string* text) {
  if (text && text->size() > kMaxStringRead)
    refuse(f, "the value '" + shown(name) + "' is " + std::to_string(text->size()) + " bytes long; at most " +
                  std::to_string(kMaxStringRead) + " bytes of a value are read back");
  if (f.readString(section, name)) return;  // a name the section has keeps its place in the list
  std::size_t listed = name.size() + 1;
  for (const std::string& other : f.entryNames(section)) listed += other.size() + 1;
  if (listed > kSectionNamesBufferBytes - 1)
    refuse(f, "the value name '" + shown(name) + "' does not fit in the list of the section's names, which is read " +
                  "into " + std::to_string(kSectionNamesBufferBytes) +
                  " bytes (each name followed by a zero byte), so the value could not be read back");
}

void writeEntry(platform::IniFile& f, const std::string& section, Name name, const std::string& text,
                bool isString = false) {
  checkReadsBack(f, section, name, isString ? &text : nullptr);
  f.writeString(section, name, text);
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
    writeEntry(file(), PrefSectionName(group), name, std::to_string(v));
  };
  slots.GetPrefString = [file](Name group, Name name, Name def) {
    const auto text = file().readString(PrefSectionName(group), name);
    return text ? limited(*text) : def;
  };
  slots.SetPrefString = [file](Name group, Name name, Name v) {
    writeEntry(file(), PrefSectionName(group), name, v, true);
  };
  slots.GetPrefBoolean = [file](Name group, Name name, bool def) {
    return readInteger(file(), group, name, def ? 1 : 0) != 0;
  };
  slots.SetPrefBooleanProc = [file](Name group, Name name, bool v) {
    writeEntry(file(), PrefSectionName(group), name, v ? "1" : "0");
  };
  slots.GetPrefBinary = [&s](Name group, Name name, std::span<std::uint8_t> buffer) {
    return s.GetPrefBinary_File(group, name, buffer);
  };
  slots.SetPrefBinaryProc = [file](Name group, Name name, std::span<const std::uint8_t> data) {
    writeEntry(file(), PrefSectionName(group), name, UpperHexText(data));
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
