// The store, opened on a settings file for quillbray-reg: the store's own
// routines, with each message box the store would show turned into an error
// of the tool.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "prefs/ConfigBase.h"
#include "tools/RegLocation.h"
#include "tools/StoreKey.h"

namespace quillbray {

// Takes the boxes of the store while it lives: a box's caption and text
// become the message of a std::runtime_error thrown by check().
class BoxesAsErrors : public platform::MessageBoxes {
 public:
  BoxesAsErrors();
  platform::BoxAnswer show(const platform::MessageBoxRequest& box) override;
  // Throws the first box shown since the last check, the others after it.
  void check();

 private:
  std::vector<std::string> shown_;
  platform::ScopedMessageBoxes scope_;
};

// One opening at a time, as the store allows. The location stays set for the
// process (the tool runs one verb).
class SettingsStore {
 public:
  // location is plFile or plOnUSB.
  explicit SettingsStore(TPrefLocation location);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // Opens the file of the key's scope (creating its folder, as the store
  // does). Throws when the store cannot open it.
  void open(const StoreKey& key);
  // Closes the opening, writing what it changed (within a batch, when the
  // batch ends). Throws when the write failed.
  void close();

  // The file of the current opening, for messages.
  std::string fileName() const;
  // The file's sections, in file order.
  std::vector<std::string> sectionNames();
  // The names GetPrefValueNames gives of a section; *beyond counts the
  // names past the buffer the store reads them into.
  std::vector<std::string> valueNames(const std::string& section, std::size_t* beyond = nullptr);
  // GetPrefString's text; *cut is set when the store read less than the file holds.
  std::string text(const std::string& group, const std::string& name, bool* cut = nullptr);

  void setString(const std::string& group, const std::string& name, const std::string& value);
  void setInteger(const std::string& group, const std::string& name, std::int32_t value);
  void setBinary(const std::string& group, const std::string& name, std::span<const std::uint8_t> data);
  // Throws when the open file could not be written at all (its folder, the
  // file's owner or mode, a file that is not text), writing nothing.
  void checkCanWrite();
  void deleteValue(const std::string& group, const std::string& name);
  void deleteSection(const std::string& section);

  // Runs fn inside one TPrefBatch: each file is written once, when fn has
  // run. Throws when a write failed.
  void inBatch(const std::function<void()>& fn);

 private:
  BoxesAsErrors boxes_;
  TConfigBase store_;
  bool open_ = false;
};

}  // namespace quillbray
