// The group table and the shared value names.
#include "settings/ConfigGroups.h"

namespace quillbray {

static_assert(cgProductKey + 1 == kConfigGroupCount, "one TConfigGroup per row of the group table");

// Written by (the catalogue's save operation) on the right.
const std::array<const char*, kConfigGroupCount> ConfigGroupNames = {
    "",                  //  0 cgAll: every group, through saveSettings
    "AdvOptions",        //  1 saveAdvOptions
    "Activation",        //  2 saveActivation
    "Appearance",        //  3 saveAppearance, then saveThemes
    "Backup",            //  4 saveBackup
    "Cust Commands",     //  5 saveCustCommands
    "Delays",            //  6 saveDelays
    "Dialogs",           //  7 saveDialogs
    "Dictionary",        //  8 none
    "Files",             //  9 saveFiles
    "Persistent Files",  // 10 none
    "File Paths",        // 11 saveFilePaths
    "Fonts",             // 12 saveFonts
    "General",           // 13 saveGeneral
    "Logs",              // 14 saveLogs
    "Windows",           // 15 saveWindowLayout
    "Miscellaneous",     // 16 saveMiscellaneous
    "MRU",               // 17 saveMRU
    "Network",           // 18 saveNetwork
    "Printer",           // 19 savePrinter
    "Startup",           // 20 saveStartup
    "Updates",           // 21 saveUpdates
    "Dont Ask",          // 22 none
    "$Temp",             // 23 saveSearchHistory
    "$Unknown",          // 24 none
    "Editor",            // 25 none
    "Main Window",       // 26 none
    "",                  // 27 cgProductKey: the product key itself, saveUses
};

const std::array<const char*, kConfigValueCount> ConfigValueNames = {
    "Show Thank You Reminders",
    "Dont Show Export Password Warning",
    "Dont Show Export Insert Image Warning",
    "Dont Show Command Compatibility Warning",
    "Dont Show Find Continue From Top",
    "Check Drive Type",
    "Dont Show Command will not Work Warning",
};

}  // namespace quillbray
