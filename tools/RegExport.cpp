#include "tools/RegExport.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/Text.h"
#include "platform/Utf8.h"
#include "tools/RegFaithful.h"
#include "tools/RegFileText.h"

namespace quillbray {
namespace {

using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryValue;

constexpr const char* kIncomplete = "; the exported text is incomplete";

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// Text that a .reg string can carry as it is: one terminating zero, and no
// line break or zero before it (a line break would end the line; other
// control characters, a tab among them, stand as they are, as reg.exe
// writes them).
bool plainString(const std::vector<std::uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
  return true;
}

// Windows keeps strings as UTF-16LE; hex(1), hex(2) and hex(7) show them that
// way, so the text imports into Windows unchanged. Bytes that are not UTF-8
// become U+FFFD.
std::vector<std::uint8_t> utf16le(const std::vector<std::uint8_t>& utf8) {
  return utf8ToUtf16le(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

// "hex:" or "hex(N):" and the bytes, wrapped before column 80 as regedit does.
std::string hexList(std::string line, const char* kind, const std::vector<std::uint8_t>& bytes) {
  line += kind;
  std::size_t column = line.size();
  char buf[4];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
    line += buf;
    column += 2;
    if (i + 1 < bytes.size()) {
      line += ',';
      ++column;
      if (column > 76) {
        line += "\\\n  ";
        column = 2;
      }
    }
  }
  return line;
}

std::string typeTag(std::uint32_t type) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "hex(%x):", type);
  return buf;
}

// A key's sub-keys and how far the walk has come through them.
struct Level {
  std::unique_ptr<RegistryKey> key;
  std::vector<std::string> subKeys;  // stored names, in the order they are written
  std::size_t next = 0;
  std::unordered_set<std::int64_t> walked;  // the sub-keys already written
};

// One export. It keeps the names from the root down to the key in hand,
// which make each "[...]" line and each message, and the keys of that path
// with their sub-keys still to write; nothing else grows with the hive.
class Export {
 public:
  Export(std::ostream& out, RegistryRoot root) : out_(out), root_(root) {}

  // The key at path, walked down by its names in any letter case, as Windows
  // compares them. Null for a root that has no key yet (no hive file, or an
  // empty one).
  std::unique_ptr<RegistryKey> lookUp(const std::string& path) {
    const std::vector<std::string_view> wanted = platform::splitKeyPath(path);
    std::unique_ptr<RegistryKey> key = platform::registry().openKey(root_, "", platform::KeyAccess::Read, false);
    for (std::string_view name : wanted) {
      if (key) key = child(*key, name);
      if (!key) {
        names_.assign(wanted.begin(), wanted.end());
        throw NoSuchKey("no such key: " + keyName() + " (in hive '" + platform::registry().location(root_) + "')");
      }
    }
    return key;
  }

  // Writes the key and everything below it, depth first, with a stack of
  // levels instead of recursion: a chain of any depth needs no more stack.
  void walk(std::unique_ptr<RegistryKey> start) {
    std::vector<Level> path;
    std::unordered_set<std::int64_t> onPath;
    const auto enter = [&](std::unique_ptr<RegistryKey> key) {
      writeKey(key.get());
      onPath.insert(key->identity());
      std::vector<std::string> subKeys = key->subKeyNames();
      path.push_back(Level{std::move(key), std::move(subKeys), 0, {}});
    };
    enter(std::move(start));
    while (!path.empty()) {
      Level& level = path.back();
      if (level.next == level.subKeys.size()) {
        onPath.erase(level.key->identity());
        path.pop_back();
        if (!path.empty()) names_.pop_back();
        continue;
      }
      std::string& name = level.subKeys[level.next++];
      // Such names would read as another key's path, or as the key itself.
      if (name.empty()) damaged("has a sub-key with an empty name", kIncomplete);
      if (name.find('\\') != std::string::npos)
        damaged("has a sub-key named '" + name + "', and a name cannot hold '\\'", kIncomplete);
      std::unique_ptr<RegistryKey> sub = level.key->openChild(name);
      if (!sub) damaged("lists a sub-key '" + name + "' that cannot be opened by that name", kIncomplete);
      // A sub-key's row names its one parent, so a key can come round again
      // only as a key on the path (a loop) or as a sub-key listed twice;
      // refusing both visits every key at most once.
      const std::int64_t id = sub->identity();
      if (onPath.contains(id)) damaged("has a sub-key '" + name + "' that is also a key above it (a loop)", kIncomplete);
      if (!level.walked.insert(id).second) damaged("lists its sub-key '" + name + "' twice", kIncomplete);
      names_.push_back(std::move(name));
      // A name the file cannot carry would read back as another key (a line
      // break makes a "[...]" line of its own): the key and everything below
      // it are left out.
      if (const auto why = keyNameFault(names_.back())) {
        leaveOut(shownName(keyName()) + " and everything below it: " + *why);
        names_.pop_back();
        continue;
      }
      enter(std::move(sub));
    }
  }

