// Path values of the store.
#include "prefs/ConfigBase.h"

namespace quillbray {

// Placeholder until the token collapse lands: the path is stored trimmed.
void TConfigBase::SetPrefPath(const std::string& group, const std::string& name, const std::string& path) {
  std::size_t begin = 0, end = path.size();
  while (begin < end && static_cast<unsigned char>(path[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(path[end - 1]) <= 32) --end;
  SetPrefString(group, name, path.substr(begin, end - begin));
}

std::string TConfigBase::CollapseExeDrive(const std::string& path) { return path; }

}  // namespace quillbray
