// Test helper: version blocks and the images that carry them, built by hand
// (independently of the build's own generator), with ways to break them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qbtest {

using Bytes = std::vector<unsigned char>;

inline void putWord(Bytes& out, std::uint32_t w) {
  out.push_back(static_cast<unsigned char>(w & 0xFF));
  out.push_back(static_cast<unsigned char>(w >> 8 & 0xFF));
}
inline void putDword(Bytes& out, std::uint32_t d) {
  putWord(out, d & 0xFFFF);
  putWord(out, d >> 16);
}
inline void putQword(Bytes& out, std::uint64_t q) {
  putDword(out, static_cast<std::uint32_t>(q));
  putDword(out, static_cast<std::uint32_t>(q >> 32));
}
inline void pad4(Bytes& out) {
  while (out.size() % 4) out.push_back(0);
}

// One node of a version block. Keys and texts are ASCII here.
struct VNode {
  std::string key;
  Bytes value;
  std::uint16_t valueLength = 0;
  bool text = false;
  std::vector<VNode> children;
};

inline Bytes build(const VNode& node) {
  Bytes out;
  putWord(out, 0);
  putWord(out, node.valueLength);
  putWord(out, node.text ? 1 : 0);
  for (char c : node.key) putWord(out, static_cast<unsigned char>(c));
  putWord(out, 0);
  pad4(out);
  out.insert(out.end(), node.value.begin(), node.value.end());
  for (const VNode& child : node.children) {
    pad4(out);
    const Bytes b = build(child);
    out.insert(out.end(), b.begin(), b.end());
  }
  out[0] = static_cast<unsigned char>(out.size() & 0xFF);
  out[1] = static_cast<unsigned char>(out.size() >> 8);
  return out;
}

inline VNode stringValue(const std::string& name, const std::string& text) {
  VNode n{name, {}, static_cast<std::uint16_t>(text.size() + 1), true, {}};
  for (char c : text) putWord(n.value, static_cast<unsigned char>(c));
  putWord(n.value, 0);
  return n;
}

// VS_FIXEDFILEINFO with this file version (a.b.c.d) and file flags.
inline Bytes fixedPart(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d, std::uint32_t flags) {
  Bytes out;
  for (std::uint32_t v : {0xFEEF04BDu, 0x10000u, std::uint32_t(a) << 16 | b, std::uint32_t(c) << 16 | d, 0x00090009u,
                          0x00090009u, 0x3Fu, flags, 0x40004u, 1u, 0u, 0u, 0u})
    putDword(out, v);
  return out;
}

struct StringTable {
  std::string key;  // "040904b0"
  std::vector<std::pair<std::string, std::string>> strings;
};

// A whole VS_VERSIONINFO: fixed part (or none), string tables, translation
// entries (or no VarFileInfo at all).
inline VNode versionInfo(const std::optional<Bytes>& fixed, const std::vector<StringTable>& tables,
                         const std::optional<std::vector<std::pair<std::uint16_t, std::uint16_t>>>& translations) {
  VNode root{"VS_VERSION_INFO", fixed.value_or(Bytes{}), static_cast<std::uint16_t>(fixed ? fixed->size() : 0), false, {}};
  VNode sfi{"StringFileInfo", {}, 0, true, {}};
  for (const StringTable& t : tables) {
    VNode table{t.key, {}, 0, true, {}};
    for (const auto& [name, text] : t.strings) table.children.push_back(stringValue(name, text));
    sfi.children.push_back(table);
  }
  root.children.push_back(sfi);
  if (translations) {
    VNode tr{"Translation", {}, static_cast<std::uint16_t>(translations->size() * 4), false, {}};
    for (const auto& [lang, cp] : *translations) {
      putWord(tr.value, lang);
      putWord(tr.value, cp);
    }
    root.children.push_back(VNode{"VarFileInfo", {}, 0, true, {tr}});
  }
  return root;
}

