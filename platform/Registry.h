// The registry: two hives of keys and typed values.
//
// Task-level operations over a hive, as the preference store needs them. Key
// paths use "\" between names; names compare without regard to letter case and
// keep the spelling they were created with. Values keep their Windows type code
// and bytes, so the readers above can apply the Windows type rules.
//
// Errors: an operation that cannot be carried out throws RegistryError whose
// message says what failed and why ("hive '/x/user.hive': file is not a
// database"). A key that simply does not exist is not an error: openKey answers
// null.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

// Windows registry value types used by the product.
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_EXPAND_SZ = 2;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

// Windows' limits, in characters, and the deepest a key may lie below its root.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::size_t kMaxKeyDepth = 512;

// The name Windows gives a value type: "REG_SZ", "REG_DWORD_BIG_ENDIAN" ...;
// empty for a type it does not name.
std::string_view registryTypeName(std::uint32_t type);
// The type of such a name (exact, upper case), or nothing.
std::optional<std::uint32_t> registryTypeNamed(std::string_view name);

struct RegistryValue {
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
  bool operator==(const RegistryValue&) const = default;
};

// One value of a bulk write: the name as setValue takes it (up to its first
// NUL) and the stored form.
struct NamedValue {
  std::string name;
  RegistryValue value;
};

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A hive that another process kept locked for longer than the registry waits.
class RegistryBusyError : public RegistryError {
 public:
  using RegistryError::RegistryError;
};

// A write failed and took with it every change not yet saved, which the
// registry could not bring back (see Registry::setAllOrNothing).
class RegistryLostError : public RegistryError {
 public:
  using RegistryError::RegistryError;
};

enum class KeyAccess { Read, ReadWrite };

// One open key. A key opened for writing holds its hive's write lock from the
// opening to close() and makes all its changes visible at once, as one
// transaction, when it is closed - or destroyed, so that values written before
// an error are kept. A key opened for reading holds the hive's read lock until
// then: it sees one state of the hive, and writers (in any process) commit
// only after it is closed. Sub-keys opened from a key share its transaction.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  // The value's type and bytes, or nothing when the key has no such value.
  virtual std::optional<RegistryValue> queryValue(std::string_view name) = 0;
  virtual void setValue(std::string_view name, const RegistryValue& value) = 0;
  // Writes every value as setValue would, in order (of two values whose names
  // differ only in letter case, or not at all, the later wins and the first
  // spelling stays). Every name is checked before anything is written. All or
  // nothing: a failure throws RegistryError and none of this call's values
  // stays written (values that earlier calls wrote stay, as for setValue).
  // This default writes one by one, so only its name checks come first.
  virtual void setValues(std::span<const NamedValue> values);
  // Stores text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) given as UTF-16LE
  // bytes exactly as they are, an odd number of them or a lone surrogate
  // too, where the registry keeps text so (Registry::keepsUtf16Text).
  // Elsewhere throws RegistryError.
  virtual void setUtf16Value(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> bytes);
  // True when the value existed and is now deleted.
  virtual bool deleteValue(std::string_view name) = 0;
  // Value names in the order the values were created.
  virtual std::vector<std::string> valueNames() = 0;
  // Sub-key names, sorted by their case-folded spelling, as they are stored
  // (a damaged hive may hold names that no key path can reach: "" or "a\b").
  virtual std::vector<std::string> subKeyNames() = 0;
  // The sub-key stored under exactly this name, one level down, without
  // splitting it as a path; null when there is none. For walking a hive
  // whose names may be damaged.
  virtual std::unique_ptr<RegistryKey> openChild(std::string_view name) = 0;
  // Tells keys of one hive apart: two keys with the same identity are the
  // same key (a walk uses it to notice a key that is its own ancestor).
  virtual std::int64_t identity() const = 0;

  // Opens a key below this one (a "\" path); null when it does not exist and
  // create is false. A created key gets every missing level.
  virtual std::unique_ptr<RegistryKey> openSubKey(std::string_view path, bool create) = 0;
  // Opens a key by its path from the hive's root, within this key's opening
  // (same lock, same transaction); null as for openSubKey.
  virtual std::unique_ptr<RegistryKey> openFromRoot(std::string_view path, bool create) = 0;
  // Deletes the sub-key and everything below it; false when it does not exist.
  virtual bool deleteSubKeyTree(std::string_view path) = 0;

  // Ends the opening; a writable key commits here. Throws when the commit fails
  // (nothing of this opening is then kept).
  virtual void close() = 0;
  // Ends the opening without keeping its changes, where the registry can
  // (a trial write's).
  virtual void discard() = 0;
  // Makes what the opening wrote so far visible and lets go of the hive's
  // lock, as before a wait for the user; the key stays open and a later write
  // takes the lock again. Throws when the changes cannot be saved.
  virtual void flush() = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens a key below a root; null when it does not exist and create is false.
  // Read access never creates a hive file; a hive that is missing holds no keys.
  virtual std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path,
                                               KeyAccess access, bool create) = 0;
  // Where the root's hive is kept, for messages ("/home/me/.config/quillbray/user.hive").
  virtual std::string location(RegistryRoot root) = 0;
  // Whether this process may write below the root, asked without writing
  // anything (a dry run's answer to the write probe).
  virtual bool mayWrite(RegistryRoot root) = 0;
  // Whether text values are kept as UTF-16LE, as Windows keeps them, so that
  // RegistryKey::setUtf16Value stores bytes that no UTF-8 text holds. The
  // hive keeps text as UTF-8.
  virtual bool keepsUtf16Text() { return false; }

  // A batch: from beginBatch to the matching endBatch, the openings of this
  // process that write a hive share one transaction of that hive; closing a
  // key does not commit it. commitBatch makes everything written so far
  // durable and visible and lets go of the locks (the batch goes on);
  // endBatch commits and ends the batch. Batches nest: only the outermost
  // endBatch ends it. Both throw RegistryError naming what could not be saved.
  // Within a batch, a hive that stayed busy for the whole wait is not waited
  // for again: later openings of it fail at once.
  virtual void beginBatch() = 0;
  // For a writer that keeps all or nothing (it discards every change when
  // one fails): when the store loses a whole transaction (disk full, an I/O
  // error), the failing write says so and nothing is brought back, so no
  // copy of the transaction's writes is kept. A large import saves that
  // memory. Off by default: then the writes before a failed one are kept.
  virtual void setAllOrNothing(bool on) { static_cast<void>(on); }
  virtual void commitBatch() = 0;
  virtual void endBatch() = 0;
};

