// The verbs of quillbray-reg, in the shape of Windows' reg.exe.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace quillbray {

// Arguments the verb cannot take; main prints the usage and exits with 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Each answers the exit status (0 done, 1 failed or refused); the message of
// a failure goes to standard error. Other errors are thrown with a message.
int queryVerb(const std::vector<std::string>& args);
int addVerb(const std::vector<std::string>& args);
int deleteVerb(const std::vector<std::string>& args);
int exportVerb(const std::vector<std::string>& args);
int importVerb(const std::vector<std::string>& args);
int exportConfigVerb(const std::vector<std::string>& args);

}  // namespace quillbray
