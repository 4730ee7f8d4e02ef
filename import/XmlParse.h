// The one libxml2 pass over a configuration file: SAX events straight into
// the walk's document, with nothing fetched from outside the file, every
// message of the parser captured instead of printed, and the limits weighed
// as the parser goes (ConfigLimits).
#pragma once

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

}  // namespace quillbray
