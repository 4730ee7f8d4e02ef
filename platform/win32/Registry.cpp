// The registry on Windows: the system's own HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE, through the wide functions.
//
// An opening is one open key handle. The system has no transaction for it:
// every write is visible to other processes at once and stays, and an
// opening holds no lock. So close() and flush() only end or keep the handle,
// discard() cannot take back what the opening wrote, and a batch decides only
// when the roots written are saved to disk (RegFlushKey at commitBatch and at
// the end of the outermost batch; the system saves them lazily anyway).
//
// Names are UTF-8 here and UTF-16 in the system; a name that is not UTF-8
// cannot be written (it could not be read back as it was) and is never found.
// The string types' data is converted as the A functions convert it
// (RegText.h), except what setUtf16Value writes: the bytes as given.
// Before windows.h, whose REG_ macros would otherwise rewrite its constants.
#include "platform/Registry.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "platform/Utf8.h"
#include "platform/win32/RegKey.h"
#include "platform/win32/RegText.h"
#include "platform/win32/Wide.h"

namespace platform {
namespace {

using win32::RegKey;

// The view every key is opened in: none (the program's own), or reg.exe's
// /reg:32 or /reg:64.
REGSAM viewFlag = 0;

REGSAM readAccess() { return KEY_READ | viewFlag; }
// DELETE and the read rights are what RegDeleteTreeW needs of the key.
REGSAM writeAccess() { return KEY_READ | KEY_WRITE | DELETE | viewFlag; }
// Windows creates at most 32 levels in one call.
constexpr std::size_t kLevelsPerCreate = 32;

HKEY rootHandle(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string rootName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool notFound(LSTATUS rc) { return rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND; }

// A name the system can hold: UTF-8 text (a name is checked for its length
// by splitKeyPath and checkValueName).
bool storable(std::string_view name) { return isUtf8(name); }

std::string joined(const std::string& base, std::span<const std::string_view> names) {
  std::string path = base;
  for (std::string_view name : names) {
    if (!path.empty()) path += '\\';
    path += name;
  }
  return path;
}

// A key as messages name it: "HKEY_CURRENT_USER\Software\X".
std::string shown(RegistryRoot root, const std::string& path) {
  return printable(path.empty() ? rootName(root) : rootName(root) + "\\" + path);
}

[[noreturn]] void fail(RegistryRoot root, const std::string& path, const std::string& what, LSTATUS rc) {
  throw RegistryError("key '" + shown(root, path) + "': " + what + ": " + win32::errorText(static_cast<DWORD>(rc)));
}

// Opens (or creates, each missing level) the key `names` below `from`,
// which is the key at fromPath; nothing when a level is missing and create
// is false.
std::optional<RegKey> openPath(RegistryRoot root, HKEY from, const std::string& fromPath,
                               std::span<const std::string_view> names, REGSAM access, bool create) {
  const bool allStorable = std::all_of(names.begin(), names.end(), storable);
  if (!create) {
    if (!allStorable) return std::nullopt;  // no key has such a name
    RegKey key;
    const LSTATUS rc = ::RegOpenKeyExW(from, win32::widen(joined("", names)).c_str(), 0, access, key.out());
    if (notFound(rc)) return std::nullopt;
    if (rc != ERROR_SUCCESS) fail(root, joined(fromPath, names), "cannot open", rc);
    return key;
  }
  if (!allStorable) {
    const auto bad = std::find_if_not(names.begin(), names.end(), storable);
    throw RegistryError("key '" + shown(root, joined(fromPath, names)) + "': cannot create: the name '" +
                        printable(*bad) + "' is not UTF-8 text");
  }
  RegKey key;
  HKEY parent = from;
  std::size_t done = 0;
  do {
    const std::size_t n = std::min(kLevelsPerCreate, names.size() - done);
    const auto part = names.subspan(done, n);
    RegKey next;
    const LSTATUS rc = ::RegCreateKeyExW(parent, win32::widen(joined("", part)).c_str(), 0, nullptr,
                                         REG_OPTION_NON_VOLATILE, access, nullptr, next.out(), nullptr);
    done += n;
    if (rc != ERROR_SUCCESS) fail(root, joined(fromPath, names.first(done)), "cannot create", rc);
    key = std::move(next);
    parent = key.get();
  } while (done < names.size());
  return key;
}

// The spelling under which the registry compares names.
std::wstring folded(const std::wstring& text) {
  if (text.empty()) return text;
  std::wstring out(text.size(), L'\0');
  const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                                out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return n > 0 ? out : text;
}

// FNV-1a over the folded path: keys of one root are told apart by where they
// are, whatever spelling opened them.
std::int64_t pathIdentity(RegistryRoot root, const std::string& path) {
  const std::wstring key = folded(win32::widen(rootName(root) + "\\" + path));
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (wchar_t c : key) {
    h ^= static_cast<std::uint16_t>(c);
    h *= 0x100000001b3ull;
  }
  return static_cast<std::int64_t>(h);
}

class WinRegistry;

class WinKey final : public RegistryKey {
 public:
  WinKey(RegistryRoot root, RegKey key, std::string path, std::size_t depth, bool writable)
      : root_(root), key_(std::move(key)), path_(std::move(path)), depth_(depth), writable_(writable),
        identity_(pathIdentity(root, path_)) {}

  std::optional<RegistryValue> queryValue(std::string_view name) override {
    name = untilNul(name);
    const HKEY h = live();
    if (!storable(name) || windowsLength(name) > kMaxValueNameLength) return std::nullopt;
    const std::wstring wide = win32::widen(name);
    std::vector<BYTE> data(256);
    DWORD type = 0;
    for (;;) {
      DWORD size = static_cast<DWORD>(data.size());
      const LSTATUS rc = ::RegQueryValueExW(h, wide.c_str(), nullptr, &type, data.data(), &size);
      if (rc == ERROR_SUCCESS) return win32::programValue(type, data.data(), size);
      if (rc == ERROR_MORE_DATA) {
        data.resize(std::max<std::size_t>(size, data.size() * 2));  // it may have grown meanwhile
        continue;
      }
      if (notFound(rc)) return std::nullopt;
      fail(root_, path_, "cannot read value '" + printable(name) + "'", rc);
    }
  }

  void setValue(std::string_view name, const RegistryValue& value) override {
    const NamedValue one{std::string(name), value};
    setValues(std::span<const NamedValue>(&one, 1));
  }

  // Every name and text is checked before the first write; the writes
  // themselves cannot be taken back, so a failing one keeps those before it.
  void setValues(std::span<const NamedValue> values) override {
    const HKEY h = writableKey();
    std::vector<std::pair<std::wstring, std::vector<BYTE>>> stored;
    stored.reserve(values.size());
    for (const NamedValue& v : values) {
      const std::string_view name = untilNul(v.name);
      checkValueName(name);
      if (!storable(name))
        throw RegistryError("key '" + shown(root_, path_) + "': cannot write value '" + printable(name) +
                            "': its name is not UTF-8 text");
      auto bytes = win32::storedBytes(v.value);
      if (!bytes)
        throw RegistryError("key '" + shown(root_, path_) + "': cannot write value '" + printable(name) +
                            "': its text is not UTF-8");
      stored.emplace_back(win32::widen(name), std::move(*bytes));
    }
    for (std::size_t i = 0; i < stored.size(); ++i)
      write(h, stored[i].first, untilNul(values[i].name), values[i].value.type, std::move(stored[i].second));
  }

  void setUtf16Value(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> bytes) override {
    const HKEY h = writableKey();
    name = untilNul(name);
    checkValueName(name);
    if (!storable(name))
      throw RegistryError("key '" + shown(root_, path_) + "': cannot write value '" + printable(name) +
                          "': its name is not UTF-8 text");
    write(h, win32::widen(name), name, type, std::vector<BYTE>(bytes.begin(), bytes.end()));
  }

  bool deleteValue(std::string_view name) override {
    if (!writable_) return false;  // a read-only opening deletes nothing
    name = untilNul(name);
    const HKEY h = live();
    if (!storable(name) || windowsLength(name) > kMaxValueNameLength) return false;
    const LSTATUS rc = ::RegDeleteValueW(h, win32::widen(name).c_str());
    if (notFound(rc)) return false;
    if (rc != ERROR_SUCCESS) fail(root_, path_, "cannot delete value '" + printable(name) + "'", rc);
    return true;
  }

  // Windows answers the values in the order they were created.
  std::vector<std::string> valueNames() override {
    return enumerate(kMaxValueNameLength + 1, "cannot list values", [](HKEY h, DWORD i, wchar_t* buf, DWORD* len) {
      return ::RegEnumValueW(h, i, buf, len, nullptr, nullptr, nullptr, nullptr);
    });
  }

  std::vector<std::string> subKeyNames() override {
    std::vector<std::wstring> wide;
    for (std::string& name : enumerate(kMaxKeyNameLength + 1, "cannot list sub-keys",
                                       [](HKEY h, DWORD i, wchar_t* buf, DWORD* len) {
                                         return ::RegEnumKeyExW(h, i, buf, len, nullptr, nullptr, nullptr, nullptr);
                                       }))
      wide.push_back(win32::widen(name));
    // The system keeps them in this order; the interface promises it.
    std::stable_sort(wide.begin(), wide.end(), [](const std::wstring& a, const std::wstring& b) {
      return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                    TRUE) == CSTR_LESS_THAN;
    });
    std::vector<std::string> names;
    for (const std::wstring& w : wide) names.push_back(win32::narrow(w));
    return names;
  }

  std::unique_ptr<RegistryKey> openChild(std::string_view name) override {
    const HKEY h = live();
    // One level: a name that would be read as a path, or as this key, is no child.
    if (name.empty() || name.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos ||
        !storable(name) || windowsLength(name) > kMaxKeyNameLength)
      return nullptr;
    RegKey child;
    const LSTATUS rc = ::RegOpenKeyExW(h, win32::widen(name).c_str(), 0, access(), child.out());
    if (notFound(rc)) return nullptr;
    const std::string path = path_.empty() ? std::string(name) : path_ + "\\" + std::string(name);
    if (rc != ERROR_SUCCESS) fail(root_, path, "cannot open", rc);
    return std::make_unique<WinKey>(root_, std::move(child), path, depth_ + 1, writable_);
  }

  std::int64_t identity() const override { return identity_; }

  std::unique_ptr<RegistryKey> openSubKey(std::string_view path, bool create) override {
    const HKEY h = create ? writableKey() : live();
    const std::vector<std::string_view> names = splitKeyPath(path, depth_);
    return open(h, path_, depth_, names, create);
  }

  std::unique_ptr<RegistryKey> openFromRoot(std::string_view path, bool create) override {
    if (create) writableKey(); else live();
    const std::vector<std::string_view> names = splitKeyPath(path);
    return open(rootHandle(root_), "", 0, names, create);
  }

  bool deleteSubKeyTree(std::string_view path) override {
    if (!writable_) return false;
    const HKEY h = live();
    const std::vector<std::string_view> names = splitKeyPath(path, depth_);
    if (names.empty() || !std::all_of(names.begin(), names.end(), storable)) return false;
    const LSTATUS rc = ::RegDeleteTreeW(h, win32::widen(joined("", names)).c_str());
    if (notFound(rc)) return false;
    if (rc != ERROR_SUCCESS) fail(root_, joined(path_, names), "cannot delete", rc);
    return true;
  }

  void close() override { end(); }
  // The writes are in the registry already; nothing can take them back.
  void discard() override { end(); }
  void flush() override { live(); }

 private:
  std::unique_ptr<RegistryKey> open(HKEY from, const std::string& fromPath, std::size_t depth,
                                    std::span<const std::string_view> names, bool create) {
    auto key = openPath(root_, from, fromPath, names, access(), create);
    if (!key) return nullptr;
    return std::make_unique<WinKey>(root_, std::move(*key), joined(fromPath, names), depth + names.size(), writable_);
  }

  // Every name the function answers for index 0, 1 ... (a name that no longer
  // fits the buffer, having grown meanwhile, is asked again with more room).
  template <typename Enum>
  std::vector<std::string> enumerate(std::size_t room, const char* what, Enum enumFn) {
    const HKEY h = live();
    std::vector<wchar_t> buf(room);
    std::vector<std::string> names;
    for (DWORD i = 0;;) {
      DWORD len = static_cast<DWORD>(buf.size());
      const LSTATUS rc = enumFn(h, i, buf.data(), &len);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc == ERROR_MORE_DATA) {
        buf.resize(buf.size() * 2);
        continue;
      }
      if (rc != ERROR_SUCCESS) fail(root_, path_, what, rc);
      names.push_back(win32::narrow(std::wstring_view(buf.data(), len)));
      ++i;
    }
    return names;
  }