// A minimal ELF file (64- or 32-bit, either byte order) whose section `name`
// holds `contents`: header, contents, section names, section headers.
inline Bytes elfWith(const Bytes& contents, const std::string& name = ".qbversion", bool is64 = true,
                     bool bigEndian = false) {
  Bytes names = {0};
  const std::size_t nameAt = names.size();
  names.insert(names.end(), name.begin(), name.end());
  names.push_back(0);
  const std::size_t shstrAt = names.size();
  for (char c : std::string(".shstrtab")) names.push_back(static_cast<unsigned char>(c));
  names.push_back(0);

  const std::uint64_t headerSize = is64 ? 64 : 52, entrySize = is64 ? 64 : 40;
  const std::uint64_t contentsOffset = headerSize;
  const std::uint64_t namesOffset = contentsOffset + contents.size();
  const std::uint64_t shoff = (namesOffset + names.size() + 7) & ~std::uint64_t{7};

  // e_ident whole, padding included.
  Bytes out = {0x7F, 'E', 'L', 'F', static_cast<unsigned char>(is64 ? 2 : 1),
               static_cast<unsigned char>(bigEndian ? 2 : 1), 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto put = [&](std::uint64_t v, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
      out.push_back(static_cast<unsigned char>(v >> (8 * (bigEndian ? width - 1 - i : i))));
  };
  const std::size_t addr = is64 ? 8 : 4;
  put(2, 2);  // ET_EXEC
  put(0x3E, 2);
  put(1, 4);
  put(0, addr);  // entry
  put(0, addr);  // phoff
  put(shoff, addr);
  put(0, 4);  // flags
  put(headerSize, 2);
  put(0, 2);
  put(0, 2);
  put(entrySize, 2);
  put(3, 2);  // shnum
  put(2, 2);  // shstrndx
  out.insert(out.end(), contents.begin(), contents.end());
  out.insert(out.end(), names.begin(), names.end());
  out.resize(shoff, 0);
  const auto section = [&](std::uint64_t nameOffset, std::uint64_t type, std::uint64_t offset, std::uint64_t size) {
    put(nameOffset, 4);
    put(type, 4);
    put(0, addr);  // flags
    put(0, addr);  // addr
    put(offset, addr);
    put(size, addr);
    put(0, 4);
    put(0, 4);
    put(1, addr);
    put(0, addr);
  };
  section(0, 0, 0, 0);
  section(nameAt, 1, contentsOffset, contents.size());
  section(shstrAt, 3, namesOffset, names.size());
  return out;
}

// A minimal Windows PE file (PE32, one .rsrc section, no code) whose
// resource directory holds `block` as RT_VERSION / 1 / language 0x0409, laid
// out as tests/fixtures/make_pe_version.py lays it out. The system's own
// version API reads it as it reads a program's.
inline Bytes peWith(const Bytes& block) {
  constexpr std::uint32_t kSectionRva = 0x1000, kFileAlignment = 0x200, kRawOffset = 0x200;
  // .rsrc: three directory levels of 24 bytes, a data entry at 72, the block at 88.
  Bytes rsrc;
  const auto directory = [&](std::uint32_t id, std::uint32_t target) {
    for (int i = 0; i < 3; ++i) putDword(rsrc, 0);  // characteristics, time stamp, version
    putWord(rsrc, 0);                                // named entries
    putWord(rsrc, 1);                                // id entries
    putDword(rsrc, id);
    putDword(rsrc, target);
  };
  directory(16, 0x80000000u | 24);
  directory(1, 0x80000000u | 48);
  directory(0x0409, 72);
  putDword(rsrc, kSectionRva + 88);
  putDword(rsrc, static_cast<std::uint32_t>(block.size()));
  putDword(rsrc, 0);
  putDword(rsrc, 0);
  rsrc.insert(rsrc.end(), block.begin(), block.end());
  const auto rawSize = static_cast<std::uint32_t>((rsrc.size() + kFileAlignment - 1) / kFileAlignment * kFileAlignment);

  Bytes out = {'M', 'Z'};
  out.resize(60, 0);
  putDword(out, 0x40);  // e_lfanew
  for (const char c : {'P', 'E', '\0', '\0'}) out.push_back(static_cast<unsigned char>(c));
  // COFF header: i386, one section, optional header of 224 bytes, executable 32-bit image.
  putWord(out, 0x14C);
  putWord(out, 1);
  for (int i = 0; i < 3; ++i) putDword(out, 0);
  putWord(out, 224);
  putWord(out, 0x0102);
  // Optional header (PE32).
  putWord(out, 0x10B);
  out.push_back(14);
  out.push_back(0);
  for (std::uint32_t d : {0u, 0u, 0u, 0u, 0u, 0u, 0x400000u, 0x1000u, kFileAlignment}) putDword(out, d);
  for (std::uint32_t w : {4u, 0u, 0u, 0u, 4u, 0u}) putWord(out, w);
  for (std::uint32_t d : {0u, 0x2000u, kRawOffset, 0u}) putDword(out, d);
  putWord(out, 2);  // subsystem: Windows GUI
  putWord(out, 0);
  for (std::uint32_t d : {0x100000u, 0x1000u, 0x100000u, 0x1000u, 0u, 16u}) putDword(out, d);
  for (int i = 0; i < 16; ++i) {
    putDword(out, i == 2 ? kSectionRva : 0);  // the resource directory
    putDword(out, i == 2 ? static_cast<std::uint32_t>(rsrc.size()) : 0);
  }
  // The one section header.
  for (const char c : {'.', 'r', 's', 'r', 'c', '\0', '\0', '\0'}) out.push_back(static_cast<unsigned char>(c));
  for (std::uint32_t d : {static_cast<std::uint32_t>(rsrc.size()), kSectionRva, rawSize, kRawOffset, 0u, 0u}) putDword(out, d);
  putWord(out, 0);
  putWord(out, 0);
  putDword(out, 0x40000040);  // initialized data, readable
  out.resize(kRawOffset, 0);
  out.insert(out.end(), rsrc.begin(), rsrc.end());
  out.resize(kRawOffset + rawSize, 0);
  return out;
}

}  // namespace qbtest
