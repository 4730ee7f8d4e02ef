// What the tests of saving the catalogue share: the hives read back by the
// registry's own walk, a recording registry that can fail on demand, the
// order of a save, and the fixture.
#pragma once

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <variant>

#include "CatalogueFill.h"
#include "StoreFixture.h"
#include "settings/ConfigManager.h"

namespace qbtest::save {

using namespace quillbray;
using namespace qbtest;
using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryValue;

using namespace qbtest::catalogue;

// ---------------------------------------------------------------------------
// The hives as they stand.

struct StoredKey {
  std::vector<std::string> names;  // in creation order
  std::map<std::string, RegistryValue> values;
};

// Every key of a hive by its path ("A\B"), read with the registry's own walk.
inline std::map<std::string, StoredKey> dump(RegistryRoot root) {
  std::map<std::string, StoredKey> keys;
  std::function<void(RegistryKey&, const std::string&)> walk = [&](RegistryKey& key, const std::string& path) {
    StoredKey& k = keys[path];
    k.names = key.valueNames();
    for (const auto& name : k.names) k.values[name] = *key.queryValue(name);
    for (const auto& sub : key.subKeyNames()) {
      auto child = key.openChild(sub);
      if (!child) throw std::runtime_error("cannot open the listed sub-key " + sub);
      walk(*child, path.empty() ? sub : path + "\\" + sub);
    }
  };
  auto top = platform::registry().openKey(root, "", KeyAccess::Read, false);
  if (!top) return keys;  // a hive that was never written
  walk(*top, "");
  keys.erase("");
  return keys;
}

// The keys below the product key that hold values, by their path below it.
inline std::map<std::string, StoredKey> productValues(RegistryRoot root) {
  std::map<std::string, StoredKey> out;
  for (auto& [path, key] : dump(root)) {
    if (key.names.empty()) continue;
    if (path == kProduct) out[""] = key;
    else if (path.rfind(kProduct + "\\", 0) == 0) out[path.substr(kProduct.size() + 1)] = key;
    else out["<outside> " + path] = key;
  }
  return out;
}

inline void expectStored(const std::vector<Row>& rows, RegistryRoot root = HKCU) {
  std::map<std::string, std::vector<const Row*>> byKey;
  for (const Row& row : rows) byKey[row.key].push_back(&row);
  const auto keys = productValues(root);
  std::set<std::string> expectedKeys, storedKeys;
  for (const auto& [key, _] : byKey) expectedKeys.insert(key);
  for (const auto& [key, _] : keys) storedKeys.insert(key);
  EXPECT_EQ(storedKeys, expectedKeys);
  for (const auto& [key, wanted] : byKey) {
    SCOPED_TRACE("key: " + key);
    if (!keys.contains(key)) continue;
    const StoredKey& got = keys.at(key);
    std::vector<std::string> names;
    for (const Row* row : wanted) names.push_back(row->name);
    EXPECT_EQ(got.names, asListed(names));
    for (const Row* row : wanted)
      if (got.values.contains(row->name)) {
        EXPECT_EQ(got.values.at(row->name), expected(*row)) << row->name;
      }
  }
}

// ---------------------------------------------------------------------------
// A registry in front of the real one that records every opening and can fail
// on demand.

// Thrown by a fault: not a std::exception, so no guard of the store takes it.
struct Unexpected {};

struct Fault {
  std::string failOpenOf;      // opening this key path for writing fails
  std::string failSetOf;       // setValue of this value name fails
  bool nonStandard = false;    // ... with Unexpected instead of a RegistryError
  bool failClose = false;      // close() of a writable key fails
  int lastError = 0;           // errno as the failing system call leaves it
};

class FaultyKey : public RegistryKey {
 public:
  FaultyKey(std::unique_ptr<RegistryKey> inner, const Fault& fault) : inner_(std::move(inner)), fault_(fault) {}
  ~FaultyKey() override {
    inner_.reset();
    pin();
  }
  std::optional<RegistryValue> queryValue(std::string_view n) override { return inner_->queryValue(n); }
  void setValue(std::string_view name, const RegistryValue& v) override {
    if (name == fault_.failSetOf) fail("cannot write");
    inner_->setValue(name, v);
  }
  bool deleteValue(std::string_view n) override { return inner_->deleteValue(n); }
  std::vector<std::string> valueNames() override { return inner_->valueNames(); }
  std::vector<std::string> subKeyNames() override { return inner_->subKeyNames(); }
  std::unique_ptr<RegistryKey> openChild(std::string_view n) override { return inner_->openChild(n); }
  std::int64_t identity() const override { return inner_->identity(); }
  std::unique_ptr<RegistryKey> openSubKey(std::string_view p, bool c) override { return inner_->openSubKey(p, c); }
  std::unique_ptr<RegistryKey> openFromRoot(std::string_view p, bool c) override { return inner_->openFromRoot(p, c); }
  bool deleteSubKeyTree(std::string_view p) override { return inner_->deleteSubKeyTree(p); }
  void close() override {
    if (fault_.failClose) fail("cannot commit");
    inner_->close();
    pin();
  }
  void discard() override { inner_->discard(); }
  void flush() override { inner_->flush(); }

