// The import's --lint: a configuration file checked against the product's
// own catalogue (settings/Catalogue.h). It names what the file format takes
// but the product will never read as written: a value name the product has
// no value of in a known group, a type the catalogue does not save it with,
// a group under the per-user scope the product does not keep it in, a value
// beyond its field (a short text, an MRU slot, a colour), a path that names a
// folder of this machine where a path token would carry it, and a token the
// product does not know.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "import/ImpExpRegXML.h"
#include "settings/ConfigGroups.h"
#include "settings/GroupWrite.h"

namespace quillbray {

struct LintFinding {
  std::uint32_t line;
  std::string message;  // "group "Logs", value "LogFormat": ..."
};

class ConfigLint {
 public:
  // Checks one group or value the import's walk reached (ImportOptions::walked).
  void Check(const WalkedEntry& entry);
  std::vector<LintFinding> findings;

 private:
  void checkValue(const WalkedEntry& entry, TConfigGroup group);
  void add(const WalkedEntry& entry, const std::string& what);
};

// Whether the product's typed reads take a value of the catalogue kind from
// an XML value of the type: numbers and booleans from "integer" and
// "boolean" alike, texts and paths from "string".
bool KindReadsFrom(saving::ValueKind kind, ValueType type);

// The names among `names` closest to `name`, for "did you mean": those equal
// to it once letter case, blanks and "_" are set aside, else those within a
// small edit distance of it; the nearest first, at most three.
std::vector<std::string> ClosestNames(const std::string& name, const std::vector<std::string>& names);

}  // namespace quillbray
