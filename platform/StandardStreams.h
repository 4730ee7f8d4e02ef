// The two standard streams the console form of message boxes uses, each
// platform's way.
#pragma once

#include <string_view>

namespace platform {

// Writes text (UTF-8) to standard error; answers whether all of it went out.
// A closed or broken standard error loses the text, never the process.
bool writeToStderr(std::string_view text) noexcept;

// Whether standard input is a terminal someone can answer a question on.
bool standardInputIsTerminal() noexcept;

}  // namespace platform
