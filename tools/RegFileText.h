// The text forms of a .reg file: the UTF-16LE file that regedit writes, and
// the reverse, text of any accepted encoding to UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillbray {

// UTF-8 text with "\n" line ends as a .reg file's bytes: a byte-order mark,
// UTF-16LE, "\r\n" line ends. Bytes that are not UTF-8 become U+FFFD.
std::string regFileBytes(std::string_view utf8);

// UTF-16LE bytes (no byte-order mark) as UTF-8. Throws std::runtime_error
// for an odd count of bytes or a lone surrogate.
std::string utf16leToUtf8(const std::uint8_t* data, std::size_t size);

// UTF-8 as UTF-16LE bytes; bytes that are not UTF-8 become U+FFFD.
std::vector<std::uint8_t> utf8ToUtf16le(std::string_view utf8);

}  // namespace quillbray
