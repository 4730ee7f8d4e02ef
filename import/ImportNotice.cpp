#include "import/ImportNotice.h"

#include "platform/Utf8.h"

namespace quillbray {

std::string NoticeText(std::string_view fileName, const ImportNotice& notice) {
  std::string subject;
  const auto add = [&](const char* what, const std::string& text) {
    if (!subject.empty()) subject += ", ";
    (subject += what) += platform::quotedPrintable(text);
  };
  if (!notice.scope.empty()) add("scope ", notice.scope);
  if (!notice.group.empty()) add("group ", notice.group);
  if (!notice.name.empty()) add((std::string(notice.nameKind) + " ").c_str(), notice.name);
  std::string line = platform::printable(fileName) + ":" + std::to_string(notice.line) + ": ";
  if (!subject.empty()) line += subject + ": ";
  return line + notice.what + ": " + platform::printable(notice.why);
}

}  // namespace quillbray
