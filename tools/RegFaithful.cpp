#include "tools/RegFaithful.h"

#include "platform/Utf8.h"

namespace quillbray {
namespace {

// The faults that a key name and a value name share.
std::optional<std::string> textFault(std::string_view name, std::size_t maxLength) {
  if (name.find_first_of("\r\n") != std::string_view::npos)
    return "its name holds a line break, which a .reg file cannot carry";
  if (name.find('\0') != std::string_view::npos)
    return "its name holds a NUL character, which a .reg file cannot carry";
  if (!platform::isUtf8(name)) return "its name is not UTF-8 text, which a .reg file cannot carry";
  if (platform::windowsLength(name) > maxLength)
    return "its name is longer than " + std::to_string(maxLength) + " characters, which a .reg file cannot carry";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> keyNameFault(std::string_view name) {
  return textFault(name, platform::kMaxKeyNameLength);
}

std::optional<std::string> valueNameFault(std::string_view name) {
  return textFault(name, platform::kMaxValueNameLength);
}

std::optional<std::string> valueDataFault(const platform::RegistryValue& value) {
  const bool text = value.type == platform::REG_SZ || value.type == platform::REG_EXPAND_SZ || value.type == 7;
  if (text && !platform::isUtf8(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size())))
    return "its text is not UTF-8, which a .reg file cannot carry";
  return std::nullopt;
}

std::string shownName(std::string_view name) { return platform::printable(name); }

}  // namespace quillbray
