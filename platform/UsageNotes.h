// The part of the import's --help that differs between the systems: where
// each location keeps the preferences, and the environment that moves them.
#pragma once

#include <string_view>

namespace platform {

// Paragraphs "Where preferences are stored:" and "Environment:", each line
// ending in "\n", followed by a blank line.
std::string_view storageHelp();

}  // namespace platform
