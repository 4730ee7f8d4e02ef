// The arguments of quillbray-reg's verbs, in reg.exe's shape.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillbray {

// The switches and the other words of a verb's arguments. Switches are known
// by name (any letter case), so a file path such as /tmp/x.reg is a word.
struct Args {
  std::vector<std::string> words;
  std::optional<std::string> v, t, d, sep, cp;
  bool ve = false, va = false, s = false, f = false, y = false;
  bool nonRoaming = false;  // /nonroam: the per-user non-roaming settings file
};

// `allowed` lists the verb's switches, " /v /t "; "/s=" is add's /s, which
// takes the REG_MULTI_SZ separator, where query's /s walks the keys below.
// /reg:32 and /reg:64 choose a registry view on Windows; the hives and the
// settings files have one view, so every verb takes either and does the
// same. Throws UsageError for a switch the verb does not take, one given
// twice (a view too) or without its value, and more than one of /v, /ve
// and /va, as reg.exe refuses them.
Args parseArgs(const std::vector<std::string>& args, const std::string& allowed);

}  // namespace quillbray
