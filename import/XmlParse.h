// The one libxml2 pass over a configuration file: SAX events straight into
// the walk's document, with nothing fetched from outside the file, every
// message of the parser captured instead of printed, and the limits weighed
// as the parser goes (ConfigLimits).
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "import/ConfigDocument.h"

namespace quillbray {

// Parses `content`, a whole file, into `doc`. Throws ImportError with the
// limit the file exceeds ("line N: an element has more than 256 attributes;
// at most 256 are read"), or else the parser's first error with its line.
// Problems with entities that the file's text would need from outside it, or
// that exceed the entity limits, are not thrown here: their uses read as
// empty and the first problem is kept for ConfigDocument::CheckEntities.
void ParseConfig(std::string_view content, const ConfigLimits& limits, ConfigDocument& doc);

// The file's bytes as the parser asks for them: up to n bytes into the
// buffer, 0 at the end. An exception it throws ends the parse and is thrown
// again as an ImportError with its message.
using ConfigSource = std::function<std::size_t(char* buffer, std::size_t n)>;

// The same, reading the file piece by piece, so that a large file is never
// held whole.
void ParseConfig(const ConfigSource& source, const ConfigLimits& limits, ConfigDocument& doc);

}  // namespace quillbray
