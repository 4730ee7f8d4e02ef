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

// What a verb that changed or wrote something prints, as reg.exe does.
inline constexpr const char* kDone = "The operation completed successfully.\n";

// A value's name as messages and query show it: "(Default)" for the default value.
std::string valueLabel(const std::string& name);

// Names on standard error what an export left out ("quillbray-reg: left
// out: ..."); answers the exit status, 1 when something was left out.
int reportLeftOut(const std::vector<std::string>& leftOut);

// Each answers the exit status (0 done, 1 failed or refused); the message of
// a failure goes to standard error. Other errors are thrown with a message.
int queryVerb(const std::vector<std::string>& args);
int addVerb(const std::vector<std::string>& args);
int deleteVerb(const std::vector<std::string>& args);
int exportVerb(const std::vector<std::string>& args);
int importVerb(const std::vector<std::string>& args);
int exportConfigVerb(const std::vector<std::string>& args);
// Reads no store: it writes the same file whatever the location.
int exportSchemaVerb(const std::vector<std::string>& args);

}  // namespace quillbray
