#include "app/UndoFile.h"

#include <stdexcept>

#include "platform/Files.h"
#include "platform/ReplaceFile.h"
#include "platform/Text.h"
#include "tools/RegExport.h"
#include "tools/RegFaithful.h"
#include "tools/RegFileText.h"

namespace quillbray {
namespace {

using platform::RegistryRoot;

// Names are the registry's: one without regard to letter case.
bool sameName(const std::string& a, const std::string& b) { return platform::upperCase(a) == platform::upperCase(b); }

bool below(const std::string& path, const std::string& ancestor) {
  return sameName(path, ancestor) ||
         (path.size() > ancestor.size() && path[ancestor.size()] == '\\' &&
          sameName(path.substr(0, ancestor.size()), ancestor));
}

std::string keyLine(RegistryRoot root, const std::string& path, bool remove) {
  return std::string(remove ? "[-" : "[") + rootName(root) + "\\" + path + "]\n";
}

void check(const std::optional<std::string>& fault, const std::string& what) {
  if (fault) throw std::runtime_error(what + ": " + *fault);
}

}  // namespace

void UndoRecord::Opened(RegistryRoot root, const std::string& key, bool exists) {
  current_ = nullptr;
  for (const auto& [r, path] : created_)
    if (r == root && below(key, path)) return;  // created earlier in this import
  if (!exists) {
    // The topmost key of the path that does not exist yet: deleting it
    // removes all the import puts below it.
    std::string prefix;
    for (std::string_view part : platform::splitKeyPath(key)) {
      if (!prefix.empty()) prefix += '\\';
      prefix.append(part);
      if (!platform::registry().openKey(root, prefix, platform::KeyAccess::Read, false)) break;
    }
    created_.emplace_back(root, prefix);
    return;
  }
  for (Key& k : keys_)
    if (k.root == root && sameName(k.path, key)) {
      current_ = &k;
      return;
    }
  keys_.push_back({root, key, {}});
  current_ = &keys_.back();
}

void UndoRecord::Value(const std::string& name, const std::optional<platform::RegistryValue>& old) {
  if (!current_) return;
  for (const auto& [n, _] : current_->values)
    if (sameName(n, name)) return;
  current_->values.emplace_back(name, old);
}

std::string UndoRecord::Text() const {
  std::string text = "Windows Registry Editor Version 5.00\n\n";
  for (const Key& k : keys_) {
    const std::string where = std::string(rootName(k.root)) + "\\" + k.path;
    for (std::string_view part : platform::splitKeyPath(k.path))
      check(keyNameFault(part), "the key " + shownName(where));
    text += keyLine(k.root, k.path, false);
    for (const auto& [name, old] : k.values) {
      check(valueNameFault(name), "the value " + shownName(name) + " of " + shownName(where));
      if (old) check(valueDataFault(*old), "the value " + shownName(name) + " of " + shownName(where));
      text += (old ? regValueLine(name, *old) : regValueName(name) + "=-") + "\n";
    }
    text += "\n";
  }
  for (const auto& [root, path] : created_) text += keyLine(root, path, true) + "\n";
  return text;
}

void WriteUndoFile(const std::string& fileName, const UndoRecord& record) {
  try {
    platform::replaceFile(fileName, regFileBytes(record.Text()));
  } catch (const platform::FileError& e) {  // names the file
    throw std::runtime_error(std::string("cannot write the undo file: ") + e.what() + "; nothing was imported");
  } catch (const std::runtime_error& e) {  // a name or data the file cannot carry
    throw std::runtime_error("cannot write the undo file " + fileName + ": " + e.what() + "; nothing was imported");
  }
}

}  // namespace quillbray