 private:
  // The system's last error stays what the failed call left, whatever the
  // real hive does afterwards.
  void pin() {
    if (fault_.lastError) errno = fault_.lastError;
  }
  [[noreturn]] void fail(const char* what) {
    errno = fault_.lastError;
    if (fault_.nonStandard) throw Unexpected{};
    throw platform::RegistryError(what);
  }
  std::unique_ptr<RegistryKey> inner_;
  const Fault fault_;  // a copy: the key may outlive the registry that made it
};

class RecordingRegistry : public platform::Registry {
 public:
  RecordingRegistry() : inner_(platform::platformRegistry()), scope_(*this) {}

  std::unique_ptr<RegistryKey> openKey(RegistryRoot root, std::string_view path, KeyAccess access,
                                       bool create) override {
    if (root == HKCU && access == KeyAccess::ReadWrite) {
      userWrites.emplace_back(path);
      if (onUserWrite) onUserWrite(userWrites.back());
    }
    if (faulty && access == KeyAccess::ReadWrite && path == fault.failOpenOf)
      throw platform::RegistryError("cannot open");
    auto key = inner_.openKey(root, path, access, create);
    if (key && faulty && access == KeyAccess::ReadWrite) return std::make_unique<FaultyKey>(std::move(key), fault);
    return key;
  }
  std::string location(RegistryRoot root) override { return inner_.location(root); }
  bool mayWrite(RegistryRoot root) override { return inner_.mayWrite(root); }
  void beginBatch() override {
    ++begun;
    inner_.beginBatch();
  }
  void commitBatch() override {
    ++commits;
    inner_.commitBatch();
  }
  void endBatch() override {
    ++ended;
    inner_.endBatch();
  }

  std::vector<std::string> userWrites;  // the keys opened for writing in HKCU, in order
  std::function<void(const std::string&)> onUserWrite;
  int begun = 0, commits = 0, ended = 0;
  bool faulty = false;
  Fault fault;

 private:
  platform::Registry& inner_;
  platform::ScopedRegistry scope_;
};

// ---------------------------------------------------------------------------
// The order of a save: each operation with the keys it opens for writing and
// the key its values land in (below the product key).

struct Step {
  TConfigGroup group;
  std::vector<std::string> opens;
  std::string valuesIn;
};

inline std::vector<Step> saveOrder() {
  return {
      {cgAppearance, {under("Appearance")}, "Appearance"},  // saveAppearance
      {cgAppearance, {under("Appearance")}, "Appearance"},  // saveThemes
      {cgActivation, {under("Activation")}, "Activation"},
      {cgAdvOptions, {under("AdvOptions")}, "AdvOptions"},
      {cgBackup, {under("Backup")}, "Backup"},
      {cgCustCommands, {under("Cust Commands")}, "Cust Commands"},
      {cgDelays, {under("Delays")}, "Delays"},
      {cgDialogs, {under("Dialogs")}, "Dialogs"},
      {cgFilePaths, {under("File Paths")}, "File Paths"},
      {cgFiles, {kProduct, under("Files")}, "Files"},  // the old list goes first
      {cgFonts, {under("Fonts")}, "Fonts"},
      {cgGeneral, {under("General")}, "General"},
      {cgMiscellaneous, {under("Miscellaneous")}, "Miscellaneous"},
      {cgLogs, {under("Logs")}, "Logs"},
      {cgMRU, {kProduct, under("MRU")}, "MRU"},
      {cgNetwork, {under("Network")}, "Network"},
      {cgPrinter, {under("Printer")}, "Printer"},
      {cgStartup, {under("Startup")}, "Startup"},
      {cgUpdates, {under("Updates")}, "Updates"},
      {cgWindows, {under(windowsKey())}, windowsKey()},
      {cgProductKey, {kProduct + "\\"}, ""},  // the trailing backslash stays
      {cgTemp, {under("$Temp\\\\Search History")}, "$Temp\\Search History"},
  };
}

class SaveTest : public ::testing::Test {
 protected:
  void TearDown() override { SetMachineWidePrefsReader(nullptr); }
  std::vector<std::string> userWrites(const std::function<void()>& save) {
    RecordingRegistry recording;
    save();
    return recording.userWrites;
  }
  ScopedHives hives;
  LookingRecorder boxes;
  TConfigManager c;
};

}  // namespace qbtest::save
