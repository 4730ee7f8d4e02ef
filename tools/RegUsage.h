// quillbray-reg's help: one entry for each verb, its usage line and what it
// does, and the notes that hold for every verb.
#pragma once

#include <string>

namespace quillbray {

// The whole help, for /? and --help.
std::string wholeHelp();

// A verb's usage line and description, for "VERB /?"; empty for a word that
// names no verb.
std::string verbHelp(const std::string& verb);

// What a wrong argument prints on standard error: the error, the verb's
// usage line (the general one for a word that names no verb) and where the
// whole help is.
std::string usageError(const std::string& verb, const std::string& why);

// "/?", "/h", "-h", "-H", "--help": the verb's help.
bool isHelpSwitch(const std::string& word);

}  // namespace quillbray
