// The settings catalogue: the product's in-memory record of its preferences,
// and itself the preference store through which they are written.
//
// Every field is a plain member named after the value it is stored under
// ("Log Unusual Events" => LogUnusualEvents), declared group by group in the
// product's order. A comment above each block names its group; a trailing
// comment gives the stored value name where the member name does not spell it.
// A new catalogue holds zero, false and empty everywhere except its three
// fonts, which have the toolkit's defaults.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "prefs/ConfigBase.h"
#include "settings/ConfigGroups.h"
#include "settings/Graphics.h"
#include "settings/Themes.h"

namespace quillbray {

// The files list (group "Files") and a second list of file names that this
// catalogue does not store.
using TFileList = std::vector<std::string>;
using TFileNames = std::vector<std::string>;

// Targets of the custom insert-image commands.
enum TCustTarget : std::uint8_t { ctMS365 = 0, ctMSO = 1 };
inline constexpr std::size_t kCustTargetCount = 2;

inline constexpr std::size_t kMRUCount = 25;

class TConfigManager : public TConfigBase {
 public:
  // Installs the store's reader of MachineWidePrefs; the reader asks the
  // process-wide ConfigManager, whichever catalogue this is.
  TConfigManager();
  ~TConfigManager() override;

  // Saving: each operation writes the catalogue's current values of one group
  // (saveAppearance and saveThemes together the Appearance group) under the
  // group's key, in the group's fixed order; a key that does not open is
  // skipped after OpenPref's box. saveSettings(cgAll) runs every one of them,
  // saveSettings(g) those of group g (none for a group without values or a
  // number beyond the table), in one batch of the store: a save commits once.
  // Failing writes show the store's boxes and the save goes on; only saveFiles
  // catches what escapes it (its own box). An exception from saveMRU ends the
  // rest of the save after the key is closed.
  void saveSettings(TConfigGroup group);

  void saveActivation();
  void saveAdvOptions();  // the five "DbgHook ..." values only with ShowAdvancedSettings
  void saveAppearance();
  void saveThemes();
  void saveBackup();
  void saveCustCommands();
  void saveDelays();
  void saveDialogs();
  void saveFilePaths();  // per user, not roaming
  // Deletes the Files sub-key, then writes "file 0" ... "file N-1", empty
  // entries too. Shows its own box for anything that escapes:
  //   "Error saving files (ConfigManager.saveFiles): \r\n" + strerror(errno)
  void saveFiles();
  void saveFonts();
  void saveGeneral();
  void saveMiscellaneous();
  void saveLogs();
  // Deletes the MRU sub-key, then writes "file <slot>" for each slot whose
  // trimmed text is not empty, so skipped slots leave gaps.
  void saveMRU();
  void saveNetwork();
  void savePrinter();
  void saveStartup();  // "First Time" too, with the empty section
  void saveUpdates();
  void saveWindowLayout();   // "Windows\<program>_MainWin"
  void saveUses();           // the product key itself
  void saveSearchHistory();  // "$Temp\\Search History"

  // Product key (group 27).
  std::int32_t Uses = 0;
  bool FirstTime = false;  // saved with the Startup group, empty section

  bool MachineWidePrefs = false;  // not stored; read by the store at every opening

  // Activation.
  bool UseNotificationArea = false;
  bool CloseHides = false;
  bool AutoMinimize = false;
  std::string HotKey;
  std::int32_t ProgHotKey = 0;

  // AdvOptions.
  bool UseJSuffix = false;
  bool ObscureLC = false;
  bool DeadKeyPatch1 = false;
  bool StickyShowHide = false;
  bool AdvancedMiscKeys = false;
  bool ShowAdvancedSettings = false;
  std::int32_t EndPlaybackCode1 = 0;
  std::int32_t EndPlaybackCode2 = 0;
  std::int32_t EndPlaybackCode3 = 0;
  std::int32_t InUseTimeout = 0;
  std::int32_t MinInUseTimeout = 0;
  std::int32_t EReplTextAlg = 0;
  bool DbgHookDisableKeyHook = false;  // "DbgHook DisableKeyHook"
  bool DbgHookDisableMsgHook = false;
  bool DbgHookDisableDeadKey = false;
  bool DbgHookDisableMaskX86Exceptions = false;
  bool DbgHookDisableSetLowLTFMap = false;