  // Stores the bytes as they are.
  void write(HKEY h, const std::wstring& wide, std::string_view name, std::uint32_t type, std::vector<BYTE> bytes) {
    const DWORD size = static_cast<DWORD>(bytes.size());
    // For text without its terminating NUL, RegSetValueExW looks at the
    // character after the data and, when it is a NUL, stores that too; a
    // character that is none keeps the data as it was given.
    bytes.push_back(0xFF);
    bytes.push_back(0xFF);
    const LSTATUS rc = ::RegSetValueExW(h, wide.c_str(), 0, type, bytes.data(), size);
    if (rc != ERROR_SUCCESS) fail(root_, path_, "cannot write value '" + printable(name) + "'", rc);
  }

  REGSAM access() const { return writable_ ? writeAccess() : readAccess(); }
  HKEY live() const {
    if (!key_) throw RegistryError("key is closed");
    return key_.get();
  }
  HKEY writableKey() const {
    if (!writable_) throw RegistryError("key is open for reading only");
    return live();
  }
  void end() { key_.reset(); }

  RegistryRoot root_;
  RegKey key_;
  std::string path_;  // below the root, the names as they were asked for
  std::size_t depth_;
  bool writable_;
  std::int64_t identity_;
};

class WinRegistry final : public Registry {
 public:
  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path, KeyAccess access,
                                       bool create) override {
    const std::vector<std::string_view> names = splitKeyPath(path);
    const bool write = access == KeyAccess::ReadWrite;
    auto key = openPath(root, rootHandle(root), "", names, write ? writeAccess() : readAccess(), create && write);
    if (!key) return nullptr;
    if (write) written_[slot(root)] = true;
    return std::make_unique<WinKey>(root, std::move(*key), joined("", names), names.size(), write);
  }

