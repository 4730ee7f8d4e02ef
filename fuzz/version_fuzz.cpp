// Fuzz target for the version-resource reader: the bytes are both an image
// (ELF or PE) to search and a version block to query.
#include <cstddef>
#include <cstdint>

#include "platform/VersionResource.h"

namespace {

void queryAll(std::span<const unsigned char> block) {
  static const char* const kPaths[] = {"\\",
                                       "\\VarFileInfo\\Translation",
                                       "StringFileInfo\\040904E4\\CompanyName",
                                       "\\StringFileInfo\\040904b0\\ProductVersion",
                                       "\\\\StringFileInfo\\\\040904b0\\Comments\\",
                                       "\\StringFileInfo"};
  for (const char* path : kPaths) {
    if (const auto value = platform::verQueryValue(block, path)) {
      // Touch every byte the answer names: ASan catches one outside the block.
      volatile unsigned char sum = 0;
      for (const unsigned char b : value->bytes) sum = static_cast<unsigned char>(sum + b);
      (void)sum;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const unsigned char> bytes(data, size);
  queryAll(bytes);
  const std::vector<unsigned char> found = platform::findVersionResource(platform::MemorySource(bytes));
  queryAll(found);
  return 0;
}
