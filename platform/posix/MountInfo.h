// Mount points from the text of a mountinfo file.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// mountPointOf's answer from the text of a mountinfo file (the form of
// /proc/self/mountinfo), for a path taken as it stands: the longest mount
// point that is path itself or one of its folders; of equal ones the last,
// which covers the others.
std::string mountPointIn(std::string_view mountinfo, std::string_view path);

}  // namespace platform
