// Version resources: the VS_VERSIONINFO block of a program file and the
// queries on it, as the Windows version API answers them.
//
// The block is a tree of nodes, each 32-bit aligned:
//   WORD wLength (the node with its children), WORD wValueLength (in UTF-16
//   units for a text value, in bytes otherwise), WORD wType (1 text, 0
//   binary), the key as zero-ended UTF-16, padding, the value, padding, the
//   children.
// The block is found in an ELF file's ".qbversion" section, or in a Windows
// PE file's resource directory (type RT_VERSION, name 1, the first language).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The ELF section that carries the program's version resource.
inline constexpr const char* kVersionSectionName = ".qbversion";

// The size in bytes of the buffer the file's version resource needs; 0 when
// the file has none, cannot be read, or is malformed
// (GetFileVersionInfoSize). On Linux it is the block's own size; Windows
// answers more, room the system keeps beside the block.
std::uint32_t getFileVersionInfoSize(const std::string& fileName);

// Reads the file's version resource into buffer, at most size bytes; false
// when the file has none or it does not fit (GetFileVersionInfo).
bool getFileVersionInfo(const std::string& fileName, std::uint32_t size, unsigned char* buffer);

// One answer of verQueryValue.
struct VersionValue {
  std::span<const unsigned char> bytes;  // the value as stored, inside the block
  std::uint32_t length = 0;              // wValueLength as the node reports it
  bool isText = false;                   // wType 1
  std::string text;                      // a text value up to its zero, as UTF-8
};

// The value at subBlock (VerQueryValue): the path splits at "\" with empty
// parts skipped, so "\" is the root's value (the fixed part); each part must
// equal a whole child key without regard to letter case:
//   "\"  "\VarFileInfo\Translation"  "\StringFileInfo\040904b0\CompanyName"
// Empty when the path names no node or the block is malformed. Every offset
// and length is checked against the node that holds it.
std::optional<VersionValue> verQueryValue(std::span<const unsigned char> block, std::string_view subBlock);

// Where version resources are looked for, read through this so that the
// search works on a file and on bytes in memory alike.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Reads count bytes at offset; false when they are not all there.
  virtual bool read(std::uint64_t offset, std::size_t count, unsigned char* out) const = 0;
};

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::span<const unsigned char> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool read(std::uint64_t offset, std::size_t count, unsigned char* out) const override;

 private:
  std::span<const unsigned char> bytes_;
};

// The version block of an ELF or PE image: the root node's wLength bytes,
// or empty when there is none or the image is malformed.
std::vector<unsigned char> findVersionResource(const ByteSource& image);

}  // namespace platform
