// iconv reads the encodings; only the names Windows gives its own code pages
// need pointing at them.
#include "platform/XmlCodePages.h"

#include <libxml/encoding.h>

#include <mutex>

namespace platform {

void registerXmlCodePages() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Windows writes code page 932 and labels it Shift_JIS; iconv's SHIFT_JIS
    // is JIS X 0201, which reads 0x5C as a yen sign and 0x7E as an overline,
    // so "C:\Users" would read as "C:¥Users". CP932 reads it as Windows does.
    for (const char* name : {"Shift_JIS", "Shift-JIS", "SJIS", "MS_Kanji", "csShiftJIS", "x-sjis"})
      xmlAddEncodingAlias("CP932", name);
  });
}

}  // namespace platform
