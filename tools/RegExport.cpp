#include "tools/RegExport.h"

#include <cstdio>
#include <vector>

#include "platform/Text.h"
#include "platform/Utf8.h"

namespace quillbray {
namespace {

using platform::RegistryValue;

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// Text that a .reg string can carry as it is: one terminating zero and no
// control characters before it.
bool plainString(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] < 0x20 || data[i] == 0x7F) return false;
  return true;
}

// Windows keeps strings as UTF-16LE; hex(1) and hex(2) show them that way, so
// the text imports into Windows unchanged. Bytes that are not UTF-8 become U+FFFD.
std::vector<std::uint8_t> utf16le(const std::vector<std::uint8_t>& utf8) {
  std::vector<std::uint8_t> out;
  auto put = [&](char32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  const std::string_view text(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = platform::decodeUtf8(text, i, cp);
    if (len == 0) {
      put(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
    i += len;
  }
  return out;
}

// "hex:" or "hex(N):" and the bytes, wrapped before column 80 as regedit does.
std::string hexList(std::string line, const char* kind, const std::vector<std::uint8_t>& bytes) {
  line += kind;
  std::size_t column = line.size();
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
    line += buf;
    column += 2;
    if (i + 1 < bytes.size()) {
      line += ',';
      ++column;
      if (column > 76) {
        line += "\\\n  ";
        column = 2;
      }
    }
  }
  return line;
}

std::string typeTag(std::uint32_t type) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "hex(%x):", type);
  return buf;
}

void exportKey(std::ostream& out, platform::RegistryKey& key, const std::string& fullName) {
  out << '[' << fullName << "]\n";
  for (const auto& name : key.valueNames())
    if (auto value = key.queryValue(name)) out << regValueLine(name, *value) << '\n';
  out << '\n';
  for (const auto& sub : key.subKeyNames())
    if (auto child = key.openSubKey(sub, false)) exportKey(out, *child, fullName + "\\" + sub);
}

}  // namespace

const char* rootName(platform::RegistryRoot root) {
  return root == platform::RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string regValueLine(const std::string& name, const RegistryValue& value) {
  const std::string head = (name.empty() ? std::string("@") : quote(name)) + "=";
  switch (value.type) {
    case platform::REG_DWORD:
      if (value.data.size() == 4) {
        char buf[20];
        std::snprintf(buf, sizeof buf, "dword:%02x%02x%02x%02x", value.data[3], value.data[2], value.data[1],
                      value.data[0]);
        return head + buf;
      }
      break;
    case platform::REG_SZ:
      if (plainString(value.data))
        return head + quote(std::string(value.data.begin(), value.data.end() - 1));
      return hexList(head, "hex(1):", utf16le(value.data));
    case platform::REG_EXPAND_SZ:
      return hexList(head, "hex(2):", utf16le(value.data));
    case platform::REG_BINARY:
      return hexList(head, "hex:", value.data);
  }
  return hexList(head, typeTag(value.type).c_str(), value.data);
}

bool exportRegText(std::ostream& out, platform::RegistryRoot root, const std::string& path) {
  auto key = platform::registry().openKey(root, "", platform::KeyAccess::Read, false);
  std::string fullName = rootName(root);
  // Walk down by the stored spelling of each name, which the caller may have
  // typed in another letter case.
  for (std::string_view wanted : platform::splitKeyPath(path)) {
    if (!key) break;
    const std::string fold = platform::foldName(wanted);
    std::string stored;
    for (const auto& sub : key->subKeyNames())
      if (platform::foldName(sub) == fold) stored = sub;
    key = stored.empty() ? nullptr : key->openSubKey(stored, false);
    fullName += "\\" + stored;
  }
  if (!key) return false;
  out << "Windows Registry Editor Version 5.00\n\n";
  exportKey(out, *key, fullName);
  return true;
}

}  // namespace quillbray