  std::string location(RegistryRoot root) override { return rootName(root); }

  bool keepsUtf16Text() override { return true; }

  // The right to make keys and values in the root's Software key (the root
  // itself where that is missing), asked by opening it with those rights.
  bool mayWrite(RegistryRoot root) override {
    for (const wchar_t* sub : {L"Software", L""}) {
      RegKey key;
      const LSTATUS rc = ::RegOpenKeyExW(rootHandle(root), sub, 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE | viewFlag, key.out());
      if (rc == ERROR_SUCCESS) return true;
      if (!notFound(rc)) return false;
    }
    return false;
  }

  void beginBatch() override { ++batchDepth_; }
  void commitBatch() override { save(); }
  void endBatch() override {
    if (batchDepth_ == 0 || --batchDepth_ > 0) return;
    save();
  }

 private:
  static std::size_t slot(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? 1 : 0; }

  // Writes the roots opened for writing since the last save to disk.
  void save() {
    std::string failures;
    for (RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
      if (!std::exchange(written_[slot(root)], false)) continue;
      const LSTATUS rc = ::RegFlushKey(rootHandle(root));
      if (rc == ERROR_SUCCESS) continue;
      if (!failures.empty()) failures += "\r\n";
      failures += rootName(root) + ": cannot save changes: " + win32::errorText(static_cast<DWORD>(rc));
    }
    if (!failures.empty()) throw RegistryError(failures);
  }

  int batchDepth_ = 0;
  std::array<bool, 2> written_{};
};

}  // namespace

void setRegistryView(RegistryView view) {
  viewFlag = view == RegistryView::Bits32 ? KEY_WOW64_32KEY : view == RegistryView::Bits64 ? KEY_WOW64_64KEY : 0;
}

Registry& platformRegistry() {
  static WinRegistry registry;
  return registry;
}

}  // namespace platform
