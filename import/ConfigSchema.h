// An XML Schema (XSD 1.0) of the configuration format, generated from the
// catalogue (settings/Catalogue.h), for XML editors: they complete the names
// of groups and values and flag a known value of the wrong type as an
// administrator types.
//
// XSD 1.0 forbids named elements beside a wildcard in one content model (the
// unique particle attribution rule), and the format takes groups and values
// it does not know. So every level holds any elements, processed laxly, and
// each known name is a global element declaration: an element of that name
// is checked wherever it stands, and any other name passes. Hence one type
// per value name (a name two groups type differently stays untyped), and
// names are compared in their letter case.
#pragma once

#include <string>

namespace quillbray {

// The schema as UTF-8 text.
std::string ConfigSchemaText();

// Writes the schema to fileName, whole or not at all (an existing file is
// replaced). Throws std::runtime_error naming the file and the reason.
void ExportConfigSchema(const std::string& fileName);

}  // namespace quillbray
