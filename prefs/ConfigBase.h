// The preference store: the one gateway through which preferences are opened,
// read, written, deleted and closed.
//
// Every use follows one pattern: OpenPref opens one key in one data scope and
// fills PrefSlots with the operations of that opening; the typed operations act
// on that key; ClosePref ends the opening and empties the slots. At most one
// key is open at a time. The guarded operations (SetPrefInteger ...) report a
// failure in a message box of their own and return normally, so one bad value
// never ends the caller's work.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "prefs/PrefLocation.h"
#include "prefs/RegistryAccessor.h"

namespace quillbray {

// The operations of the current opening; all empty while closed.
struct TPrefSlots {
  using Name = const std::string&;
  std::function<void()> ClosePref;
  std::function<std::int32_t(Name group, Name name, std::int32_t def)> GetPrefInteger;
  std::function<void(Name group, Name name, std::int32_t value)> SetPrefInteger;
  std::function<std::string(Name group, Name name, Name def)> GetPrefString;
  std::function<void(Name group, Name name, Name value)> SetPrefString;
  std::function<bool(Name group, Name name, bool def)> GetPrefBoolean;
  std::function<void(Name group, Name name, bool value)> SetPrefBooleanProc;
  // The stored byte count, or -1 when the value does not exist.
  std::function<std::int32_t(Name group, Name name, std::span<std::uint8_t> buffer)> GetPrefBinary;
  std::function<void(Name group, Name name, std::span<const std::uint8_t> data)> SetPrefBinaryProc;
  std::function<void(Name group, Name subKey, std::vector<std::string>& list)> GetPrefValueNames;
  std::function<bool(Name group, Name name)> DeletePrefValue;
  std::function<bool(Name subKey)> DeletePrefKey;
  // Writes all the values in one call: false, having written nothing, where
  // the opening cannot take them at once; throws when the write fails. Empty
  // for the settings file.
  std::function<bool(Name group, std::span<const platform::NamedValue> values)> SetPrefValues;
};

// Reads the settings catalogue's MachineWidePrefs flag. The store asks at
// every opening; until a catalogue installs its reader the answer is false.
using MachineWidePrefsReader = bool (*)();
void SetMachineWidePrefsReader(MachineWidePrefsReader reader);
bool CatalogueMachineWidePrefs();

// The registry write probe: can this process write Key below Root? Creates a
// missing key; leaves no value behind; never shows a message, never throws.
bool CanWriteRegistryKey(const std::string& Key, platform::RegistryRoot Root);

// Replaces every "[AppExeFolder]" (this letter case only) by the folder of the
// program's file and expands the result to a full path:
//   "[AppExeFolder]../ProgramData/"  with /opt/q/prog  =>  "/opt/ProgramData/"
//   "[AppExeFolder]..\ProgramData\"  with C:\Q\prog.exe  =>  "C:\ProgramData\"
//   "notes.txt"                      in /home/me       =>  "/home/me/notes.txt"
std::string ExpandAppExeFolder(const std::string& Text);

// The settings-file section of a group: the group, or "Quillbray" for an
// empty one.
std::string PrefSectionName(const std::string& group);

// The shell folder with this CSIDL number, ending with the separator; empty when the
// shell knows none (the opening then fails rather than use the root folder).
std::string GetShellFolderPath(int csidl);

// The settings file's name and the folder below the application-data folders.
inline constexpr const char* SettingsFileName = "Quillbray.ini";
// The sub-folder is written the Windows way (platform::nativePath gives this
// system's form).
inline constexpr const char* SettingsSubFolder = "Corvellan\\Quillbray 4\\";

// The folder of the settings file that an opening in the scope uses in a
// settings-file location (plFile, plOnUSB), ending with the separator; empty when none
// can be named. Nothing is created.
std::string SettingsFolder(TPrefLocation location, TDataScope scope, bool machineWide);

// The names GetPrefValueNames and DeletePrefKey see of a settings-file
// section: as many whole names as fit, each with a zero byte, in the 16384
// bytes the profile routines fill (the last byte closes the list).
inline constexpr std::size_t kSectionNamesBufferBytes = 16384;
std::vector<std::string> NamesWithinBuffer(const std::vector<std::string>& names);
// The most a settings-file string reads back as: the profile routines
// deliver it into a buffer of 2048 characters.
inline constexpr std::size_t kMaxStringReadBytes = 2047;

// Whether an opening of the scope in a registry location (plRegistry,
// plRegistryFlat) is meant for the machine's store: the machine-wide scope,
// or any scope under the catalogue's MachineWidePrefs (in the flat form,
// only the machine-wide scope under it). Where the machine's store cannot
// be written, such an opening lands in the user's.
bool RegistryOpeningIsMachineWide(TPrefLocation location, TDataScope scope);

class TConfigBase {
 public:
  TConfigBase();
  virtual ~TConfigBase();  // does not close an open key: callers close first
  TConfigBase(const TConfigBase&) = delete;
  TConfigBase& operator=(const TConfigBase&) = delete;

  // Opens Key in the scope at the current PrefLocation. CanCreate creates a
  // missing key and makes a failure show the OpenPref box; ReadOnly opens a
  // registry key for reading only.
  bool OpenPref(TDataScope cfgDataScope, const std::string& Key, bool CanCreate, bool ReadOnly);
  void ClosePref();

  std::string GetPrefLocationName() const;

  // Saves what the current opening wrote so far and lets go of its hive locks,
  // so that other processes are not kept waiting while a box waits for the
  // user; the opening goes on. Answers "\r\n" and the reason for each accessor
  // whose values could not be saved (to be shown in that box), else "".
  std::string ReleasePrefLocks();

