// The writing side of the configuration file's name and text encodings: what
// a writer puts in the file so that DecodeName and DecodeText give the value
// back.
#pragma once

#include <string>
#include <string_view>

namespace quillbray {

// "[" -> "_0x5B_", "]" -> "_0x5D_", "$" -> "_0x24_", blank -> "_". A name
// holding "_" cannot be written: it would read back with a blank there.
std::string EncodeName(std::string_view name);

// In this order: "&" -> "&amp;", "$" -> "&#36;", "\"" -> "&#34;",
// "'" -> "&pos;", "<" -> "$lt;", ">" -> "$gt;", "[" -> "_0x5B_",
// "]" -> "_0x5D_", blank -> "_". The result still needs XML escaping.
std::string EncodeText(std::string_view text);

// Whether utf8 is an XML 1.0 Name (fifth edition) without a colon: a name
// that the parser hands back unchanged as an element's name.
bool IsXmlElementName(std::string_view utf8);

// The first character XML text cannot carry ("\x01", U+FFFE, bytes that are
// not UTF-8...), as its offset; npos when every character can be written.
std::size_t FirstUnwritableCharacter(std::string_view utf8);

// Escapes text for XML character data: "&", "<" and ">" as entity
// references, tab, line feed and carriage return as character references
// (so that no line-end or white-space handling touches them).
std::string EscapeXmlText(std::string_view text);

}  // namespace quillbray
