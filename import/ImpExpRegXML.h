// The configuration import: loads a program-configuration file and writes
// every value it carries into the preference store.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "import/ConfigDocument.h"
#include "import/ImportNotice.h"
#include "prefs/ConfigBase.h"
#include "settings/ConfigGroups.h"

namespace quillbray {

// The largest binary value the import stores.
inline constexpr std::size_t kBinaryBufferSize = 32768;

// How an import ended.
enum TImportOutcome {
  ioImported,  // the walk ran to its end (some values may have failed)
  ioRefused,   // another product's file: the foreign-file box, nothing written
  ioFailed,    // the import-error box: not read, or the walk stopped early
};

// What one import did, for a summary line. A value counts as imported when
// its write showed no box. Values the format passes over without a word (an
// unknown or missing type, a binary text that fails the count test, the
// groups that are never imported) are counted nowhere.
struct ImportStats {
  TImportOutcome outcome = ioImported;
  std::size_t values = 0;         // values written without a box
  std::size_t userValues = 0;     //   of them, per-user (the layered form's user hive)
  std::size_t machineValues = 0;  //   of them, machine-wide (a direct machine opening)
  std::size_t keys = 0;           // distinct keys that received at least one value
  // Openings (a group, or a loose value's product key) and values that showed
  // a box, a binary value over the limit, and a closing or the final save that
  // showed the store's box.
  std::size_t failed = 0;
  // Values and groups that the format's rules passed over, turned into a
  // default, renamed or sent to another scope (counted when notices are asked for).
  std::size_t noticed = 0;
};

class ImportPlan;

// A group or a value the walk reached, and where it lands: what a check of
// the file against the catalogue looks at (--lint).
struct WalkedEntry {
  std::uint32_t line = 0;
  TDataScope scope = cfgPerUserRoam;
  std::string scopeName;  // the scope element's name, as written
  std::string group;      // decoded; "" for a value directly in the scope
  std::string groupKey;   // GroupKeyOf(group): the key below the product key
  // A value's name, type and decoded text; for a group element, name is ""
  // and type None.
  std::string name;
  ValueType type = ValueType::None;
  std::string text;
};

// What a caller asks of an import besides the import itself.
struct ImportOptions {
  // Told, in document order, of every value or group that the format's
  // rules pass over, turn into a default, rename or send to another scope:
  // what the import otherwise does without a word. Without it the walk does
  // not look.
  std::function<void(const ImportNotice&)> notice;
  // A dry run: nothing is written (no key, hive, folder or file is created);
  // each value the import would write goes to the plan instead. The boxes of
  // a file that cannot be read or belongs to another product show as ever.
  ImportPlan* plan = nullptr;
  // Told of every group the walk enters and every value it would write, in
  // document order.
  std::function<void(const WalkedEntry&)> walked;
};

// Imports the file through the store (normally the program's catalogue).
// False when the import stopped on an error, after the import-error box; true
// when it ran to its end, and also when it refused another product's file
// (after the foreign-file box, writing nothing). Nothing is ever deleted.
// The walk is one batch of the store (each hive is saved once, at its end)
// and shows at most 10 boxes on a desktop.
bool ImportConfigFile(TConfigBase& store, const std::string& fileName);
bool ImportConfigFile(TConfigBase& store, const std::string& fileName, ImportStats& stats);
bool ImportConfigFile(TConfigBase& store, const std::string& fileName, ImportStats& stats,
                      const ImportOptions& options);
// The same through the program's single catalogue (false when there is none).
bool ImportConfigFile(const std::string& fileName);
bool ImportConfigFile(const std::string& fileName, ImportStats& stats);
bool ImportConfigFile(const std::string& fileName, ImportStats& stats, const ImportOptions& options);

// The data scope a scope element's name selects; any unknown name is
// cfgPerUserRoam.
TDataScope ScopeFromName(const std::string& name);
// The scope element's name of a data scope: "PerUserRoam", "PerUserNonRoam"
// or "PerMachine".
const char* ScopeElementName(TDataScope scope);

// The sub-key below ProductKey for a decoded group name:
//   "cfgAll"                     ""   (the product key itself)
//   "logs", "LOGS"               "Logs"  (a name of the group table, as it is written there)
//   "My Group"                   "$Unknown\My Group"
std::string GroupKeyOf(const std::string& group);

// The group of the group table a decoded group name names, as GroupKeyOf
// finds it ("cfgAll" the product key itself); nothing for any other name.
std::optional<TConfigGroup> GroupOfName(const std::string& group);

// Removes one pair of surrounding double quotes, a doubled quote inside
// standing for one: "\"a\"\"b\"x" gives a"b (what follows the closing quote
// is dropped). A text without a leading quote is returned as it is.
std::string UnquoteFileName(const std::string& name);

}  // namespace quillbray
