// The version block in an ELF section, where the Linux program carries its
// own: the search in ELF files of every class and byte order, and the
// refusal of cut and broken ones.
#include <fstream>

#include "TestSupport.h"
#include "VersionBlockBuilder.h"
#include "platform/VersionResource.h"

namespace {

using namespace qbtest;

const std::vector<std::pair<std::string, std::string>> kStrings = {
    {"CompanyName", "Corvellan"}, {"FileVersion", "9.8.7.6"}, {"ProductName", "Quillbray"}};

std::vector<unsigned char> found(const Bytes& image) {
  return platform::findVersionResource(platform::MemorySource(image));
}

// Overwrites 4 little-endian bytes.
Bytes patched(Bytes image, std::size_t at, std::uint32_t value, std::size_t width = 4) {
  for (std::size_t i = 0; i < width; ++i) image[at + i] = static_cast<unsigned char>(value >> (8 * i));
  return image;
}

TEST(VersionImage, ElfFilesOfEitherClassAndByteOrder) {
  const Bytes block = build(versionInfo(fixedPart(1, 2, 3, 4, 0), {{"040904b0", kStrings}}, {{{0x0409, 1200}}}));
  for (const bool is64 : {true, false}) {
    for (const bool big : {false, true}) {
      EXPECT_EQ(found(elfWith(block, ".qbversion", is64, big)), block) << is64 << big;
      // Only the section of that exact name counts.
      for (const char* other : {".qbversio", ".qbversionx", ".QBVERSION", ".data"})
        EXPECT_TRUE(found(elfWith(block, other, is64, big)).empty()) << other;
    }
  }
  // The program's own file, read through the file interface, gives a block
  // of exactly the size it reports.
  const std::uint32_t size = platform::getFileVersionInfoSize(QB_IMPORT_TOOL);
  ASSERT_GT(size, 6u);
  std::vector<unsigned char> buffer(size);
  EXPECT_TRUE(platform::getFileVersionInfo(QB_IMPORT_TOOL, size, buffer.data()));
  EXPECT_EQ(buffer[0] | buffer[1] << 8, static_cast<int>(size));
  EXPECT_FALSE(platform::getFileVersionInfo(QB_IMPORT_TOOL, size - 1, buffer.data()));
}

TEST(VersionMalformed, TruncatedElfImagesHaveNoResource) {
  const Bytes block = build(versionInfo(fixedPart(1, 2, 3, 4, 0), {{"040904b0", kStrings}}, {{{0x0409, 1200}}}));
  const Bytes elf = elfWith(block);
  ASSERT_EQ(found(elf), block);
  // The section headers come after the block: cut anywhere before them the
  // file gives nothing, after them the whole block or nothing.
  const std::size_t sectionHeaders = elf.size() - 3 * 64;
  for (std::size_t cut = 0; cut < elf.size(); ++cut) {
    const Bytes result = found(Bytes(elf.begin(), elf.begin() + cut));
    if (cut < sectionHeaders + 64 + 40) EXPECT_TRUE(result.empty()) << cut;  // up to the section's size field
    else EXPECT_TRUE(result.empty() || result == block) << cut;
  }
}

TEST(VersionMalformed, ElfOffsetsOutsideTheFileAreRefused) {
  const Bytes elf = elfWith(build(versionInfo(fixedPart(1, 2, 3, 4, 0), {{"040904b0", kStrings}}, {{{0x0409, 1200}}})));
  const std::size_t shoff = elf.size() - 3 * 64;
  const struct {
    const char* what;
    std::size_t at;
    std::uint32_t value;
    std::size_t width;
  } elfPatches[] = {
      {"section headers past the end", 0x28, 0xFFFFFF00, 4},
      {"section header offset huge", 0x2C, 0xFFFFFFFF, 4},
      {"names section index too big", 0x3E, 3, 2},
      {"section entry size too small", 0x3A, 8, 2},
      {"section data past the end", shoff + 64 + 24, 0xFFFFFF00, 4},
      {"section size past the end", shoff + 64 + 32, 0xFFFFFF00, 4},
      {"section name past the names", shoff + 64, 0xFFFF, 4},
      {"names past the end", shoff + 128 + 24, 0xFFFFFF00, 4},
      {"block longer than its section", 64, 0xFFFF, 2},
      {"wLength 0", 64, 0, 2},
      {"unknown class", 4, 7, 1},
  };
  for (const auto& p : elfPatches) EXPECT_TRUE(found(patched(elf, p.at, p.value, p.width)).empty()) << p.what;
}

}  // namespace
