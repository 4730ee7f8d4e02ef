// Queries on a VS_VERSIONINFO block.
#include <algorithm>

#include "platform/Text.h"
#include "platform/Utf8.h"
#include "platform/VersionResource.h"

namespace platform {
namespace {

constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType

std::size_t align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

std::uint16_t word(std::span<const unsigned char> block, std::size_t at) {
  return static_cast<std::uint16_t>(block[at] | block[at + 1] << 8);
}

// UTF-16 little-endian units from..to (a zero ends it early) as UTF-8; a
// lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::span<const unsigned char> block, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t at = from; at + 2 <= to; at += 2) {
    char32_t unit = word(block, at);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDBFF && at + 4 <= to) {
      const char32_t low = word(block, at + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        encodeUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
        at += 2;
        continue;
      }
    }
    encodeUtf8(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit, out);
  }
  return out;
}

// One node, its bounds checked against the node that holds it.
struct Node {
  std::size_t begin = 0;
  std::size_t end = 0;          // begin + wLength
  std::size_t keyEnd = 0;       // after the key's zero
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;
  std::uint16_t valueLength = 0;
  bool isText = false;
  bool valueFits = false;       // the value lies inside the node
  std::size_t childrenBegin = 0;
};

// The node at begin inside [begin, limit); empty when its header or key does
// not fit or its wLength is too small to hold a header (0 included), which
// also keeps a walk over siblings moving forward.
std::optional<Node> nodeAt(std::span<const unsigned char> block, std::size_t begin, std::size_t limit) {
  if (begin > limit || limit - begin < kHeaderSize) return std::nullopt;
  Node node;
  node.begin = begin;
  const std::size_t length = word(block, begin);
  if (length < kHeaderSize || length > limit - begin) return std::nullopt;
  node.end = begin + length;
  node.valueLength = word(block, begin + 2);
  node.isText = word(block, begin + 4) == 1;
  std::size_t at = begin + kHeaderSize;
  for (;;) {
    if (at + 2 > node.end) return std::nullopt;  // the key has no zero inside the node
    const bool zero = word(block, at) == 0;
    at += 2;
    if (zero) break;
  }
  node.keyEnd = at;
  node.valueBegin = align4(at);
  const std::size_t valueBytes = node.isText ? std::size_t{node.valueLength} * 2 : node.valueLength;
  node.valueFits = node.valueBegin <= node.end && valueBytes <= node.end - node.valueBegin;
  node.valueEnd = node.valueFits ? node.valueBegin + valueBytes : node.end;
  node.childrenBegin = node.valueFits ? std::min(align4(node.valueEnd), node.end) : node.end;
  return node;
}

bool keyEquals(std::span<const unsigned char> block, const Node& node, std::string_view part) {
  return upperCase(utf16ToUtf8(block, node.begin + kHeaderSize, node.keyEnd)) == upperCase(part);
}

std::optional<Node> findChild(std::span<const unsigned char> block, const Node& parent, std::string_view part) {
  std::size_t at = parent.childrenBegin;
  while (at < parent.end) {
    const std::optional<Node> child = nodeAt(block, at, parent.end);
    if (!child) return std::nullopt;
    if (keyEquals(block, *child, part)) return child;
    at = align4(child->end);  // wLength >= 6, so this always moves on
  }
  return std::nullopt;
}

}  // namespace

std::optional<VersionValue> verQueryValue(std::span<const unsigned char> block, std::string_view subBlock) {
  std::optional<Node> node = nodeAt(block, 0, block.size());
  std::size_t from = 0;
  while (node && from <= subBlock.size()) {
    std::size_t to = subBlock.find('\\', from);
    if (to == std::string_view::npos) to = subBlock.size();
    if (to > from) node = findChild(block, *node, subBlock.substr(from, to - from));
    from = to + 1;
  }
  if (!node || !node->valueFits) return std::nullopt;
  VersionValue value;
  value.bytes = block.subspan(node->valueBegin, node->valueEnd - node->valueBegin);
  value.length = node->valueLength;
  value.isText = node->isText;
  if (value.isText) value.text = utf16ToUtf8(block, node->valueBegin, node->valueEnd);
  return value;
}

bool MemorySource::read(std::uint64_t offset, std::size_t count, unsigned char* out) const {
  if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), count, out);
  return true;
}

}  // namespace platform