  // Appearance.
  std::int32_t VisualTheme = 0;
  TColor FilepathStatusBarNormalColor = 0;  // "Filepath Status Bar Normal Color"
  TColor FilepathStatusBarBrowseModeColor = 0;
  TColor FilepathStatusBarReadOnlyColor = 0;
  TColor QuilletBackgroundNormalColor = 0;
  TColor QuilletBackgroundBrowseModeColor = 0;
  TColor QuilletBackgroundReadOnlyColor = 0;
  TColor QuilletEnabledNormalColor = 0;
  TColor QuilletEnabledBrowseModeColor = 0;
  TColor QuilletEnabledReadOnlyColor = 0;
  TColor QuilletDisabledNormalColor = 0;
  TColor QuilletDisabledBrowseModeColor = 0;
  TColor QuilletDisabledReadOnlyColor = 0;
  // Per theme, by theme number; stored as "Theme <name> <property>".
  TPerTheme<std::int32_t> ThemeMenusAndToolbarsStyle{};  // "Menus and Toolbars Style"
  TPerTheme<std::uint8_t> ThemeDialogButtonAlignment{};  // stored widened, 0 to 255
  TPerTheme<std::int32_t> ThemeDialogButtonEdgeSpace{};
  TPerTheme<std::int32_t> ThemeDialogButtonSpace{};
  TPerTheme<std::int32_t> ThemeDialogButtonBottomSpace{};
  TPerTheme<TColor> ThemeDialogHeaderBackgroundColor{};
  TPerTheme<TColor> ThemeDialogBackgroundColor{};
  TPerTheme<TColor> ThemeDialogButtonsBackgroundColor{};  // plural "Buttons"
  TPerTheme<TColor> ThemeQBPlaybackBarColor{};            // "QB Playback Bar Color"
  bool ShowLargeCategoryIcons = false;
  bool ShowIndexColumn = false;  // "Show Index column"
  bool ShowQuilletColumn = false;
  bool ShowReplacementKeysColumn = false;
  bool ShowSuffixesColumn = false;
  bool ShowScopeColumn = false;
  bool ShowModifiedColumn = false;
  bool ShowNotesColumn = false;

  // Backup.
  bool BackupOnStart = false;
  bool BackupOnEditorOpen = false;
  bool BackupOnEditorClose = false;
  bool BackupMessage = false;
  bool OnlyBackupLocalFiles = false;
  std::int32_t BackupCount = 0;
  std::int32_t BackupLocation = 0;
  std::string BackupFolder;  // a path value
  std::string BackupFilePattern;
  TColor BackupMessageColor = 0;
  std::int32_t BackupWaitFileTime = 0;
  std::int32_t BackupDialogDoneTime = 0;
  std::int32_t BackupDialogFadeIncrement = 0;

  // Dialogs.
  bool UseAdvancedFileDialog = false;

  // File Paths, stored per user and not roaming; the strings are path values.
  std::string ImagesPath;
  std::string LogsPath;  // "Logs Path"
  std::string ErrorPath;
  std::string EventsFile;  // "Events File"
  bool LeaveFilesOpen = false;
  std::string UpdateLogFile;

  TFileList Files;       // Files: "file 0", "file 1", ...
  TFileNames FileNames;  // not stored

  // Fonts; owned, created in this order by the constructor.
  std::unique_ptr<TFont> ScriptFont;    // "Script Font", "Script Font Color", ...
  std::unique_ptr<TFont> GridFont;      // "Grid Font Name", ...
  std::unique_ptr<TFont> CategoryFont;  // "Category Font Name", ...

  // General.
  bool UseSuffix = false;
  std::string Prefix;  // at most 2 characters
  bool Punctuation = false;
  bool Retype = false;
  bool SolitaryUsage = false;
  std::int32_t CaseSensitive = 0;
  bool NoRemove = false;
  bool NoLowercase = false;
  bool CAPSOff = false;  // "CAPS Off"
  bool PlaybackUsingClipboard = false;
  std::string InvalidChars;
  std::string PunctuationChars;

  // Delays.
  std::int32_t TextDelay = 0;
  bool HighSpeedTimer = false;
  std::int32_t BeforeBackspaceDelay = 0;
  std::int32_t BetweenBackspaceDelay = 0;
  std::int32_t AfterBackspaceDelay = 0;
  std::int32_t ClipboardDelay = 0;
  bool DelayAfterKeyUp = false;
  bool DelayAfterModifierKeys = false;
  std::int32_t ModifierKeysDelayTime = 0;
  std::int32_t InsertCommandDelay = 0;
  std::int32_t IncomingKeyPressDelayTime = 0;
  std::int32_t WaitForKeyPressInitialDelayTime = 0;
  std::int32_t WaitForKeyPressLoopDelayTime = 0;

