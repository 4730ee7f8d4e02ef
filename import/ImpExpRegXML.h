// The configuration import: loads a program-configuration file and writes
// every value it carries into the preference store.
#pragma once

#include <libxml/tree.h>

#include <string>

#include "prefs/ConfigBase.h"

namespace quillbray {

// The largest binary value the import stores.
inline constexpr std::size_t kBinaryBufferSize = 32768;

// Imports the file through the store (normally the program's catalogue).
// False when the import stopped on an error, after the import-error box; true
// when it ran to its end, and also when it refused another product's file
// (after the foreign-file box, writing nothing). Nothing is ever deleted.
bool ImportConfigFile(TConfigBase& store, const std::string& fileName);
// The same through the program's single catalogue.
bool ImportConfigFile(const std::string& fileName);

// The data scope a scope element's name selects; any unknown name is
// cfgPerUserRoam.
TDataScope ScopeFromName(const std::string& name);

// The sub-key below ProductKey for a decoded group name:
//   "cfgAll"                     ""   (the product key itself)
//   "logs", "LOGS"               "Logs"  (a name of the group table, as it is written there)
//   "My Group"                   "$Unknown\My Group"
std::string GroupKeyOf(const std::string& group);

// Removes one pair of surrounding double quotes, a doubled quote inside
// standing for one: "\"a\"\"b\"x" gives a"b (what follows the closing quote
// is dropped). A text without a leading quote is returned as it is.
std::string UnquoteFileName(const std::string& name);

}  // namespace quillbray
