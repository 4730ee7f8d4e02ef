// The groups that are a table of values: each table gives the value names,
// kinds and writing order of its group, and its save operation writes it.
// The few values that do not fit a table are written out beside it.
#include "platform/ProgramFile.h"
#include "settings/GroupWrite.h"

namespace quillbray {

using namespace saving;

namespace {

constexpr GroupValue kActivation[] = {
    Boolean("Use Notification Area", &C::UseNotificationArea),
    Boolean("Close Hides", &C::CloseHides),
    Boolean("Auto Minimize", &C::AutoMinimize),
    String("HotKey", &C::HotKey),
    Integer("Prog HotKey", &C::ProgHotKey),
};

constexpr GroupValue kAdvOptions[] = {
    Boolean("Use J Suffix", &C::UseJSuffix),
    Boolean("Obscure LC", &C::ObscureLC),
    Boolean("Dead Key Patch 1", &C::DeadKeyPatch1),
    Boolean("Sticky Show Hide", &C::StickyShowHide),
    Boolean("Advanced Misc Keys", &C::AdvancedMiscKeys),
    Boolean("Show Advanced Settings", &C::ShowAdvancedSettings),
    Integer("End Playback Code 1", &C::EndPlaybackCode1),
    Integer("End Playback Code 2", &C::EndPlaybackCode2),
    Integer("End Playback Code 3", &C::EndPlaybackCode3),
    Integer("InUse Timeout", &C::InUseTimeout),
    Integer("Min InUse Timeout", &C::MinInUseTimeout),
    Integer("EReplTextAlg", &C::EReplTextAlg),
};

// Written after kAdvOptions only while "Show Advanced Settings" is on; when
// it is off, stored DbgHook values stay as they are.
constexpr GroupValue kDbgHooks[] = {
    Boolean("DbgHook DisableKeyHook", &C::DbgHookDisableKeyHook),
    Boolean("DbgHook DisableMsgHook", &C::DbgHookDisableMsgHook),
    Boolean("DbgHook DisableDeadKey", &C::DbgHookDisableDeadKey),
    Boolean("DbgHook DisableMaskX86Exceptions", &C::DbgHookDisableMaskX86Exceptions),
    Boolean("DbgHook DisableSetLowLTFMap", &C::DbgHookDisableSetLowLTFMap),
};

constexpr GroupValue kBackup[] = {
    Boolean("Backup On Start", &C::BackupOnStart),
    Boolean("Backup On Editor Open", &C::BackupOnEditorOpen),
    Boolean("Backup On Editor Close", &C::BackupOnEditorClose),
    Boolean("Backup Message", &C::BackupMessage),
    Boolean("Only Backup Local Files", &C::OnlyBackupLocalFiles),
    Integer("Backup Count", &C::BackupCount),
    Integer("Backup Location", &C::BackupLocation),
    Path("Backup Folder", &C::BackupFolder),
    String("Backup File Pattern", &C::BackupFilePattern),
    Colour("Backup Message Color", &C::BackupMessageColor),
    Integer("Backup Wait File Time", &C::BackupWaitFileTime),
    Integer("Backup Dialog Done Time", &C::BackupDialogDoneTime),
    Integer("Backup Dialog Fade Increment", &C::BackupDialogFadeIncrement),
};

constexpr GroupValue kCustCommands[] = {
    String("Insert Image into MS365 Script", [](const C& c) { return c.InsertImageScript[ctMS365]; }),
    String("Insert Image into MS365", [](const C& c) { return c.InsertImageCommand[ctMS365]; }),
    String("Insert Image MSO Script", [](const C& c) { return c.InsertImageScript[ctMSO]; }),
    String("Insert Image MSO", [](const C& c) { return c.InsertImageCommand[ctMSO]; }),
};

constexpr GroupValue kDelays[] = {
    Integer("Text Delay", &C::TextDelay),
    Boolean("Delay After Key Up", &C::DelayAfterKeyUp),
    Boolean("High Speed Timer", &C::HighSpeedTimer),
    Integer("Clipboard Delay", &C::ClipboardDelay),
    Integer("Insert Command Delay", &C::InsertCommandDelay),
    Integer("Before Backspace Delay", &C::BeforeBackspaceDelay),
    Integer("Between Backspace Delay", &C::BetweenBackspaceDelay),
    Integer("After Backspace Delay", &C::AfterBackspaceDelay),
    Boolean("Delay After Modifier Keys", &C::DelayAfterModifierKeys),
    Integer("Modifier Keys Delay Time", &C::ModifierKeysDelayTime),
    Integer("Incoming Key Press Delay Time", &C::IncomingKeyPressDelayTime),
    Integer("Wait For Key Press Initial Delay Time", &C::WaitForKeyPressInitialDelayTime),
    Integer("Wait For Key Press Loop Delay Time", &C::WaitForKeyPressLoopDelayTime),
};

constexpr GroupValue kDialogs[] = {
    Boolean("Use Advanced File Dialog", &C::UseAdvancedFileDialog),
};

constexpr GroupValue kFilePaths[] = {
    Path("Images Path", &C::ImagesPath),
    Path("Logs Path", &C::LogsPath),
    Path("Error Path", &C::ErrorPath),
    Path("Events File", &C::EventsFile),
    Boolean("Leave Files Open", &C::LeaveFilesOpen),
    Path("Update Log File", &C::UpdateLogFile),
};

// The script font's names and order differ from the other two fonts'.
constexpr GroupValue kFonts[] = {
    String("Script Font", [](const C& c) { return c.ScriptFont->Name; }),
    Colour("Script Font Color", [](const C& c) { return c.ScriptFont->Color; }),
    Integer("Script Font Size", [](const C& c) { return c.ScriptFont->Size; }),
    Integer("Script Font Style", [](const C& c) { return fontStyleToInt(c.ScriptFont->Style); }),
    String("Grid Font Name", [](const C& c) { return c.GridFont->Name; }),
    Integer("Grid Font Size", [](const C& c) { return c.GridFont->Size; }),
    Colour("Grid Font Color", [](const C& c) { return c.GridFont->Color; }),
    Integer("Grid Font Style", [](const C& c) { return fontStyleToInt(c.GridFont->Style); }),
    String("Category Font Name", [](const C& c) { return c.CategoryFont->Name; }),
    Integer("Category Font Size", [](const C& c) { return c.CategoryFont->Size; }),
    Colour("Category Font Color", [](const C& c) { return c.CategoryFont->Color; }),
    Integer("Category Font Style", [](const C& c) { return fontStyleToInt(c.CategoryFont->Style); }),
};

constexpr GroupValue kGeneral[] = {
    Boolean("Use Suffix", &C::UseSuffix),
    String("Prefix", &C::Prefix, 2),
    Boolean("Punctuation", &C::Punctuation),
    Boolean("Retype", &C::Retype),
    Boolean("Solitary Usage", &C::SolitaryUsage),
    Integer("Case Sensitive", &C::CaseSensitive),
    Boolean("No Remove", &C::NoRemove),
    Boolean("No Lowercase", &C::NoLowercase),
    Boolean("CAPS Off", &C::CAPSOff),
    Boolean("Playback Using Clipboard", &C::PlaybackUsingClipboard),
    String("Invalid Chars", &C::InvalidChars),
    String("Punctuation Chars", &C::PunctuationChars),
};

constexpr GroupValue kMiscellaneous[] = {
    String("Current File", &C::CurrentFile),
    Integer("Current Category", &C::CurrentCategory),
    Integer("Sort Method", &C::SortMethod),
    Boolean("Sort Ascend", &C::SortAscend),
    Boolean("Use Hint", &C::UseHint),
    Integer("Hint Position", &C::HintPosition),
    String("Symbols - Last Font", &C::SymbolsLastFont),
    Boolean("ThkYouMsg1 Displayed", &C::ThkYouMsg1Displayed),
    Boolean("ThkYouMsg2 Displayed", &C::ThkYouMsg2Displayed),
    Boolean("ThkYouMsg3 Displayed", &C::ThkYouMsg3Displayed),
    Boolean("ThkYouMsg4 Displayed", &C::ThkYouMsg4Displayed),
    Boolean("ThkYouMsg5 Displayed", &C::ThkYouMsg5Displayed),
    Colour("Suspended Notification Background Color", &C::SuspendedNotificationBackgroundColor),
};

constexpr GroupValue kLogs[] = {
    Integer("Macro log Warning Size", &C::MacroLogWarningSize),
    Boolean("Check size of macro logs", &C::CheckSizeOfMacroLogs),
    String("Log Format", &C::LogFormat),
    Boolean("Log Unusual Events", &C::LogUnusualEvents),
    Boolean("Log Debug Events", &C::LogDebugEvents),
    Boolean("Display Event Notifications", &C::DisplayEventNotifications),
    Colour("Event Notification Color", &C::EventNotificationColor),
    Colour("QbrLite Notification Color", &C::QbrLiteNotificationColor),
    Colour("QbrLite Notification Background Color", &C::QbrLiteNotificationBackgroundColor),
    Boolean("Debug Event Notifications", &C::DebugEventNotifications),
};

constexpr GroupValue kNetwork[] = {
    Boolean("Network Mode", &C::NetworkMode),
    Boolean("Auto Sync", &C::AutoSync),
    Integer("Minutes", &C::Minutes),
};

// The style flags are written Bold, Italics, Strikeout, Underline, not in
// their declared order.
constexpr GroupValue kPrinter[] = {
    String("Name", &C::PrinterFontName),
    Integer("Size", &C::PrinterFontSize),
    Colour("Color", &C::PrinterFontColor),
    Boolean("Bold", &C::PrinterFontBold),
    Boolean("Italics", &C::PrinterFontItalics),
    Boolean("Strikeout", &C::PrinterFontStrikeout),
    Boolean("Underline", &C::PrinterFontUnderline),
};

// Written after kStartup, with the product key's (empty) section.
constexpr GroupValue kFirstTime[] = {
    Boolean("First Time", &C::FirstTime),
};

// Followed by kFirstTime (see saveStartup).
constexpr GroupValue kStartup[] = {
    Boolean("Show Editor", &C::ShowEditor),
    Boolean("Use Start Delay", &C::UseStartDelay),
    Integer("Startup Delay", &C::StartupDelay),
    String("Startup Command Line Parameters", &C::StartupCommandLineParameters),
    Boolean("Quick Start Guide", &C::QuickStartGuide),
};

constexpr GroupValue kUpdates[] = {
    Integer("Check for Updates Method", &C::CheckForUpdatesMethod),
    Boolean("Log Update Progress", &C::LogUpdateProgress),
    Boolean("Internal Upgrade Track", &C::InternalUpgradeTrack),
    Boolean("Insider Upgrade Track", &C::InsiderUpgradeTrack),
    Boolean("Display Update Progress", &C::DisplayUpdateProgress),
    Boolean("Save temporary Check for Updates files", &C::SaveTemporaryCheckForUpdatesFiles),
    Colour("Update Available Notification Background Color", &C::UpdateAvailableNotificationBackgroundColor),
    String("Update Installer Path", &C::UpdateInstallerPath),  // a plain string, not a path value
};

// Below "Windows\<program>_MainWin" (see saveWindowLayout).
constexpr GroupValue kWindowLayout[] = {
    Integer("Col 1", &C::Col1),
    Integer("Col 2", &C::Col2),
    Integer("Col 3", &C::Col3),
    Integer("Col 4", &C::Col4),
    Integer("Col 5", &C::Col5),
    Integer("Col 6", &C::Col6),
    Integer("Col 7", &C::Col7),
    Integer("Categories Width", &C::CategoriesWidth),
};

// The product key itself.
constexpr GroupValue kUses[] = {
    Integer("Uses", &C::Uses),
};

// Below "$Temp\\Search History" (see saveSearchHistory).
constexpr GroupValue kSearchHistory[] = {
    String("Editor Search Text", &C::EditorSearchText),
    String("Editor Search History", &C::EditorSearchHistory),
    String("Editor Replace Text", &C::EditorReplaceText),
    String("Editor Replace History", &C::EditorReplaceHistory),
};

// The group tables: each group's values and the scope the catalogue keeps
// it in. A save writes its group in that scope (placeOf); whatever checks a
// file against the catalogue reads the scope from here too.
constexpr GroupTable kGroupTables[] = {
    {cgActivation, cfgPerUserRoam, kActivation},
    {cgAdvOptions, cfgPerUserRoam, kAdvOptions, kDbgHooks},
    {cgBackup, cfgPerUserRoam, kBackup},
    {cgCustCommands, cfgPerUserRoam, kCustCommands},
    {cgDelays, cfgPerUserRoam, kDelays},
    {cgDialogs, cfgPerUserRoam, kDialogs},
    {cgFilePaths, cfgPerUserNonRoam, kFilePaths},  // paths of this machine: not roaming
    {cgFonts, cfgPerUserRoam, kFonts},
    {cgGeneral, cfgPerUserRoam, kGeneral},
    {cgMiscellaneous, cfgPerUserRoam, kMiscellaneous},
    {cgLogs, cfgPerUserRoam, kLogs},
    {cgNetwork, cfgPerUserRoam, kNetwork},
    {cgPrinter, cfgPerUserRoam, kPrinter},
    {cgStartup, cfgPerUserRoam, kStartup, kFirstTime},
    {cgUpdates, cfgPerUserRoam, kUpdates},
    {cgProductKey, cfgPerUserRoam, kUses, kFirstTime},  // the settings file keeps "First Time" here
};

}  // namespace

namespace saving {
std::span<const GroupTable> GroupTables() { return kGroupTables; }
}  // namespace saving

TDataScope CatalogueScope(TConfigGroup group) {
  for (const GroupTable& table : kGroupTables)
    if (table.group == group) return table.scope;
  return cfgPerUserRoam;  // the groups written without a table of their own
}

void TConfigManager::saveActivation() { writeGroup(*this, placeOf(cgActivation), kActivation); }

void TConfigManager::saveAdvOptions() {
  const GroupPlace place = placeOf(cgAdvOptions);
  writeGroup(*this, place, [&] {
    writeValues(*this, place.section, kAdvOptions);
    if (ShowAdvancedSettings) writeValues(*this, place.section, kDbgHooks);
  });
}

void TConfigManager::saveBackup() { writeGroup(*this, placeOf(cgBackup), kBackup); }

void TConfigManager::saveCustCommands() { writeGroup(*this, placeOf(cgCustCommands), kCustCommands); }

void TConfigManager::saveDelays() { writeGroup(*this, placeOf(cgDelays), kDelays); }

void TConfigManager::saveDialogs() { writeGroup(*this, placeOf(cgDialogs), kDialogs); }

void TConfigManager::saveFilePaths() { writeGroup(*this, placeOf(cgFilePaths), kFilePaths); }

void TConfigManager::saveFonts() { writeGroup(*this, placeOf(cgFonts), kFonts); }

void TConfigManager::saveGeneral() { writeGroup(*this, placeOf(cgGeneral), kGeneral); }

void TConfigManager::saveMiscellaneous() { writeGroup(*this, placeOf(cgMiscellaneous), kMiscellaneous); }

void TConfigManager::saveLogs() { writeGroup(*this, placeOf(cgLogs), kLogs); }

void TConfigManager::saveNetwork() { writeGroup(*this, placeOf(cgNetwork), kNetwork); }

void TConfigManager::savePrinter() { writeGroup(*this, placeOf(cgPrinter), kPrinter); }

// "First Time" belongs to the product key's (empty) group but is written while
// the Startup key is open: in the registry it lands in the Startup key, whose
// section the registry ignores.
void TConfigManager::saveStartup() {
  const GroupPlace place = placeOf(cgStartup);
  writeGroup(*this, place, [&] {
    writeValues(*this, place.section, kStartup);
    writeValues(*this, ConfigGroupNames[cgProductKey], kFirstTime);
  });
}

void TConfigManager::saveUpdates() { writeGroup(*this, placeOf(cgUpdates), kUpdates); }

// The sub-key is named after the running program; the same string is the
// section of every write.
void TConfigManager::saveWindowLayout() {
  writeGroup(*this, below(windowLayoutSubKey(platform::programFilePath())), kWindowLayout);
}

// The empty group name gives the key "Software\Corvellan\Quillbray 4\" with
// its trailing backslash and the empty section.
void TConfigManager::saveUses() { writeGroup(*this, placeOf(cgProductKey), kUses); }

// "$Temp" + "\" + "\Search History": two backslashes in a row, in the key and
// in the section. The registry collapses them, so the values land in
// "$Temp\Search History"; the section keeps both but the registry ignores it.
void TConfigManager::saveSearchHistory() {
  writeGroup(*this, below(std::string(ConfigGroupNames[cgTemp]) + "\\" + "\\Search History"), kSearchHistory);
}

}  // namespace quillbray
