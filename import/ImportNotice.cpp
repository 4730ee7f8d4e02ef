#include "import/ImportNotice.h"

#include "platform/Utf8.h"

namespace quillbray {

std::string NoticeMessage(const ImportNotice& notice) {
  std::string subject;
  const auto add = [&](const char* what, const std::string& text) {
    if (!subject.empty()) subject += ", ";
    (subject += what) += platform::quotedPrintable(text);
  };
  if (!notice.scope.empty()) add("scope ", notice.scope);
  if (!notice.group.empty()) add("group ", notice.group);
  if (!notice.name.empty()) add((std::string(notice.nameKind) + " ").c_str(), notice.name);
  std::string message = subject.empty() ? notice.what : subject + ": " + notice.what;
  if (!notice.why.empty()) message += ": " + platform::printable(notice.why);
  return message;
}

std::string NoticeText(std::string_view fileName, const ImportNotice& notice) {
  return platform::printable(fileName) + ":" + std::to_string(notice.line) + ": " + NoticeMessage(notice);
}

}  // namespace quillbray
