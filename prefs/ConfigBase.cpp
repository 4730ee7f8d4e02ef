// The store object, its openings and closings.
#include "prefs/ConfigBase.h"

#include "platform/MessageBox.h"
#include "prefs/Product.h"

namespace quillbray {
namespace {

MachineWidePrefsReader machineWideReader = nullptr;

using platform::RegistryRoot;

}  // namespace

void SetMachineWidePrefsReader(MachineWidePrefsReader reader) { machineWideReader = reader; }

bool RegistryOpeningIsMachineWide(TPrefLocation location, TDataScope scope) {
  const bool flag = CatalogueMachineWidePrefs();
  if (location == plRegistry) return flag || scope == cfgPerMachine;
  return location == plRegistryFlat && flag && scope == cfgPerMachine;
}
bool CatalogueMachineWidePrefs() { return machineWideReader && machineWideReader(); }

TConfigBase::TConfigBase() = default;
TConfigBase::~TConfigBase() = default;

std::string TConfigBase::GetPrefLocationName() const { return PrefLocationName(PrefLocation); }

std::string TConfigBase::ReleasePrefLocks() {
  std::string failures;
  for (RegistryAccessor* accessor : {MachineRegistry.get(), UserRegistry.get()}) {
    if (!accessor) continue;
    try {
      accessor->Flush();
    } catch (const std::exception& e) {
      failures += std::string("\r\n") + e.what();
    }
  }
  try {
    platform::registry().commitBatch();
  } catch (const std::exception& e) {
    failures += std::string("\r\n") + e.what();
  }
  if (IniFile) {
    try {
      IniFile->flush();
    } catch (const std::exception& e) {
      failures += std::string("\r\n") + e.what();
    }
  }
  return failures + flushBatchedIniFiles();
}

RegistryAccessor& TConfigBase::ensureAccessor(std::unique_ptr<RegistryAccessor>& slot, RegistryRoot root) {
  if (!slot) slot = std::make_unique<RegistryAccessor>();
  slot->SetRootKey(root);
  return *slot;
}

bool TConfigBase::OpenPref(TDataScope cfgDataScope, const std::string& Key, bool CanCreate, bool ReadOnly) {
  // Releases the previous opening; an error of its close routine is the caller's.
  if (PrefSlots.ClosePref) PrefSlots.ClosePref();

  bool result = false;
  bool failed = false;
  std::string message;
  try {
    switch (PrefLocation) {
      case plRegistry: result = OpenPref_Registry(cfgDataScope, Key, CanCreate, ReadOnly); break;
      case plRegistryFlat: result = OpenPref_RegistryFlat(cfgDataScope, Key, CanCreate); break;
      case plFile: result = OpenPref_File(cfgDataScope); break;
      case plOnUSB: result = OpenPref_USB(); break;
    }
  } catch (const std::exception& e) {
    failed = true;
    message = e.what();
    result = false;
  }

  if (failed || (!result && CanCreate)) {
    message += ReleasePrefLocks();
    ++ErrorBoxesShown;
    platform::showMessageBox("OpenPref Error: Unable to open Preferences.\r\n\r\nPrefLocation: " +
                                 GetPrefLocationName() + "\r\n" + "cfgDataScope: " + DataScopeName(cfgDataScope) +
                                 "\r\n" + "Key: " + Key + "\r\n" + "\r\n" + message,
                             ProgramCaption("OpenPref Error"), platform::BoxOwner::ApplicationWindow,
                             platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
  }
  return result;
}

void TConfigBase::ClosePref() {
  try {
    if (!PrefSlots.ClosePref) throw PrefError("Error: ClosePref");
    PrefSlots.ClosePref();
    PrefSlots = {};
  } catch (const std::exception& e) {
    std::string text = std::string("ClosePref: ") + e.what();
    if (!ClosePrefContext.empty()) text += "\r\n" + ClosePrefContext;
    text += ReleasePrefLocks();
    ++ErrorBoxesShown;
    platform::showMessageBox(text, ProgramCaption("Error: ClosePref"), platform::BoxOwner::None,
                             platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
  }
}

bool TConfigBase::OpenPref_Registry(TDataScope scope, const std::string& Key, bool CanCreate, bool ReadOnly) {
  MachineWide = CatalogueMachineWidePrefs();
  const bool machineScope = RegistryOpeningIsMachineWide(plRegistry, scope);
  // The probe runs only for a writable machine-wide opening.
  const bool direct = ReadOnly ? machineScope : machineScope && CanWriteRegistryKey(Key, RegistryRoot::LocalMachine);

  if (direct) {
    RegistryAccessor& machine = ensureAccessor(MachineRegistry, RegistryRoot::LocalMachine);
    PrefSlots = DirectRegistrySet(*this);
    return ReadOnly ? machine.OpenKeyReadOnly(Key) : machine.OpenKey(Key, CanCreate);
  }

  RegistryAccessor& machine = ensureAccessor(MachineRegistry, RegistryRoot::LocalMachine);
  RegistryAccessor& user = ensureAccessor(UserRegistry, RegistryRoot::CurrentUser);
  PrefSlots = LayeredRegistrySet(*this);
  // A path no key can have is the opening's error, not a machine hive that
  // cannot be read.
  platform::splitKeyPath(Key);
  try {
    // A missing machine key only means there are no machine values.
    machine.OpenKeyReadOnly(Key);
  } catch (const std::exception& e) {
    // Nor does a machine hive that cannot be read; the user hears of it once.
    if (!machineHiveWarned_) {
      machineHiveWarned_ = true;
      const std::string unsaved = ReleasePrefLocks();
      platform::showMessageBox(
          "The machine-wide preferences could not be read; only your own preferences are used.\r\n\r\n" +
              std::string(e.what()) + unsaved,
          ProgramCaption("OpenPref Warning"), platform::BoxOwner::ApplicationWindow,
          platform::MB_ICONWARNING | platform::MB_SETFOREGROUND);
    }
  }
  return ReadOnly ? user.OpenKeyReadOnly(Key) : user.OpenKey(Key, CanCreate);
}

bool TConfigBase::OpenPref_RegistryFlat(TDataScope scope, const std::string& Key, bool CanCreate) {
  // The probe tests the product key, not the requested one.
  MachineWide = CatalogueMachineWidePrefs() && CanWriteRegistryKey(ProductKey, RegistryRoot::LocalMachine);
  PrefSlots = FlatRegistrySet(*this);
  RegistryAccessor& only = ensureAccessor(
      MachineRegistry,
      MachineWide && scope == cfgPerMachine ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser);
  return only.OpenKey(Key, CanCreate);
}

void TConfigBase::ClosePref_Registry() {
  // The machine's read lock goes first: when both roots are one file, the
  // user's commit would otherwise wait for it. Both are released even when the
  // first close fails; the second then commits as it is destroyed.
  auto machine = std::move(MachineRegistry);
  auto user = std::move(UserRegistry);
  if (machine) machine->CloseKey();
  if (user) user->CloseKey();
}

void TConfigBase::ClosePref_RegistryFlat() {
  auto only = std::move(MachineRegistry);
  if (only) only->CloseKey();
}

TPrefBatch::TPrefBatch(TConfigBase& store) : store_(store) {
  platform::registry().beginBatch();
  ++store_.fileBatchDepth_;
}

TPrefBatch::~TPrefBatch() {
  std::string failures;
  try {
    platform::registry().endBatch();
  } catch (const std::exception& e) {
    failures = e.what();
  }
  if (--store_.fileBatchDepth_ == 0) {
    const std::string files = store_.flushBatchedIniFiles();
    failures += failures.empty() && !files.empty() ? files.substr(2) : files;
    store_.batchedIniFiles_.clear();
  }
  if (failures.empty()) return;
  ++store_.ErrorBoxesShown;
  platform::showMessageBox(std::string("ClosePref: ") + failures, ProgramCaption("Error: ClosePref"),
                           platform::BoxOwner::None, platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
}

}  // namespace quillbray