  // The key's "[...]" line, its values and a blank line; only the line for a
  // root without a key.
  void writeKey(RegistryKey* key) {
    // Built whole and written once: a stream operation for each name would
    // make a deep hive's export many times slower.
    line_.assign(1, '[').append(rootName(root_));
    for (const std::string& name : names_) (line_ += '\\') += name;
    line_ += "]\n";
    out_ << line_;
    if (key)
      for (const std::string& name : key->valueNames()) {
        const auto value = key->queryValue(name);
        if (!value) continue;
        std::optional<std::string> why = valueNameFault(name);
        if (!why) why = valueDataFault(*value);
        if (why) {
          std::string what = shownName(keyName());
          what += ", value ";
          what += name.empty() ? std::string("@") : '"' + shownName(name) + '"';
          what += ": ";
          what += *why;
          leaveOut(what);
          continue;
        }
        out_ << regValueLine(name, *value) << '\n';
      }
    out_ << '\n';
    // Stops at once when the text cannot go anywhere (a full disk).
    if (!out_) throw std::runtime_error("cannot write the exported text");
  }

 private:
  // The sub-key named `wanted` in any letter case, opened by its stored name
  // (never split as a path); null when there is none.
  std::unique_ptr<RegistryKey> child(RegistryKey& key, std::string_view wanted) {
    const std::string fold = platform::foldName(wanted);
    std::optional<std::string> match;
    for (std::string& name : key.subKeyNames()) {
      if (platform::foldName(name) != fold) continue;
      // Two names that compare equal: the hive cannot tell which one is meant.
      if (match) damaged("has more than one sub-key named '" + std::string(wanted) + "'", "");
      match = std::move(name);
    }
    if (!match) return nullptr;
    std::unique_ptr<RegistryKey> found = key.openChild(*match);
    if (found) names_.push_back(std::move(*match));
    return found;
  }

 public:
  // Why the file cannot carry the start key's path, if it cannot.
  std::optional<std::string> startFault() const {
    for (const std::string& name : names_)
      if (auto why = keyNameFault(name)) return why;
    return std::nullopt;
  }

  void leaveOut(std::string what) { leftOut_.push_back(std::move(what)); }
  std::vector<std::string> takeLeftOut() { return std::move(leftOut_); }

  std::string keyName() const {
    std::string name = rootName(root_);
    for (const std::string& n : names_) (name += '\\') += n;
    return name;
  }

 private:
  [[noreturn]] void damaged(const std::string& what, const char* tail) const {
    throw DamagedHive("hive '" + platform::registry().location(root_) + "' is damaged: the key '" + keyName() + "' " +
                      what + tail);
  }

  std::ostream& out_;
  RegistryRoot root_;
  std::vector<std::string> names_;  // below the root, in their stored spelling
  std::string line_;                 // the last "[...]" line, kept for its capacity
  std::vector<std::string> leftOut_;  // what the file cannot carry, in the walk's order
};

}  // namespace

const char* rootName(platform::RegistryRoot root) {
  return root == platform::RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string regValueName(const std::string& name) { return name.empty() ? std::string("@") : quote(name); }

std::string regValueLine(const std::string& name, const RegistryValue& value) {
  const std::string head = regValueName(name) + "=";
  switch (value.type) {
    case platform::REG_DWORD:
      if (value.data.size() == 4) {
        char buf[20];
        std::snprintf(buf, sizeof buf, "dword:%02x%02x%02x%02x", value.data[3], value.data[2], value.data[1],
                      value.data[0]);
        return head + buf;
      }
      break;
    case platform::REG_SZ:
      if (value.data.empty()) return head + "\"\"";  // no bytes at all reads as "", as reg.exe writes it
      if (plainString(value.data))
        return head + quote(std::string(value.data.begin(), value.data.end() - 1));
      return hexList(head, "hex(1):", utf16le(value.data));
    case platform::REG_EXPAND_SZ:
      return hexList(head, "hex(2):", utf16le(value.data));
    case 7:  // REG_MULTI_SZ: text, as the two above
      return hexList(head, "hex(7):", utf16le(value.data));
    case platform::REG_BINARY:
      return hexList(head, "hex:", value.data);
  }
  return hexList(head, typeTag(value.type).c_str(), value.data);
}

std::vector<std::string> exportRegText(std::ostream& out, RegistryRoot root, const std::string& path) {
  Export run(out, root);
  std::unique_ptr<RegistryKey> key = run.lookUp(path);
  out << "Windows Registry Editor Version 5.00\n\n";
  if (!key) {
    run.writeKey(nullptr);  // a root that holds nothing yet
    return {};
  }
  if (const auto why = run.startFault()) {
    run.leaveOut(shownName(run.keyName()) + " and everything below it: " + *why);
    return run.takeLeftOut();
  }
  try {
    run.walk(std::move(key));
  } catch (const platform::RegistryError& e) {
    throw platform::RegistryError(e.what() + std::string(kIncomplete));
  }
  return run.takeLeftOut();
}

}  // namespace quillbray
