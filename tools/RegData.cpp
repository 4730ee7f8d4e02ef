#include "tools/RegData.h"

#include <algorithm>
#include <cstdio>

#include "platform/Text.h"
#include "tools/RegFileText.h"

namespace quillbray {
namespace {

std::uint64_t number(const std::string& text, int bytes, const char* type) {
  const std::string bad = "'" + text + "' is not a " + type + " number (decimal, or hex after 0x)";
  std::string digits = text;
  int base = 10;
  // reg.exe reads a REG_QWORD as strtoull does: "-1" is all ones; a REG_DWORD
  // or a negative hex number it refuses.
  const bool negative = bytes == 8 && digits.size() > 1 && digits[0] == '-' && digits[1] >= '0' && digits[1] <= '9' &&
                        digits.compare(1, 2, "0x") != 0 && digits.compare(1, 2, "0X") != 0;
  if (negative) digits.erase(0, 1);
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits = digits.substr(2);
    base = 16;
  }
  if (digits.empty()) throw BadValueData(bad);
  const std::uint64_t limit = bytes == 4 ? 0xFFFFFFFFull : ~0ull;
  std::uint64_t n = 0;
  for (char c : digits) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    if (d < 0) throw BadValueData(bad);
    if (n > (limit - static_cast<std::uint64_t>(d)) / static_cast<std::uint64_t>(base))
      throw BadValueData("'" + text + "' does not fit a " + type);
    n = n * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
  }
  return negative ? ~n + 1 : n;
}

}  // namespace

std::optional<std::uint32_t> addType(const std::string& name) {
  const std::string up = platform::upperCase(name);
  if (up == "REG_DWORD_LITTLE_ENDIAN") return platform::REG_DWORD;
  for (const char* allowed : {"REG_SZ", "REG_EXPAND_SZ", "REG_MULTI_SZ", "REG_DWORD", "REG_QWORD", "REG_BINARY",
                              "REG_NONE", "REG_DWORD_BIG_ENDIAN"})
    if (up == allowed) return platform::registryTypeNamed(up);
  return std::nullopt;
}

std::string typeName(std::uint32_t type) {
  if (const std::string_view name = platform::registryTypeName(type); !name.empty()) return std::string(name);
  char buf[32];
  std::snprintf(buf, sizeof buf, "REG_UNKNOWN(0x%x)", type);
  return buf;
}

platform::RegistryValue valueFromText(std::uint32_t type, const std::string& text, const std::string& separator) {
  platform::RegistryValue v{type, {}};
  switch (type) {
    case platform::REG_SZ:
    case platform::REG_EXPAND_SZ:
      v.data.assign(text.begin(), text.end());
      v.data.push_back(0);
      return v;
    case REG_MULTI_SZ: {
      // One closing separator ends the last item rather than adding an empty
      // one; an empty item anywhere else would end the list early for every
      // reader, so reg.exe refuses it.
      const std::string sep = separator.empty() ? "\\0" : separator;
      std::string items = text;
      if (items.size() >= sep.size() && items.compare(items.size() - sep.size(), sep.size(), sep) == 0)
        items.resize(items.size() - sep.size());
      // A separator alone is one empty item, as reg.exe stores it.
      if (items.empty() && !text.empty()) v.data.push_back(0);
      std::size_t start = 0;
      while (!items.empty()) {
        const std::size_t cut = items.find(sep, start);
        const std::size_t end = cut == std::string::npos ? items.size() : cut;
        if (end == start)
          throw BadValueData("'" + text + "' holds an empty item, which a REG_MULTI_SZ cannot hold (items are separated by '" +
                             sep + "')");
        v.data.insert(v.data.end(), items.begin() + static_cast<std::ptrdiff_t>(start),
                      items.begin() + static_cast<std::ptrdiff_t>(end));
        v.data.push_back(0);
        if (cut == std::string::npos) break;
        start = cut + sep.size();
      }
      v.data.push_back(0);
      return v;
    }
    case platform::REG_NONE: {
      v.data = utf8ToUtf16le(text);
      v.data.insert(v.data.end(), {0, 0});
      return v;
    }
    // reg.exe stores a REG_DWORD_BIG_ENDIAN's number little-endian, as a
    // REG_DWORD's, and every Windows reads it back so.
    case platform::REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
      const int bytes = type == REG_QWORD ? 8 : 4;
      const std::uint64_t n = number(text, bytes, std::string(typeName(type)).c_str());
      for (int i = 0; i < bytes; ++i) v.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
      return v;
    }
    default: {
      // An odd count of digits takes a leading 0, as reg.exe reads it.
      const std::string digits = text.size() % 2 != 0 ? "0" + text : text;
      for (std::size_t i = 0; i < digits.size(); i += 2) {
        unsigned byte = 0;
        for (std::size_t k = i; k < i + 2; ++k) {
          const char c = digits[k];
          const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
          if (d < 0) throw BadValueData("'" + text + "' is not REG_BINARY data: only hex digits may be used");
          byte = byte * 16 + static_cast<unsigned>(d);
        }
        v.data.push_back(static_cast<std::uint8_t>(byte));
      }
      return v;
    }
  }
}

std::string valueText(const platform::RegistryValue& value) {
  const auto& d = value.data;
  char buf[32];
  switch (value.type) {
    case platform::REG_SZ:
    case platform::REG_EXPAND_SZ:
      // Up to the first zero, as reg.exe shows text that holds one.
      return std::string(d.begin(), std::find(d.begin(), d.end(), 0));
    case REG_MULTI_SZ: {
      std::string s(d.begin(), d.end());
      while (!s.empty() && s.back() == '\0') s.pop_back();
      std::string out;
      for (char c : s) {
        if (c == '\0') out += "\\0";
        else out += c;
      }
      return out;
    }
    case platform::REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:  // read as reg.exe reads it, little-endian
      if (d.size() == 4) {
        std::snprintf(buf, sizeof buf, "0x%x", d[0] | d[1] << 8 | d[2] << 16 | static_cast<unsigned>(d[3]) << 24);
        return buf;
      }
      break;
    case REG_QWORD:
      if (d.size() == 8) {
        unsigned long long n = 0;
        for (int i = 7; i >= 0; --i) n = (n << 8) | d[static_cast<std::size_t>(i)];
        std::snprintf(buf, sizeof buf, "0x%llx", n);
        return buf;
      }
      break;
  }
  std::string out;
  for (std::uint8_t b : d) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    out += buf;
  }
  return out;
}

}  // namespace quillbray