  // Logs.
  std::int32_t MacroLogWarningSize = 0;  // "Macro log Warning Size"
  bool CheckSizeOfMacroLogs = false;     // "Check size of macro logs"
  std::string LogFormat;                 // "Log Format"
  bool LogUnusualEvents = false;         // "Log Unusual Events"
  bool LogDebugEvents = false;           // "Log Debug Events"
  bool DisplayEventNotifications = false;
  TColor EventNotificationColor = 0;
  TColor QbrLiteNotificationColor = 0;
  TColor QbrLiteNotificationBackgroundColor = 0;
  bool DebugEventNotifications = false;

  // Cust Commands, by TCustTarget: "Insert Image into MS365" and its
  // "... Script", "Insert Image MSO" and its "... Script".
  std::array<std::string, kCustTargetCount> InsertImageCommand;
  std::array<std::string, kCustTargetCount> InsertImageScript;

  // Windows: "Windows\<program>_MainWin".
  std::int32_t Col1 = 0;  // "Col 1"
  std::int32_t Col2 = 0;
  std::int32_t Col3 = 0;
  std::int32_t Col4 = 0;
  std::int32_t Col5 = 0;
  std::int32_t Col6 = 0;
  std::int32_t Col7 = 0;
  std::int32_t CategoriesWidth = 0;

  // Miscellaneous.
  std::string CurrentFile;
  std::int32_t CurrentCategory = 0;
  std::int32_t SortMethod = 0;
  bool SortAscend = false;
  bool UseHint = false;
  std::int32_t HintPosition = 0;
  std::string SymbolsLastFont;       // "Symbols - Last Font"
  bool ThkYouMsg1Displayed = false;  // "ThkYouMsg1 Displayed"
  bool ThkYouMsg2Displayed = false;
  bool ThkYouMsg3Displayed = false;
  bool ThkYouMsg4Displayed = false;
  bool ThkYouMsg5Displayed = false;
  TColor SuspendedNotificationBackgroundColor = 0;

  // MRU: recent files by slot, "file <slot>".
  std::array<std::string, kMRUCount> MRUFiles;

  // Network.
  bool NetworkMode = false;
  bool AutoSync = false;
  std::int32_t Minutes = 0;

  // Printer: the printer font as plain values ("Name", "Size", "Color",
  // "Bold", "Strikeout", "Italics", "Underline").
  std::string PrinterFontName;
  std::int32_t PrinterFontSize = 0;
  TColor PrinterFontColor = 0;
  bool PrinterFontBold = false;
  bool PrinterFontStrikeout = false;
  bool PrinterFontItalics = false;
  bool PrinterFontUnderline = false;

  // Startup.
  bool UseStartDelay = false;
  std::int32_t StartupDelay = 0;
  bool ShowEditor = false;
  std::string StartupCommandLineParameters;
  bool QuickStartGuide = false;

  // Updates.
  std::int32_t CheckForUpdatesMethod = 0;
  bool LogUpdateProgress = false;
  TColor UpdateAvailableNotificationBackgroundColor = 0;
  bool DisplayUpdateProgress = false;
  std::string UpdateInstallerPath;                 // a plain string, not a path value
  bool SaveTemporaryCheckForUpdatesFiles = false;  // "Save temporary Check for Updates files"
  bool InternalUpgradeTrack = false;
  bool InsiderUpgradeTrack = false;

  // Sub-key "$Temp\\Search History" (two backslashes, as stored).
  std::string EditorSearchText;
  std::string EditorSearchHistory;
  std::string EditorReplaceText;
  std::string EditorReplaceHistory;
};

// The stored number of a font style set: bold 1, underline 2, italic 4,
// strike-out 8 ({bold, italic} => 5).
std::int32_t fontStyleToInt(TFontStyles style);

// The window-layout sub-key of a program file: "Windows\", the file name
// without folder and without its last extension, "_MainWin".
//   "/opt/q/Quillbray.exe" => "Windows\Quillbray_MainWin"
//   "/x/a.b.exe"           => "Windows\a.b_MainWin"
//   "/usr/bin/quillbray"   => "Windows\quillbray_MainWin"
std::string windowLayoutSubKey(const std::string& programFile);

// The program's single catalogue, from the main form's creation to its
// destruction; null otherwise. Destroying that catalogue resets it to null.
extern TConfigManager* ConfigManager;

}  // namespace quillbray
