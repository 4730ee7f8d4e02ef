// The import's undo file (--undo-file): a .reg file that puts back what an
// import is about to change, written whole before the first change.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "import/ImportPlan.h"

namespace quillbray {

// Gathers, from a dry run of the import, what each change replaces: the old
// type and data of each value it overwrites, "Name"=- for each value it
// creates in a key that exists, and [-KEY] for the topmost key of each branch
// it creates. A value is recorded once, at its first write (a later write of
// the same name replaces the import's own value).
class UndoRecord : public ImportPlan::UndoSink {
 public:
  void Opened(platform::RegistryRoot root, const std::string& key, bool exists) override;
  void Value(const std::string& name, const std::optional<platform::RegistryValue>& old) override;

  // The .reg text (UTF-8, "\n" line ends): the values of the keys that exist,
  // in the order the import reaches them, then the keys it creates. Throws
  // std::runtime_error for a name or data a .reg file cannot carry.
  std::string Text() const;

 private:
  struct Key {
    platform::RegistryRoot root;
    std::string path;
    std::vector<std::pair<std::string, std::optional<platform::RegistryValue>>> values;
  };
  std::vector<Key> keys_;
  std::vector<std::pair<platform::RegistryRoot, std::string>> created_;
  Key* current_ = nullptr;  // the key values go to; null inside a key the import creates
};

// Writes the undo file whole (a new file fsynced and renamed over `fileName`).
// Throws std::runtime_error naming the file and the reason.
void WriteUndoFile(const std::string& fileName, const UndoRecord& record);

}  // namespace quillbray
