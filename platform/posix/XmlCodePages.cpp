// iconv reads the encodings; only the names Windows gives its own code pages
// need pointing at them.
#include "platform/XmlCodePages.h"

#include <libxml/encoding.h>

#include <mutex>
#include <string>

#include "platform/posix/WindowsCodePageNames.h"

namespace platform {

void registerXmlCodePages() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const std::string_view name : kCp932Names)
      xmlAddEncodingAlias(kCp932.data(), std::string(name).c_str());
  });
}

}  // namespace platform
