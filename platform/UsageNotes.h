// The part of the import's --help that differs between the systems: where
// each location keeps the preferences, and the environment that moves them.
#pragma once

#include <string_view>

namespace platform {

// Paragraphs "Where preferences are stored:" and "Environment:", each line
// ending in "\n", followed by a blank line.
std::string_view storageHelp();

// How switch values and options are read from the command line, each line
// ending in "\n" (the "Switches" paragraph, a blank line, and the heading
// of the options).
std::string_view switchHelp();

// The option that prints a program's whole help: "--help" or "/?".
std::string_view helpOption();

// The last line of the help: where the full description is.
std::string_view moreHelp();

}  // namespace platform
