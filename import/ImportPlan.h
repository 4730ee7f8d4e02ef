// A dry run of the import: where each value would land and how it compares
// with what is stored there now, found without writing anything (no key,
// hive, folder or settings file is created, no write probe is made).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "import/ConfigDocument.h"
#include "platform/IniFile.h"
#include "platform/Registry.h"
#include "prefs/PrefLocation.h"

namespace quillbray {

class ImportPlan {
 public:
  // One line a value goes to out:
  //   new      HKCU\Software\Corvellan\Quillbray 4\Logs  "Log Format" = REG_SZ "yyyy-mm-dd"
  //   changed  HKCU\Software\Corvellan\Quillbray 4\Logs  "Backup Count" = REG_DWORD 0x3 (3) -> 0x5 (5)
  //   same     /home/me/.config/Corvellan/Quillbray 4/Quillbray.ini [Logs]  "Backup Count" = "5"
  explicit ImportPlan(std::ostream& out);
  ~ImportPlan();
  ImportPlan(const ImportPlan&) = delete;
  ImportPlan& operator=(const ImportPlan&) = delete;

  // The opening the import would make: the key ProductKey\groupKey in the
  // scope, at the current PrefLocation. Answers whether it lands machine-wide.
  bool Open(TDataScope scope, const std::string& groupKey);
  // A value the import would write into the open key, in its stored form.
  void Value(ValueType type, const platform::NamedValue& value);

  // Told of each key the dry run opens in the registry (whether it exists)
  // and of each value it would write there, with what that key holds of it
  // now: the import's undo file (app/UndoFile.h).
  struct UndoSink {
    virtual ~UndoSink() = default;
    virtual void Opened(platform::RegistryRoot root, const std::string& key, bool exists) = 0;
    virtual void Value(const std::string& name, const std::optional<platform::RegistryValue>& old) = 0;
  };
  UndoSink* undo = nullptr;

  std::size_t added = 0;
  std::size_t changed = 0;
  std::size_t same = 0;
  // What the caller should tell (a hive that could not be read), each once.
  std::vector<std::string> warnings;
  void Warn(const std::string& warning);

 private:
  struct Place;
  std::ostream& out_;
  std::unique_ptr<Place> place_;
};

}  // namespace quillbray
