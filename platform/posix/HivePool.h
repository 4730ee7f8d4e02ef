// Idle hive connections kept for the next opening.
//
// An opening takes a connection and gives it back when its transaction has
// ended; so a run of openings (one a preference group) pays for opening and
// checking the file, preparing statements and reading pages once, not once an
// opening. Connections are never shared by two openings at a time.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/SqliteHive.h"

namespace platform {

// An idle connection to the file at path with this access, or a new one
// (fileMode for a file it creates). Throws RegistryError as HiveDatabase does.
std::unique_ptr<HiveDatabase> takeHive(const std::string& path, KeyAccess access, mode_t fileMode);

// Keeps a connection whose transaction has ended for a later takeHive.
void returnHive(std::unique_ptr<HiveDatabase> db);

}  // namespace platform
