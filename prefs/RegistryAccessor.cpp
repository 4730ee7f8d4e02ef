#include "prefs/RegistryAccessor.h"

#include <algorithm>
#include <cstring>

#include "prefs/StoredForms.h"

namespace quillbray {
namespace {

using platform::RegistryValue;

std::string quoted(const char* what, const std::string& name) {
  return std::string(what) + " '" + name + "'";
}

// The registry's own reason goes on a second line, after the known text.
[[noreturn]] void failWith(const char* what, const std::string& name, const std::exception& cause) {
  throw PrefError(quoted(what, name) + "\r\n" + cause.what());
}

bool isFromRoot(const std::string& path) { return !path.empty() && path[0] == '\\'; }

bool isString(std::uint32_t type) { return type == platform::REG_SZ || type == platform::REG_EXPAND_SZ; }

}  // namespace

RegistryAccessor::~RegistryAccessor() = default;  // the key commits when destroyed

bool RegistryAccessor::OpenKey(const std::string& path, bool canCreate) {
  return open(path, platform::KeyAccess::ReadWrite, canCreate);
}

bool RegistryAccessor::OpenKeyReadOnly(const std::string& path) {
  return open(path, platform::KeyAccess::Read, false);
}

bool RegistryAccessor::open(const std::string& path, platform::KeyAccess access, bool canCreate) {
  std::unique_ptr<platform::RegistryKey> next;
  if (key_) {
    // Within an opening, a path that starts with "\" is taken from the root;
    // the opening keeps its key when the new one does not open.
    next = isFromRoot(path) ? key_->openFromRoot(path, canCreate) : key_->openSubKey(path, canCreate);
  } else {
    next = platform::registry().openKey(root_, path, access, canCreate);
  }
  if (!next) return false;
  key_ = std::move(next);
  return true;
}

void RegistryAccessor::CloseKey() {
  if (!key_) return;
  auto key = std::move(key_);
  key->close();
}

void RegistryAccessor::Flush() {
  if (key_) key_->flush();
}

platform::RegistryKey& RegistryAccessor::key() {
  if (!key_) throw PrefError("no registry key is open");
  return *key_;
}

bool RegistryAccessor::ValueExists(const std::string& name) {
  return key_ && key_->queryValue(name).has_value();
}

bool RegistryAccessor::KeyExists(const std::string& path) {
  if (!key_) return false;
  return (isFromRoot(path) ? key_->openFromRoot(path, false) : key_->openSubKey(path, false)) != nullptr;
}

std::optional<RegistryValue> RegistryAccessor::ReadRaw(const std::string& name) {
  if (!key_) return std::nullopt;
  try {
    return key_->queryValue(name);
  } catch (const platform::RegistryError& e) {
    failWith("Failed to get data for", name, e);
  }
}

RegistryValue RegistryAccessor::read(const std::string& name) {
  auto value = ReadRaw(name);
  if (!value) throw PrefError(quoted("Failed to get data for", name));
  return std::move(*value);
}

std::int32_t RegistryAccessor::ReadInteger(const std::string& name) {
  const RegistryValue v = read(name);
  // Too much data fails before the type is looked at, as the registry reports
  // a short buffer first.
  if (v.data.size() > 4) throw PrefError(quoted("Failed to get data for", name));
  if (v.type != platform::REG_DWORD) throw PrefError(quoted("Invalid data type for", name));
  std::uint32_t n = 0;
  for (std::size_t i = 0; i < v.data.size(); ++i) n |= std::uint32_t{v.data[i]} << (8 * i);
  return static_cast<std::int32_t>(n);
}

std::string RegistryAccessor::ReadString(const std::string& name) {
  const RegistryValue v = read(name);
  if (v.data.empty()) return {};
  if (!isString(v.type)) throw PrefError(quoted("Invalid data type for", name));
  const auto end = std::find(v.data.begin(), v.data.end(), std::uint8_t{0});
  return std::string(v.data.begin(), end);
}

std::vector<std::uint8_t> RegistryAccessor::ReadBinary(const std::string& name) {
  RegistryValue v = read(name);
  if (isString(v.type) || v.type == platform::REG_DWORD) throw PrefError(quoted("Invalid data type for", name));
  return std::move(v.data);
}

std::int32_t RegistryAccessor::ReadBinaryData(const std::string& name, std::span<std::uint8_t> buffer) {
  const std::vector<std::uint8_t> data = ReadBinary(name);
  if (data.size() > buffer.size()) throw PrefError(quoted("Invalid data type for", name));
  std::copy(data.begin(), data.end(), buffer.begin());
  return static_cast<std::int32_t>(data.size());
}

void RegistryAccessor::write(const std::string& name, const RegistryValue& value) {
  try {
    key().setValue(name, value);
  } catch (const platform::RegistryError& e) {
    failWith("Failed to set data for", name, e);
  }
}

void RegistryAccessor::WriteInteger(const std::string& name, std::int32_t value) {
  write(name, StoredInteger(value));
}

void RegistryAccessor::WriteBool(const std::string& name, bool value) { write(name, StoredBoolean(value)); }

void RegistryAccessor::WriteString(const std::string& name, const std::string& value) {
  write(name, StoredString(value));
}

void RegistryAccessor::WriteBinaryData(const std::string& name, std::span<const std::uint8_t> data) {
  write(name, StoredBinary(data));
}

void RegistryAccessor::WriteValues(std::span<const platform::NamedValue> values) { key().setValues(values); }

bool RegistryAccessor::DeleteValue(const std::string& name) { return key().deleteValue(name); }

bool RegistryAccessor::DeleteKey(const std::string& path) { return key().deleteSubKeyTree(path); }

std::vector<std::string> RegistryAccessor::GetValueNames() { return key_ ? key_->valueNames() : std::vector<std::string>{}; }

}  // namespace quillbray
