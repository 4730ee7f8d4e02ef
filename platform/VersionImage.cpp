// Finding the version block in an ELF or a PE image. Every offset and length
// read from the image is checked before it is used: a malformed image has no
// version block.
#include <array>
#include <cstring>

#include "platform/VersionResource.h"

namespace platform {
namespace {

constexpr std::uint64_t kMaxBlock = 0xFFFF;  // wLength is one word

// Little- or big-endian numbers read from the image; nullopt past its end.
class Reader {
 public:
  Reader(const ByteSource& image, bool bigEndian) : image_(image), big_(bigEndian) {}
  std::optional<std::uint64_t> number(std::uint64_t offset, std::size_t width) const {
    std::array<unsigned char, 8> b{};
    if (width > b.size() || !image_.read(offset, width, b.data())) return std::nullopt;
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < width; ++i) n |= std::uint64_t{b[big_ ? width - 1 - i : i]} << (8 * i);
    return n;
  }

 private:
  const ByteSource& image_;
  bool big_;
};

// wLength bytes at offset, when the root node's wLength fits in available.
std::vector<unsigned char> blockAt(const ByteSource& image, std::uint64_t offset, std::uint64_t available) {
  const std::optional<std::uint64_t> length = Reader(image, false).number(offset, 2);
  if (!length || *length < 6 || *length > available || *length > kMaxBlock) return {};
  std::vector<unsigned char> block(*length);
  if (!image.read(offset, block.size(), block.data())) return {};
  return block;
}

std::vector<unsigned char> findInElf(const ByteSource& image, const unsigned char* ident) {
  const bool is64 = ident[4] == 2;
  if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2)) return {};
  const Reader r(image, ident[5] == 2);
  const std::size_t addr = is64 ? 8 : 4;
  const auto shoff = r.number(is64 ? 0x28 : 0x20, addr);
  const auto shentsize = r.number(is64 ? 0x3A : 0x2E, 2);
  const auto shnum = r.number(is64 ? 0x3C : 0x30, 2);
  const auto shstrndx = r.number(is64 ? 0x3E : 0x32, 2);
  const std::uint64_t minEntry = is64 ? 64 : 40;
  if (!shoff || !shentsize || !shnum || !shstrndx || *shentsize < minEntry || *shstrndx >= *shnum ||
      *shoff > image.size())
    return {};

  struct Section {
    std::uint64_t name, type, offset, size;
  };
  const auto section = [&](std::uint64_t index) -> std::optional<Section> {
    const std::uint64_t at = *shoff + index * *shentsize;  // both bounded: no overflow
    const auto name = r.number(at, 4), type = r.number(at + 4, 4);
    const auto offset = r.number(at + (is64 ? 24 : 16), addr), size = r.number(at + (is64 ? 32 : 20), addr);
    if (!name || !type || !offset || !size) return std::nullopt;
    return Section{*name, *type, *offset, *size};
  };
  const std::optional<Section> names = section(*shstrndx);
  if (!names || names->offset > image.size()) return {};

  const std::size_t wantedLength = std::strlen(kVersionSectionName) + 1;
  std::vector<unsigned char> name(wantedLength);
  for (std::uint64_t i = 0; i < *shnum; ++i) {
    const std::optional<Section> s = section(i);
    if (!s) return {};
    constexpr std::uint64_t kNoBits = 8;
    if (s->type == kNoBits || s->name >= names->size || names->size - s->name < wantedLength ||
        !image.read(names->offset + s->name, wantedLength, name.data()) ||
        std::memcmp(name.data(), kVersionSectionName, wantedLength) != 0)
      continue;
    if (s->offset > image.size() || s->size > image.size() - s->offset) return {};
    return blockAt(image, s->offset, s->size);
  }
  return {};
}

