// Text replacement without regard to letter case.
#include "common/Globals.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

namespace quillbray {
namespace {

// A text cut into characters, each with its upper-case form. Upper-casing
// can change a character's byte length ("ı" is two bytes, "I" one), so the
// text is compared character by character, never by byte offsets of its
// upper-case form. A byte that is not valid UTF-8 is a character of its own.
struct FoldedText {
  std::vector<std::size_t> starts;  // byte offset of each character, then the text's size
  std::vector<std::string> upper;

  explicit FoldedText(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
      char32_t cp = 0;
      std::size_t len = platform::decodeUtf8(text, i, cp);
      if (len == 0) len = 1;
      starts.push_back(i);
      upper.push_back(platform::upperCase(std::string_view(text).substr(i, len)));
      i += len;
    }
    starts.push_back(text.size());
  }
  std::size_t size() const { return upper.size(); }
};

}  // namespace

std::vector<std::string> SplitIgnoreCase(const std::string& text, const std::string& find) {
  if (find.empty()) return {text};
  const FoldedText t(text), f(find);
  std::vector<std::string> parts;
  std::size_t partStart = 0;  // in characters
  std::size_t k = 0;
  while (k + f.size() <= t.size()) {
    std::size_t j = 0;
    while (j < f.size() && t.upper[k + j] == f.upper[j]) ++j;
    if (j < f.size()) {
      ++k;
      continue;
    }
    parts.push_back(text.substr(t.starts[partStart], t.starts[k] - t.starts[partStart]));
    k += f.size();
    partStart = k;
  }
  parts.push_back(text.substr(t.starts[partStart]));
  return parts;
}

std::string ReplaceIgnoreCase(const std::string& text, const std::string& find, const std::string& put) {
  const std::vector<std::string> parts = SplitIgnoreCase(text, find);
  std::string out = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) out += put + parts[i];
  return out;
}

}  // namespace quillbray
