// The Yes/No question of reg.exe before it overwrites or deletes.
#pragma once

#include <string>

namespace quillbray {

// Asks `question` "(Yes/No)?" on the terminal and answers true for y or yes.
// Without a terminal on standard input nobody can answer: prints
// "quillbray-reg: <refusal>" on standard error and answers false.
bool confirm(const std::string& question, const std::string& refusal);

}  // namespace quillbray