// The process's registry: the one installed by ScopedRegistry, else the
// platform's own (defined by the platform implementation).
Registry& registry();
Registry& platformRegistry();

class ScopedRegistry {
 public:
  explicit ScopedRegistry(Registry& r);
  ~ScopedRegistry();
  ScopedRegistry(const ScopedRegistry&) = delete;
  ScopedRegistry& operator=(const ScopedRegistry&) = delete;

 private:
  Registry* previous_;
};

// The registry view the keys are opened in, as reg.exe's /reg:32 and
// /reg:64 choose it. On 64-bit Windows the 32-bit view is the product's
// (HKLM\Software lies in WOW6432Node there) and the default of these 32-bit
// programs; the 64-bit view is that of 64-bit programs. Linux's hives have
// one view: the choice changes nothing there.
enum class RegistryView { Default, Bits32, Bits64 };
void setRegistryView(RegistryView view);

// Splits a key path into its names: a leading "\" is dropped and repeated or
// trailing "\" collapse, as in Windows ("\a\\b\" gives a, b; "" gives none).
// The path ends at its first NUL, as a C string does. Throws RegistryError
// for a name longer than kMaxKeyNameLength characters, and for a path that
// would lie deeper than kMaxKeyDepth levels below the root when it starts
// `depth` levels down.
std::vector<std::string_view> splitKeyPath(std::string_view path, std::size_t depth = 0);

// A name as the Windows API sees it: up to its first NUL.
std::string_view untilNul(std::string_view name);

// Throws RegistryError for a value name longer than kMaxValueNameLength.
void checkValueName(std::string_view name);

// Characters (UTF-16 code units, as Windows counts them) in a UTF-8 text;
// a byte that is not valid UTF-8 counts as one.
std::size_t windowsLength(std::string_view utf8);

}  // namespace platform
