// libxml2 is built without iconv for Windows: it reads UTF-8, UTF-16,
// ISO-8859-1..16 and ASCII by itself, and the legacy encodings of
// CodePageNames through the system's code pages. Each gets an encoding handler of its own (the
// handlers take no context, so each is an instance of one template) and the
// names iconv knows it by as aliases.
#include "platform/XmlCodePages.h"

#include <libxml/encoding.h>

#include <mutex>
#include <string>
#include <utility>

#include "platform/win32/CodePageNames.h"
#include "platform/win32/CodePageTable.h"

namespace platform {
namespace {

using win32::CodePageTable;

// libxml2 holds at most 50 handlers, 22 of them its own.
constexpr std::size_t kPageCount = std::size(win32::kCodePageNames);

// Each handler's table, made when the handlers are registered.
CodePageTable* tables[kPageCount];

int convert(const CodePageTable& table, unsigned char* out, int* outLength, const unsigned char* in, int* inLength) {
  if (!in || *inLength <= 0 || *outLength <= 0) {
    *inLength = 0;
    *outLength = 0;
    return 0;
  }
  const CodePageTable::Step s = table.decode(in, static_cast<std::size_t>(*inLength), out,
                                             static_cast<std::size_t>(*outLength));
  *inLength = static_cast<int>(s.consumed);
  *outLength = static_cast<int>(s.written);
  // The parser reports the bytes at *inLength. A character cut off by the
  // end of the input comes again with the next input, as iconv leaves it.
  if (s.stop == CodePageTable::Stop::Invalid) return -2;
  return *outLength;
}

template <std::size_t I>
int input(unsigned char* out, int* outLength, const unsigned char* in, int* inLength) {
  return convert(*tables[I], out, outLength, in, inLength);
}

// libxml2 reads ISO-8859-1 to 16 itself, under those names only; iconv knows
// them by more.
void aliasIsoParts() {
  static constexpr std::pair<const char*, int> kNamed[] = {
      {"latin1", 1}, {"latin2", 2}, {"latin3", 3}, {"latin4", 4}, {"latin5", 9}, {"latin6", 10},
      {"latin7", 13}, {"latin8", 14}, {"latin9", 15}, {"latin10", 16}, {"l1", 1}, {"l2", 2},
      {"cyrillic", 5}, {"arabic", 6}, {"greek", 7}, {"hebrew", 8},
  };
  const auto canonical = [](int part) { return "ISO-8859-" + std::to_string(part); };
  for (int part = 1; part <= 16; ++part)
    for (const char* form : {"ISO8859-", "ISO_8859-", "ISO8859_", "ISO_8859_"})
      xmlAddEncodingAlias(canonical(part).c_str(), (form + std::to_string(part)).c_str());
  for (const auto& [alias, part] : kNamed) xmlAddEncodingAlias(canonical(part).c_str(), alias);
}

template <std::size_t... I>
void registerAll(std::index_sequence<I...>) {
  aliasIsoParts();
  const xmlCharEncodingInputFunc inputs[] = {input<I>...};
  for (std::size_t i = 0; i < kPageCount; ++i) {
    static_assert(sizeof...(I) == kPageCount);
    const win32::CodePageName& page = win32::kCodePageNames[i];
    tables[i] = new CodePageTable(page.codePage, page.strict, page.privatePairs);  // lives as long as libxml2's handlers
    if (!tables[i]->valid()) continue;  // a system without the code page: the name stays unknown
    if (!xmlNewCharEncodingHandler(page.name, inputs[i], nullptr)) continue;
    for (const char* alias : page.aliases) xmlAddEncodingAlias(page.name, alias);
  }
}

}  // namespace

void registerXmlCodePages() {
  static std::once_flag once;
  std::call_once(once, [] { registerAll(std::make_index_sequence<kPageCount>{}); });
}

}  // namespace platform
