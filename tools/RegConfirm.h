// The Yes/No question of reg.exe before it overwrites or deletes.
#pragma once

#include <string>

namespace quillbray {

// Asks `question` "(Yes/No)?" on standard output and reads the answer from
// standard input, a terminal or a pipe alike; answers true for y or yes,
// false for n or no, and asks again for anything else. When the input ends
// without an answer (no input: /dev/null, a closed pipe) it prints
// "quillbray-reg: <refusal>" on standard error and answers false.
bool confirm(const std::string& question, const std::string& refusal);

}  // namespace quillbray