  // Guarded writes and deletes.
  void SetPrefInteger(const std::string& group, const std::string& name, std::int32_t value);
  void SetPrefString(const std::string& group, const std::string& name, const std::string& value);
  void SetPrefBooleanProc(const std::string& group, const std::string& name, bool value);
  void SetPrefBinaryProc(const std::string& group, const std::string& name, std::span<const std::uint8_t> data);
  bool DeletePrefValue(const std::string& group, const std::string& name);
  bool DeletePrefKey(const std::string& subKey);

  // Writes all the values (stored forms from prefs/StoredForms.h) into the
  // open key in one call, all or nothing, and answers true. Answers false,
  // having written nothing and shown no box, when the opening cannot take
  // them at once (no opening, the settings file, a layered opening whose
  // machine key exists: each value must then be compared with the machine's)
  // or when the write failed: the caller then writes the same values one by
  // one with SetPrefInteger ..., which show their boxes as ever. One failure
  // is not left to the caller: a write that lost the changes not yet saved
  // (platform::RegistryLostError; only where the registry keeps no copy of
  // them) shows the SetPrefValues box and answers true, since writing the
  // values again would hide that loss.
  bool SetPrefValues(const std::string& group, std::span<const platform::NamedValue> values);

  // Path values: the path, trimmed, with the machine's special folders
  // replaced by path tokens ("[My Documents]\..."), or on a USB stick with the
  // program's drive root replaced by "[ExeDrive]\", stored with SetPrefString.
  void SetPrefPath(const std::string& group, const std::string& name, const std::string& path);
  // The path with every occurrence of the program's drive root replaced by
  // "[ExeDrive]\".
  std::string CollapseExeDrive(const std::string& path);

  // Guarded reads: a failure shows a box in the manner of the writes and
  // answers the default (GetPrefBinary: -1, buffer untouched).
  std::int32_t GetPrefInteger(const std::string& group, const std::string& name, std::int32_t def);
  std::string GetPrefString(const std::string& group, const std::string& name, const std::string& def);
  bool GetPrefBoolean(const std::string& group, const std::string& name, bool def);
  std::int32_t GetPrefBinary(const std::string& group, const std::string& name, std::span<std::uint8_t> buffer);
  void GetPrefValueNames(const std::string& group, const std::string& subKey, std::vector<std::string>& list);

  // The opening routines and their close routines.
  bool OpenPref_Registry(TDataScope scope, const std::string& Key, bool CanCreate, bool ReadOnly);
  bool OpenPref_RegistryFlat(TDataScope scope, const std::string& Key, bool CanCreate);
  bool OpenPref_File(TDataScope scope);
  bool OpenPref_USB();
  void ClosePref_Registry();
  void ClosePref_RegistryFlat();
  void ClosePref_File();
  // The file set's GetPrefBinary: the entry's hexadecimal pairs as bytes;
  // 0 for a missing or empty entry; "Buffer overflow: GetPrefBinary_File"
  // when they do not fit the buffer.
  std::int32_t GetPrefBinary_File(const std::string& group, const std::string& name, std::span<std::uint8_t> buffer);

  // Fields.
  std::unique_ptr<RegistryAccessor> MachineRegistry;  // the only accessor, or HKLM when layered
  std::unique_ptr<RegistryAccessor> UserRegistry;     // HKCU, layered form only
  std::unique_ptr<platform::IniFile> IniFile;         // the open settings file
  std::string IniFolder;
  std::string IniFileName;
  bool MachineWide = false;
  TPrefSlots PrefSlots;
  std::string ClosePrefContext;    // appended to ClosePref's error text when set
  bool ForceUserStrings = false;   // layered SetPrefString always writes the user value

  // How many error boxes the store has shown since it was created (OpenPref,
  // ClosePref and the guarded operations): a caller tells from it whether an
  // operation failed.
  std::size_t ErrorBoxesShown = 0;

 private:
  RegistryAccessor& ensureAccessor(std::unique_ptr<RegistryAccessor>& slot, platform::RegistryRoot root);

  friend class TPrefBatch;
  bool machineHiveWarned_ = false;  // the unreadable machine hive was reported
  // Inside a batch the settings files closed so far, written when it ends.
  int fileBatchDepth_ = 0;
  std::vector<std::unique_ptr<platform::IniFile>> batchedIniFiles_;
  std::string flushBatchedIniFiles();
};

// A unit of work over the store, for a run of openings such as an import.
// While it lives, ClosePref ends an opening without committing it; each hive
// and each settings file is committed once, when the batch ends, and also
// before any box the store shows, so a box that waits for the user never
// holds a hive's lock. A killed process leaves each hive and settings file as
// it was before the batch or at its last commit. A batch inside a batch joins
// the outer one.
class TPrefBatch {
 public:
  explicit TPrefBatch(TConfigBase& store);
  // Commits; a failure is shown in the store's ClosePref box.
  ~TPrefBatch();
  TPrefBatch(const TPrefBatch&) = delete;
  TPrefBatch& operator=(const TPrefBatch&) = delete;

 private:
  TConfigBase& store_;
};

// The implementation sets behind the slots, bound to a store.
TPrefSlots DirectRegistrySet(TConfigBase& store);
TPrefSlots LayeredRegistrySet(TConfigBase& store);
TPrefSlots FlatRegistrySet(TConfigBase& store);
TPrefSlots FilePrefSet(TConfigBase& store);

}  // namespace quillbray
