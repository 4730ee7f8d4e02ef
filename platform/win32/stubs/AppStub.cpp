// Stand-ins until the Windows boxes, locale and version forms land.
#include <iostream>

#include "platform/Locale.h"
#include "platform/MessageBox.h"
#include "platform/VersionResource.h"

namespace platform {
namespace {
struct StubBoxes : MessageBoxes {
  BoxAnswer show(const MessageBoxRequest& box) override {
    std::cerr << box.caption << '\n' << box.text << '\n';
    return (box.style & MB_YESNO) ? BoxAnswer::No : BoxAnswer::Ok;
  }
};
}  // namespace
MessageBoxes& platformMessageBoxes() {
  static StubBoxes boxes;
  return boxes;
}
LocaleInfo processLocale() { return {}; }
std::uint32_t getFileVersionInfoSize(const std::string&) { return 0; }
bool getFileVersionInfo(const std::string&, std::uint32_t, unsigned char*) { return false; }
}  // namespace platform
