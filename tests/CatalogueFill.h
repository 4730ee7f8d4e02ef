// The filled settings catalogue of the save tests: every value of a full
// save, group by group in the order of the save, with the catalogue field it
// comes from, and the fills that give each field a value of its own.
#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "StoreFixture.h"
#include "settings/ConfigManager.h"

namespace qbtest::catalogue {

using namespace quillbray;
using platform::RegistryValue;

inline const std::string kProduct = ProductKey;
inline std::string under(const std::string& sub) { return kProduct + "\\" + sub; }

// The window-layout sub-key of this test program, found without the code
// under test: the program's file name without its extension (".exe" on
// Windows).
inline std::string windowsKey() {
  return "Windows\\" + std::filesystem::path(programName()).stem().string() + "_MainWin";
}

// ---------------------------------------------------------------------------
// The expected values: one row per value, in writing order, pointing at the
// catalogue field it comes from (or holding a fixed value).

struct Path {
  std::string* text;
};
using Field = std::variant<bool*, std::int32_t*, std::uint8_t*, std::string*, Path, RegistryValue>;

struct Row {
  std::string key;  // below the product key; "" is the product key itself
  std::string name;
  Field field;
};

inline std::vector<Row> appearanceRows(TConfigManager& c) {
  std::vector<Row> rows = {
      {"Appearance", "Visual Theme", &c.VisualTheme},
      {"Appearance", "Filepath Status Bar Normal Color", &c.FilepathStatusBarNormalColor},
      {"Appearance", "Filepath Status Bar Browse Mode Color", &c.FilepathStatusBarBrowseModeColor},
      {"Appearance", "Filepath Status Bar Read Only Color", &c.FilepathStatusBarReadOnlyColor},
      {"Appearance", "Quillet Background Normal Color", &c.QuilletBackgroundNormalColor},
      {"Appearance", "Quillet Background Browse Mode Color", &c.QuilletBackgroundBrowseModeColor},
      {"Appearance", "Quillet Background Read Only Color", &c.QuilletBackgroundReadOnlyColor},
      {"Appearance", "Quillet Enabled Normal Color", &c.QuilletEnabledNormalColor},
      {"Appearance", "Quillet Enabled Browse Mode Color", &c.QuilletEnabledBrowseModeColor},
      {"Appearance", "Quillet Enabled Read Only Color", &c.QuilletEnabledReadOnlyColor},
      {"Appearance", "Quillet Disabled Normal Color", &c.QuilletDisabledNormalColor},
      {"Appearance", "Quillet Disabled Browse Mode Color", &c.QuilletDisabledBrowseModeColor},
      {"Appearance", "Quillet Disabled Read Only Color", &c.QuilletDisabledReadOnlyColor},
      {"Appearance", "Show Large Category Icons", &c.ShowLargeCategoryIcons},
      {"Appearance", "Show Index column", &c.ShowIndexColumn},
      {"Appearance", "Show Quillet column", &c.ShowQuilletColumn},
      {"Appearance", "Show Replacement Keys column", &c.ShowReplacementKeysColumn},
      {"Appearance", "Show Suffixes column", &c.ShowSuffixesColumn},
      {"Appearance", "Show Scope column", &c.ShowScopeColumn},
      {"Appearance", "Show Modified column", &c.ShowModifiedColumn},
      {"Appearance", "Show Notes column", &c.ShowNotesColumn},
  };
  const char* themes[] = {"Custom", "Blue Gradient", "Retro", "Flat", "Current"};
  for (std::size_t t = 0; t < 5; ++t) {
    const std::string theme = std::string("Theme ") + themes[t] + " ";
    const std::vector<Row> properties = {
        {"Appearance", theme + "Menus and Toolbars Style", &c.ThemeMenusAndToolbarsStyle[t]},
        {"Appearance", theme + "Dialog Button Alignment", &c.ThemeDialogButtonAlignment[t]},
        {"Appearance", theme + "Dialog Button Edge Space", &c.ThemeDialogButtonEdgeSpace[t]},
        {"Appearance", theme + "Dialog Button Space", &c.ThemeDialogButtonSpace[t]},
        {"Appearance", theme + "Dialog Button Bottom Space", &c.ThemeDialogButtonBottomSpace[t]},
        {"Appearance", theme + "Dialog Header Background Color", &c.ThemeDialogHeaderBackgroundColor[t]},
        {"Appearance", theme + "Dialog Background Color", &c.ThemeDialogBackgroundColor[t]},
        {"Appearance", theme + "Dialog Buttons Background Color", &c.ThemeDialogButtonsBackgroundColor[t]},
        {"Appearance", theme + "QB Playback Bar Color", &c.ThemeQBPlaybackBarColor[t]},
    };
    rows.insert(rows.end(), properties.begin(), properties.end());
  }
  return rows;
}

// Every value of a full save, group by group in the order of the save. The
// files list, the recent files and the font styles have fixed contents (set
// by the caller through setLists).
inline std::vector<Row> allRows(TConfigManager& c) {
  std::vector<Row> rows = appearanceRows(c);
  const std::vector<Row> rest = {
      {"Activation", "Use Notification Area", &c.UseNotificationArea},
      {"Activation", "Close Hides", &c.CloseHides},
      {"Activation", "Auto Minimize", &c.AutoMinimize},
      {"Activation", "HotKey", &c.HotKey},
      {"Activation", "Prog HotKey", &c.ProgHotKey},

      {"AdvOptions", "Use J Suffix", &c.UseJSuffix},
      {"AdvOptions", "Obscure LC", &c.ObscureLC},
      {"AdvOptions", "Dead Key Patch 1", &c.DeadKeyPatch1},
      {"AdvOptions", "Sticky Show Hide", &c.StickyShowHide},
      {"AdvOptions", "Advanced Misc Keys", &c.AdvancedMiscKeys},
      {"AdvOptions", "Show Advanced Settings", &c.ShowAdvancedSettings},
      {"AdvOptions", "End Playback Code 1", &c.EndPlaybackCode1},
      {"AdvOptions", "End Playback Code 2", &c.EndPlaybackCode2},
      {"AdvOptions", "End Playback Code 3", &c.EndPlaybackCode3},
      {"AdvOptions", "InUse Timeout", &c.InUseTimeout},
      {"AdvOptions", "Min InUse Timeout", &c.MinInUseTimeout},
      {"AdvOptions", "EReplTextAlg", &c.EReplTextAlg},
      {"AdvOptions", "DbgHook DisableKeyHook", &c.DbgHookDisableKeyHook},
      {"AdvOptions", "DbgHook DisableMsgHook", &c.DbgHookDisableMsgHook},
      {"AdvOptions", "DbgHook DisableDeadKey", &c.DbgHookDisableDeadKey},
      {"AdvOptions", "DbgHook DisableMaskX86Exceptions", &c.DbgHookDisableMaskX86Exceptions},
      {"AdvOptions", "DbgHook DisableSetLowLTFMap", &c.DbgHookDisableSetLowLTFMap},

      {"Backup", "Backup On Start", &c.BackupOnStart},
      {"Backup", "Backup On Editor Open", &c.BackupOnEditorOpen},
      {"Backup", "Backup On Editor Close", &c.BackupOnEditorClose},
      {"Backup", "Backup Message", &c.BackupMessage},
      {"Backup", "Only Backup Local Files", &c.OnlyBackupLocalFiles},
      {"Backup", "Backup Count", &c.BackupCount},
      {"Backup", "Backup Location", &c.BackupLocation},
      {"Backup", "Backup Folder", Path{&c.BackupFolder}},
      {"Backup", "Backup File Pattern", &c.BackupFilePattern},
      {"Backup", "Backup Message Color", &c.BackupMessageColor},
      {"Backup", "Backup Wait File Time", &c.BackupWaitFileTime},
      {"Backup", "Backup Dialog Done Time", &c.BackupDialogDoneTime},
      {"Backup", "Backup Dialog Fade Increment", &c.BackupDialogFadeIncrement},

      {"Cust Commands", "Insert Image into MS365 Script", &c.InsertImageScript[0]},
      {"Cust Commands", "Insert Image into MS365", &c.InsertImageCommand[0]},
      {"Cust Commands", "Insert Image MSO Script", &c.InsertImageScript[1]},
      {"Cust Commands", "Insert Image MSO", &c.InsertImageCommand[1]},

      {"Delays", "Text Delay", &c.TextDelay},
      {"Delays", "Delay After Key Up", &c.DelayAfterKeyUp},
      {"Delays", "High Speed Timer", &c.HighSpeedTimer},
      {"Delays", "Clipboard Delay", &c.ClipboardDelay},
      {"Delays", "Insert Command Delay", &c.InsertCommandDelay},
      {"Delays", "Before Backspace Delay", &c.BeforeBackspaceDelay},
      {"Delays", "Between Backspace Delay", &c.BetweenBackspaceDelay},
      {"Delays", "After Backspace Delay", &c.AfterBackspaceDelay},
      {"Delays", "Delay After Modifier Keys", &c.DelayAfterModifierKeys},
      {"Delays", "Modifier Keys Delay Time", &c.ModifierKeysDelayTime},
      {"Delays", "Incoming Key Press Delay Time", &c.IncomingKeyPressDelayTime},
      {"Delays", "Wait For Key Press Initial Delay Time", &c.WaitForKeyPressInitialDelayTime},
      {"Delays", "Wait For Key Press Loop Delay Time", &c.WaitForKeyPressLoopDelayTime},

      {"Dialogs", "Use Advanced File Dialog", &c.UseAdvancedFileDialog},

      {"File Paths", "Images Path", Path{&c.ImagesPath}},
      {"File Paths", "Logs Path", Path{&c.LogsPath}},
      {"File Paths", "Error Path", Path{&c.ErrorPath}},
      {"File Paths", "Events File", Path{&c.EventsFile}},
      {"File Paths", "Leave Files Open", &c.LeaveFilesOpen},
      {"File Paths", "Update Log File", Path{&c.UpdateLogFile}},

      // setLists: Files = {"  /mnt/qb/first.qbl ", "", "/mnt/qb/third.qbl"}
      {"Files", "file 0", sz("/mnt/qb/first.qbl")},
      {"Files", "file 1", sz("")},
      {"Files", "file 2", sz("/mnt/qb/third.qbl")},

      {"Fonts", "Script Font", &c.ScriptFont->Name},
      {"Fonts", "Script Font Color", &c.ScriptFont->Color},
      {"Fonts", "Script Font Size", &c.ScriptFont->Size},
      {"Fonts", "Script Font Style", dword(5)},  // bold, italic
      {"Fonts", "Grid Font Name", &c.GridFont->Name},
      {"Fonts", "Grid Font Size", &c.GridFont->Size},
      {"Fonts", "Grid Font Color", &c.GridFont->Color},
      {"Fonts", "Grid Font Style", dword(2)},  // underline
      {"Fonts", "Category Font Name", &c.CategoryFont->Name},
      {"Fonts", "Category Font Size", &c.CategoryFont->Size},
      {"Fonts", "Category Font Color", &c.CategoryFont->Color},
      {"Fonts", "Category Font Style", dword(15)},  // all four

      {"General", "Use Suffix", &c.UseSuffix},
      {"General", "Prefix", &c.Prefix},
      {"General", "Punctuation", &c.Punctuation},
      {"General", "Retype", &c.Retype},
      {"General", "Solitary Usage", &c.SolitaryUsage},
      {"General", "Case Sensitive", &c.CaseSensitive},
      {"General", "No Remove", &c.NoRemove},
      {"General", "No Lowercase", &c.NoLowercase},
      {"General", "CAPS Off", &c.CAPSOff},
      {"General", "Playback Using Clipboard", &c.PlaybackUsingClipboard},
      {"General", "Invalid Chars", &c.InvalidChars},
      {"General", "Punctuation Chars", &c.PunctuationChars},

      {"Miscellaneous", "Current File", &c.CurrentFile},
      {"Miscellaneous", "Current Category", &c.CurrentCategory},
      {"Miscellaneous", "Sort Method", &c.SortMethod},
      {"Miscellaneous", "Sort Ascend", &c.SortAscend},
      {"Miscellaneous", "Use Hint", &c.UseHint},
      {"Miscellaneous", "Hint Position", &c.HintPosition},
      {"Miscellaneous", "Symbols - Last Font", &c.SymbolsLastFont},
      {"Miscellaneous", "ThkYouMsg1 Displayed", &c.ThkYouMsg1Displayed},
      {"Miscellaneous", "ThkYouMsg2 Displayed", &c.ThkYouMsg2Displayed},
      {"Miscellaneous", "ThkYouMsg3 Displayed", &c.ThkYouMsg3Displayed},
      {"Miscellaneous", "ThkYouMsg4 Displayed", &c.ThkYouMsg4Displayed},
      {"Miscellaneous", "ThkYouMsg5 Displayed", &c.ThkYouMsg5Displayed},
      {"Miscellaneous", "Suspended Notification Background Color", &c.SuspendedNotificationBackgroundColor},

      {"Logs", "Macro log Warning Size", &c.MacroLogWarningSize},
      {"Logs", "Check size of macro logs", &c.CheckSizeOfMacroLogs},
      {"Logs", "Log Format", &c.LogFormat},
      {"Logs", "Log Unusual Events", &c.LogUnusualEvents},
      {"Logs", "Log Debug Events", &c.LogDebugEvents},
      {"Logs", "Display Event Notifications", &c.DisplayEventNotifications},
      {"Logs", "Event Notification Color", &c.EventNotificationColor},
      {"Logs", "QbrLite Notification Color", &c.QbrLiteNotificationColor},
      {"Logs", "QbrLite Notification Background Color", &c.QbrLiteNotificationBackgroundColor},
      {"Logs", "Debug Event Notifications", &c.DebugEventNotifications},

      // setLists: slots 0, 3 and 24 hold text, slot 5 only blanks.
      {"MRU", "file 0", sz("/mnt/qb/recent-0.qbl")},
      {"MRU", "file 3", sz("/mnt/qb/recent-3.qbl")},
      {"MRU", "file 24", sz("/mnt/qb/recent-24.qbl")},

      {"Network", "Network Mode", &c.NetworkMode},
      {"Network", "Auto Sync", &c.AutoSync},
      {"Network", "Minutes", &c.Minutes},

      {"Printer", "Name", &c.PrinterFontName},
      {"Printer", "Size", &c.PrinterFontSize},
      {"Printer", "Color", &c.PrinterFontColor},
      {"Printer", "Bold", &c.PrinterFontBold},
      {"Printer", "Italics", &c.PrinterFontItalics},
      {"Printer", "Strikeout", &c.PrinterFontStrikeout},
      {"Printer", "Underline", &c.PrinterFontUnderline},

      {"Startup", "Show Editor", &c.ShowEditor},
      {"Startup", "Use Start Delay", &c.UseStartDelay},
      {"Startup", "Startup Delay", &c.StartupDelay},
      {"Startup", "Startup Command Line Parameters", &c.StartupCommandLineParameters},
      {"Startup", "Quick Start Guide", &c.QuickStartGuide},
      {"Startup", "First Time", &c.FirstTime},

      {"Updates", "Check for Updates Method", &c.CheckForUpdatesMethod},
      {"Updates", "Log Update Progress", &c.LogUpdateProgress},
      {"Updates", "Internal Upgrade Track", &c.InternalUpgradeTrack},
      {"Updates", "Insider Upgrade Track", &c.InsiderUpgradeTrack},
      {"Updates", "Display Update Progress", &c.DisplayUpdateProgress},
      {"Updates", "Save temporary Check for Updates files", &c.SaveTemporaryCheckForUpdatesFiles},
      {"Updates", "Update Available Notification Background Color", &c.UpdateAvailableNotificationBackgroundColor},
      {"Updates", "Update Installer Path", &c.UpdateInstallerPath},  // a plain string: blanks kept

      {windowsKey(), "Col 1", &c.Col1},
      {windowsKey(), "Col 2", &c.Col2},
      {windowsKey(), "Col 3", &c.Col3},
      {windowsKey(), "Col 4", &c.Col4},
      {windowsKey(), "Col 5", &c.Col5},
      {windowsKey(), "Col 6", &c.Col6},
      {windowsKey(), "Col 7", &c.Col7},
      {windowsKey(), "Categories Width", &c.CategoriesWidth},

      {"", "Uses", &c.Uses},

      {"$Temp\\Search History", "Editor Search Text", &c.EditorSearchText},
      {"$Temp\\Search History", "Editor Search History", &c.EditorSearchHistory},
      {"$Temp\\Search History", "Editor Replace Text", &c.EditorReplaceText},
      {"$Temp\\Search History", "Editor Replace History", &c.EditorReplaceHistory},
  };
  rows.insert(rows.end(), rest.begin(), rest.end());
  return rows;
}

inline void setLists(TConfigManager& c) {
  c.Files = {"  /mnt/qb/first.qbl ", "", "/mnt/qb/third.qbl"};
  c.MRUFiles = {};
  c.MRUFiles[0] = "/mnt/qb/recent-0.qbl";
  c.MRUFiles[3] = " /mnt/qb/recent-3.qbl\t";
  c.MRUFiles[5] = " \t ";
  c.MRUFiles[24] = "/mnt/qb/recent-24.qbl";
  c.ScriptFont->Style = {fsBold, fsItalic};
  c.GridFont->Style = {fsUnderline};
  c.CategoryFont->Style = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
}

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// Fill number k gives every integer, byte and text a value of its own, and
// the n-th boolean bit k of n: over fills 0 to 6 any two booleans differ at
// least once, so a value written from the wrong field shows.
inline void fill(TConfigManager& c, const std::vector<Row>& rows, int k) {
  int ordinal = 0, booleans = 0;
  for (const Row& row : rows) {
    ++ordinal;
    const std::string tag = std::to_string(k) + "." + std::to_string(ordinal);
    std::visit(Overloaded{
                   [&](bool* b) { *b = ((++booleans >> k) & 1) != 0; },
                   [&](std::int32_t* n) { *n = (ordinal % 2 ? -1 : 1) * (1000 * (k + 1) + ordinal); },
                   [&](std::uint8_t* b) { *b = static_cast<std::uint8_t>(128 + (ordinal * 7 + k) % 128); },
                   // Blanks around plain texts are kept; a path value is trimmed.
                   [&](std::string* s) { *s = " text " + tag + " "; },
                   [&](Path p) { *p.text = "  /mnt/qb/p" + tag + "/ "; },
                   [](const RegistryValue&) {},
               },
               row.field);
  }
  setLists(c);
  c.ShowAdvancedSettings = true;  // all seventeen AdvOptions values
}

inline std::string trimmed(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

inline RegistryValue expected(const Row& row) {
  return std::visit(Overloaded{
                        [](bool* b) { return dword(*b ? 1 : 0); },
                        [](std::int32_t* n) { return dword(static_cast<std::uint32_t>(*n)); },
                        [](std::uint8_t* b) { return dword(*b); },
                        [](std::string* s) { return sz(*s); },
                        [](Path p) { return sz(trimmed(*p.text)); },
                        [](const RegistryValue& v) { return v; },
                    },
                    row.field);
}

}  // namespace qbtest::catalogue
