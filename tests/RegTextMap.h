// A .reg file's keys and values as a map, to compare what two exporters
// wrote whatever order each lists them in. Read by the test's own small
// reader (not the reg tool's), for the forms regedit, reg.exe and
// quillbray-reg write: "[key]", @= or "name"= with "text", dword:, hex: and
// hex(N):, long hex lines continued with "\".
#pragma once

#include <cctype>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/Registry.h"
#include "tools/RegFileText.h"

namespace qbtest {

// Key (root and path) -> value name -> value; names in upper case (ASCII),
// as the registry compares them. Text of the string types is kept as the
// registry interface keeps it: UTF-8 with its terminating NUL.
using RegMap = std::map<std::string, std::map<std::string, platform::RegistryValue>>;

inline std::string upperAscii(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

inline RegMap parseRegMap(std::string_view bytes) {
  std::string text;
  if (bytes.substr(0, 2) == "\xFF\xFE")
    text = quillbray::utf16leToUtf8(reinterpret_cast<const std::uint8_t*>(bytes.data() + 2), bytes.size() - 2);
  else
    text = std::string(bytes.substr(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0));
  RegMap map;
  std::string key;
  std::string pending;  // a line continued with "\"
  std::size_t start = 0;
  const auto bad = [](const std::string& line, const char* why) {
    return std::runtime_error(std::string("unexpected .reg line (") + why + "): " + line);
  };
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!pending.empty()) {
      line = pending + line.substr(line.find_first_not_of(' ') == std::string::npos ? line.size() : line.find_first_not_of(' '));
      pending.clear();
    }
    if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
      pending = line.substr(0, line.size() - 1);
      continue;
    }
    if (line.empty() || line.rfind("Windows Registry Editor", 0) == 0) continue;
    if (line.front() == '[') {
      if (line.back() != ']') throw bad(line, "key");
      key = upperAscii(line.substr(1, line.size() - 2));
      map[key];
      continue;
    }
    // The name: @ or a quoted text with \\ and \" escapes.
    std::string name;
    std::size_t i = 0;
    if (line[0] == '@') {
      i = 1;
    } else if (line[0] == '"') {
      for (i = 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        name += line[i];
      }
      ++i;
    } else {
      throw bad(line, "name");
    }
    if (i >= line.size() || line[i] != '=') throw bad(line, "no =");
    const std::string data = line.substr(i + 1);
    platform::RegistryValue value;
    if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
      value.type = platform::REG_SZ;
      for (std::size_t k = 1; k + 1 < data.size(); ++k) {
        if (data[k] == '\\' && k + 2 < data.size()) ++k;
        value.data.push_back(static_cast<std::uint8_t>(data[k]));
      }
      value.data.push_back(0);
    } else if (data.rfind("dword:", 0) == 0) {
      const auto n = static_cast<std::uint32_t>(std::stoul(data.substr(6), nullptr, 16));
      value = {platform::REG_DWORD, {std::uint8_t(n), std::uint8_t(n >> 8), std::uint8_t(n >> 16), std::uint8_t(n >> 24)}};
    } else if (data.rfind("hex", 0) == 0) {
      std::size_t colon = data.find(':');
      if (colon == std::string::npos) throw bad(line, "hex");
      value.type = data[3] == '(' ? static_cast<std::uint32_t>(std::stoul(data.substr(4), nullptr, 16)) : platform::REG_BINARY;
      for (std::size_t k = colon + 1; k < data.size();) {
        if (data[k] == ',' || data[k] == ' ') {
          ++k;
          continue;
        }
        value.data.push_back(static_cast<std::uint8_t>(std::stoul(data.substr(k, 2), nullptr, 16)));
        k += 2;
      }
      if (value.type == platform::REG_SZ || value.type == platform::REG_EXPAND_SZ || value.type == 7) {
        const std::string utf8 = quillbray::utf16leToUtf8(value.data.data(), value.data.size());
        value.data.assign(utf8.begin(), utf8.end());
      }
    } else {
      throw bad(line, "data");
    }
    map[key][upperAscii(name)] = value;
  }
  return map;
}

}  // namespace qbtest
