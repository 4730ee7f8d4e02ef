// One libxml2 parse of a configuration file held in memory, with nothing
// fetched from outside it, every message of the parser captured instead of
// printed, and the document type's declarations weighed as they are read.
#pragma once

#include <string>

#include "import/ConfigDocument.h"

namespace quillbray {

// Parses `content` with the safe options and `extraOptions`. Throws
// ImportError with the parser's first error (with its line) for a document
// that is not well-formed, or naming the limit its declarations exceed: more
// than limits.maxElements of them (parameter entities can multiply them), an
// entity whose text holds an element with too many attributes, or more than
// limits.maxAttributeDefaults attribute defaults. `requested` receives the
// first external resource the parse asked for (it is never read).
XmlDocument ParseXml(const std::string& content, int extraOptions, const ConfigLimits& limits, std::string& requested);

}  // namespace quillbray
