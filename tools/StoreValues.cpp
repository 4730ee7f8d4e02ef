#include "tools/StoreValues.h"

#include <cstdint>
#include <cstring>
#include <variant>
#include <vector>

#include "platform/IniFile.h"
#include "prefs/ConfigBase.h"
#include "tools/RegData.h"
#include "tools/RegFaithful.h"

namespace quillbray {
namespace {

using Stored = std::variant<std::string, std::int32_t, std::vector<std::uint8_t>>;

// The form the value takes in the store, or why it has none.
struct StoredForm {
  Stored form;
  std::string fault;  // empty when the value has a form
};

StoredForm storedForm(const platform::RegistryValue& value) {
  const auto& data = value.data;
  StoredForm result;
  switch (value.type) {
    case platform::REG_SZ: {
      std::string text(data.begin(), data.end());
      if (!text.empty() && text.back() == '\0') text.pop_back();
      if (text.find('\0') != std::string::npos) result.fault = "its text holds a zero byte";
      else result.form = std::move(text);
      break;
    }
    case platform::REG_DWORD: {
      if (data.size() != 4) {
        result.fault = "its REG_DWORD data is " + std::to_string(data.size()) + " bytes, not 4";
        break;
      }
      std::uint32_t n = 0;
      for (std::size_t i = 4; i-- > 0;) n = n << 8 | data[i];
      result.form = static_cast<std::int32_t>(n);
      break;
    }
    case platform::REG_BINARY: result.form = data; break;
    default:
      result.fault = "its type " + typeName(value.type) +
                     " has no form in the settings file, which keeps REG_SZ, REG_DWORD and REG_BINARY only";
  }
  return result;
}

// The text the store writes for the form, for the check of the line.
std::string lineText(const Stored& stored) {
  if (const auto* s = std::get_if<std::string>(&stored)) return *s;
  if (const auto* n = std::get_if<std::int32_t>(&stored)) return std::to_string(*n);
  return std::string(2 * std::get<std::vector<std::uint8_t>>(stored).size(), '0');
}

}  // namespace

std::optional<std::string> storeValueFault(const std::string& where, const std::string& section,
                                           const std::string& name, const platform::RegistryValue& value) {
  const std::string label = where + ", value " + (name.empty() ? std::string("@") : '"' + shownName(name) + '"') + ": ";
  if (name.empty()) return label + "the settings file has no default value";
  const StoredForm form = storedForm(value);
  if (!form.fault.empty()) return label + form.fault;
  // What the store would refuse as unreadable, known before anything is written.
  if (const auto* s = std::get_if<std::string>(&form.form); s && s->size() > kMaxStringReadBytes)
    return label + "its text is " + std::to_string(s->size()) + " bytes long; at most " +
           std::to_string(kMaxStringReadBytes) + " bytes of a value are read back";
  if (name.size() + 1 > kSectionNamesBufferBytes - 1)
    return label + "the name does not fit in the list of a section's names, which is read into " +
           std::to_string(kSectionNamesBufferBytes) + " bytes";
  try {
    platform::checkIniEntry(section, name, lineText(form.form));
  } catch (const platform::IniFileError& e) {
    return label + e.what();
  }
  return std::nullopt;
}

void storeValue(SettingsStore& store, const std::string& section, const std::string& name,
                const platform::RegistryValue& value) {
  const StoredForm form = storedForm(value);
  if (!form.fault.empty()) throw std::runtime_error(form.fault);
  const Stored& stored = form.form;
  if (const auto* s = std::get_if<std::string>(&stored)) store.setString(section, name, *s);
  else if (const auto* n = std::get_if<std::int32_t>(&stored)) store.setInteger(section, name, *n);
  else store.setBinary(section, name, std::get<std::vector<std::uint8_t>>(stored));
}

}  // namespace quillbray
