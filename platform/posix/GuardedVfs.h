// SQLite's unix file layer with one more check: a hive's journal is opened
// only when it is the program's own. Another user who may write the hive's
// folder could otherwise plant an empty journal that receives the hive's old
// pages, or a crafted one that a reader rolls "back" into the hive.
#pragma once

#include <string>

namespace platform {

// The name of the guarded file layer, for sqlite3_open_v2 (registered on
// first use).
const char* guardedVfsName();

// Why the last journal on this thread was refused ("" when none was): a
// failing SQLite call that follows names it in its message. Reading clears it.
std::string takeJournalRefusal();

}  // namespace platform