std::vector<unsigned char> findInPe(const ByteSource& image) {
  const Reader r(image, false);
  const auto peOffset = r.number(0x3C, 4);
  std::array<unsigned char, 4> signature{};
  if (!peOffset || !image.read(*peOffset, 4, signature.data()) || signature != std::array<unsigned char, 4>{'P', 'E', 0, 0})
    return {};
  const std::uint64_t coff = *peOffset + 4;
  const auto sectionCount = r.number(coff + 2, 2);
  const auto optionalSize = r.number(coff + 16, 2);
  const std::uint64_t optional = coff + 20;
  const auto magic = r.number(optional, 2);
  if (!sectionCount || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B)) return {};
  const bool plus = *magic == 0x20B;
  const auto directoryCount = r.number(optional + (plus ? 108 : 92), 4);
  constexpr std::uint64_t kResourceDirectory = 2;
  const std::uint64_t directory = optional + (plus ? 112 : 96) + kResourceDirectory * 8;
  if (!directoryCount || *directoryCount <= kResourceDirectory || directory + 8 > optional + *optionalSize) return {};
  const auto resourceRva = r.number(directory, 4);
  if (!resourceRva) return {};

  // An RVA range [rva, rva + count) as a file offset, when one section's raw
  // data holds all of it.
  const std::uint64_t sections = optional + *optionalSize;
  const auto fileOffset = [&](std::uint64_t rva, std::uint64_t count) -> std::optional<std::uint64_t> {
    for (std::uint64_t i = 0; i < *sectionCount; ++i) {
      const std::uint64_t at = sections + i * 40;
      const auto address = r.number(at + 12, 4), rawSize = r.number(at + 16, 4), raw = r.number(at + 20, 4);
      if (!address || !rawSize || !raw) return std::nullopt;
      if (rva >= *address && rva - *address <= *rawSize && count <= *rawSize - (rva - *address))
        return *raw + (rva - *address);
    }
    return std::nullopt;
  };
  const auto number = [&](std::uint64_t rva, std::size_t width) -> std::optional<std::uint64_t> {
    const auto at = fileOffset(rva, width);
    return at ? r.number(*at, width) : std::nullopt;
  };

  // One level of the resource tree: the entry whose ID is id (the first
  // entry when id is 0), and whether it leads to a subdirectory. Offsets are
  // from the start of the resource directory.
  const auto entry = [&](std::uint64_t dirOffset, std::uint64_t id, bool wantDirectory) -> std::optional<std::uint64_t> {
    const auto named = number(*resourceRva + dirOffset + 12, 2), ids = number(*resourceRva + dirOffset + 14, 2);
    if (!named || !ids) return std::nullopt;
    for (std::uint64_t i = 0; i < *named + *ids; ++i) {
      const std::uint64_t at = *resourceRva + dirOffset + 16 + i * 8;
      const auto name = number(at, 4), target = number(at + 4, 4);
      if (!name || !target) return std::nullopt;
      if (id != 0 && *name != id) continue;  // named entries have the top bit set: never an ID
      if (((*target & 0x80000000u) != 0) != wantDirectory) return std::nullopt;
      return *target & 0x7FFFFFFFu;
    }
    return std::nullopt;
  };
  constexpr std::uint64_t kRtVersion = 16, kVsVersionInfo = 1;
  const auto names = entry(0, kRtVersion, true);
  const auto languages = names ? entry(*names, kVsVersionInfo, true) : std::nullopt;
  const auto data = languages ? entry(*languages, 0, false) : std::nullopt;
  const auto dataRva = data ? number(*resourceRva + *data, 4) : std::nullopt;
  const auto dataSize = data ? number(*resourceRva + *data + 4, 4) : std::nullopt;
  if (!dataRva || !dataSize) return {};
  const auto at = fileOffset(*dataRva, *dataSize);
  return at ? blockAt(image, *at, *dataSize) : std::vector<unsigned char>{};
}

}  // namespace

std::vector<unsigned char> findVersionResource(const ByteSource& image) {
  std::array<unsigned char, 6> ident{};
  if (!image.read(0, ident.size(), ident.data())) {
    if (!image.read(0, 2, ident.data())) return {};
  }
  if (ident[0] == 0x7F && ident[1] == 'E' && ident[2] == 'L' && ident[3] == 'F') return findInElf(image, ident.data());
  if (ident[0] == 'M' && ident[1] == 'Z') return findInPe(image);
  return {};
}

}  // namespace platform
