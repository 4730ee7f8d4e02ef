// Build-time tool: writes the program's VS_VERSIONINFO block.
//
//   qb-mkversion OUT FILE-VERSION PRODUCT-VERSION NAME=VALUE...
//   qb-mkversion version.bin 4.1.0.0 4.1.0.0 CompanyName=Corvellan ...
//
// The versions are four dotted numbers; the strings go into one string table,
// United States English in Unicode (040904b0), named by the translation table.
// Values are UTF-8 and stored as UTF-16.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Utf8.h"

namespace {

using Bytes = std::vector<unsigned char>;

void putWord(Bytes& out, std::uint32_t w) {
  out.push_back(static_cast<unsigned char>(w & 0xFF));
  out.push_back(static_cast<unsigned char>(w >> 8 & 0xFF));
}
void putDword(Bytes& out, std::uint32_t d) {
  putWord(out, d & 0xFFFF);
  putWord(out, d >> 16);
}
void pad4(Bytes& out) {
  while (out.size() % 4) out.push_back(0);
}

// UTF-16 units of a UTF-8 text, with its terminating zero.
std::vector<std::uint16_t> utf16(const std::string& text) {
  std::vector<std::uint16_t> units;
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t n = platform::decodeUtf8(text, i, cp);
    if (n == 0) throw std::runtime_error("not UTF-8: " + text);
    i += n;
    if (cp >= 0x10000) {
      units.push_back(static_cast<std::uint16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      units.push_back(static_cast<std::uint16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<std::uint16_t>(cp));
    }
  }
  units.push_back(0);
  return units;
}

// One node: header, key, value, children, each part 32-bit aligned.
Bytes node(const std::string& key, const Bytes& value, std::uint16_t valueLength, bool text,
           const std::vector<Bytes>& children) {
  Bytes out;
  putWord(out, 0);  // wLength, set below
  putWord(out, valueLength);
  putWord(out, text ? 1 : 0);
  for (const std::uint16_t u : utf16(key)) putWord(out, u);
  pad4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  if (out.size() > 0xFFFF) throw std::runtime_error("version block too large");
  out[0] = static_cast<unsigned char>(out.size() & 0xFF);
  out[1] = static_cast<unsigned char>(out.size() >> 8);
  return out;
}

Bytes stringNode(const std::string& name, const std::string& value) {
  Bytes bytes;
  const std::vector<std::uint16_t> units = utf16(value);
  for (const std::uint16_t u : units) putWord(bytes, u);
  return node(name, bytes, static_cast<std::uint16_t>(units.size()), true, {});
}

// "4.1.0.0" as the two double words of VS_FIXEDFILEINFO.
std::pair<std::uint32_t, std::uint32_t> dottedVersion(const std::string& text) {
  std::uint32_t part[4] = {};
  std::istringstream in(text);
  for (int i = 0; i < 4; ++i) {
    char dot = '.';
    if ((i > 0 && !(in >> dot)) || dot != '.' || !(in >> part[i]) || part[i] > 0xFFFF)
      throw std::runtime_error("not a version a.b.c.d: " + text);
  }
  return {part[0] << 16 | part[1], part[2] << 16 | part[3]};
}

}  // namespace

int main(int argc, char** argv) try {
  if (argc < 4) throw std::runtime_error("usage: qb-mkversion OUT FILE-VERSION PRODUCT-VERSION NAME=VALUE...");
  const auto [fileMs, fileLs] = dottedVersion(argv[2]);
  const auto [productMs, productLs] = dottedVersion(argv[3]);

  Bytes fixed;
  for (const std::uint32_t d : {0xFEEF04BDu, 0x00010000u, fileMs, fileLs, productMs, productLs,
                                0x3Fu,          // file flags mask
                                0x0u,           // file flags
                                0x40004u,       // VOS_NT_WINDOWS32
                                0x1u,           // VFT_APP
                                0x0u, 0x0u, 0x0u})
    putDword(fixed, d);

  std::vector<Bytes> strings;
  for (int i = 4; i < argc; ++i) {
    const std::string arg = argv[i];
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0) throw std::runtime_error("not NAME=VALUE: " + arg);
    strings.push_back(stringNode(arg.substr(0, eq), arg.substr(eq + 1)));
  }
  Bytes translation;
  putWord(translation, 0x0409);
  putWord(translation, 1200);
  const Bytes block = node(
      "VS_VERSION_INFO", fixed, static_cast<std::uint16_t>(fixed.size()), false,
      {node("StringFileInfo", {}, 0, true, {node("040904b0", {}, 0, true, strings)}),
       node("VarFileInfo", {}, 0, true, {node("Translation", translation, 4, false, {})})});

  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
  if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[1]);
  return 0;
} catch (const std::exception& e) {
  std::cerr << "qb-mkversion: " << e.what() << '\n';
  return 1;
}
