// A registry accessor: one root, at most one open key, typed values.
//
// The typed reads check the stored type before they trust the bytes, with the
// messages the product's users know:
//   integer  REG_DWORD of at most 4 bytes; longer data "Failed to get data for
//            'name'", another type "Invalid data type for 'name'"
//   string   REG_SZ or REG_EXPAND_SZ up to the first zero byte; an empty value
//            of any type reads as ""; another type "Invalid data type ..."
//   binary   any type but strings and integers, if it fits the buffer
// A write the registry refuses fails with "Failed to set data for 'name'".
// Failures throw PrefError; a failed read leaves the caller's buffer untouched.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace quillbray {

// The ordinary error of the preference store: a message for the user.
class PrefError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RegistryAccessor {
 public:
  // Full access on HKEY_CURRENT_USER until the opening routine sets the root.
  RegistryAccessor() = default;
  ~RegistryAccessor();  // commits what the open key wrote
  RegistryAccessor(const RegistryAccessor&) = delete;
  RegistryAccessor& operator=(const RegistryAccessor&) = delete;

  void SetRootKey(platform::RegistryRoot root) { root_ = root; }
  platform::RegistryRoot RootKey() const { return root_; }

  // Opens a key for reading and writing: a path below the open key, or below
  // the root when none is open or the path starts with "\" (within the same
  // opening then: one opening holds a hive at a time). False, keeping the key
  // that was open, when it does not exist and canCreate is false. Hive
  // failures throw platform::RegistryError.
  bool OpenKey(const std::string& path, bool canCreate);
  bool OpenKeyReadOnly(const std::string& path);
  // Ends the opening; its values become durable and visible to other processes.
  void CloseKey();
  // Makes the values written so far durable and visible and lets go of the
  // hive's lock (before waiting for the user); the key stays open.
  void Flush();
  bool HasOpenKey() const { return key_ != nullptr; }

  bool ValueExists(const std::string& name);
  bool KeyExists(const std::string& path);

  std::int32_t ReadInteger(const std::string& name);
  bool ReadBool(const std::string& name) { return ReadInteger(name) != 0; }
  std::string ReadString(const std::string& name);
  // Copies the value into the buffer and answers its size.
  std::int32_t ReadBinaryData(const std::string& name, std::span<std::uint8_t> buffer);
  // The value's bytes under the binary read rules, whatever their size.
  std::vector<std::uint8_t> ReadBinary(const std::string& name);
  // The stored value as it is, for comparisons; nothing when it does not exist.
  std::optional<platform::RegistryValue> ReadRaw(const std::string& name);

  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteBool(const std::string& name, bool value);
  void WriteString(const std::string& name, const std::string& value);
  void WriteBinaryData(const std::string& name, std::span<const std::uint8_t> data);
  // Writes all the values into the open key in one call, all or nothing (see
  // platform::RegistryKey::setValues). Throws PrefError when no key is open,
  // and the registry's own error (platform::RegistryError) when the write
  // fails, so that the caller can tell a lost transaction
  // (platform::RegistryLostError) from a refused write.
  void WriteValues(std::span<const platform::NamedValue> values);

  bool DeleteValue(const std::string& name);
  // Deletes the sub-key with everything below it.
  bool DeleteKey(const std::string& path);
  std::vector<std::string> GetValueNames();

 private:
  bool open(const std::string& path, platform::KeyAccess access, bool canCreate);
  platform::RegistryValue read(const std::string& name);
  void write(const std::string& name, const platform::RegistryValue& value);
  platform::RegistryKey& key();

  platform::RegistryRoot root_ = platform::RegistryRoot::CurrentUser;
  std::unique_ptr<platform::RegistryKey> key_;
};

}  // namespace quillbray
