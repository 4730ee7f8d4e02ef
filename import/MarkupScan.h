// A cheap count of a configuration file's markup, made on the raw bytes before
// the parser sees them, so that a file over a ConfigLimits limit is refused
// in a fraction of a second instead of being parsed.
#pragma once

#include <string_view>

#include "import/ConfigLimits.h"

namespace quillbray {

// Counts the elements (with comments, processing instructions, CDATA sections
// and declarations), the attributes of each element and in all, and the
// references to entities other than the predefined ones. Reads ASCII-compatible
// encodings and UTF-16 or UTF-32 (recognised by a byte order mark or by the
// first characters "<?"); refuses any other encoding, which it could misread.
// Throws ImportError naming the limit a file exceeds.
void CheckMarkup(std::string_view file, const ConfigLimits& limits);

// The same count over text libxml2 has already decoded to UTF-8, such as an
// entity's replacement text.
void CheckMarkupText(std::string_view utf8, const ConfigLimits& limits);

}  // namespace quillbray
