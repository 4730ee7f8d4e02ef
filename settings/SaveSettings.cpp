// The catalogue's public save: which group operations run, and in what order.
#include "settings/ConfigManager.h"

namespace quillbray {
namespace {

struct GroupSave {
  TConfigGroup group;
  void (TConfigManager::*save)();
};

// The order in which a save of every group runs them. Groups without values
// (Dictionary, Persistent Files, Dont Ask, $Unknown, Editor, Main Window)
// have no row.
constexpr GroupSave kSaveOrder[] = {
    {cgAppearance, &TConfigManager::saveAppearance},
    {cgAppearance, &TConfigManager::saveThemes},
    {cgActivation, &TConfigManager::saveActivation},
    {cgAdvOptions, &TConfigManager::saveAdvOptions},
    {cgBackup, &TConfigManager::saveBackup},
    {cgCustCommands, &TConfigManager::saveCustCommands},
    {cgDelays, &TConfigManager::saveDelays},
    {cgDialogs, &TConfigManager::saveDialogs},
    {cgFilePaths, &TConfigManager::saveFilePaths},
    {cgFiles, &TConfigManager::saveFiles},
    {cgFonts, &TConfigManager::saveFonts},
    {cgGeneral, &TConfigManager::saveGeneral},
    {cgMiscellaneous, &TConfigManager::saveMiscellaneous},
    {cgLogs, &TConfigManager::saveLogs},
    {cgMRU, &TConfigManager::saveMRU},
    {cgNetwork, &TConfigManager::saveNetwork},
    {cgPrinter, &TConfigManager::savePrinter},
    {cgStartup, &TConfigManager::saveStartup},
    {cgUpdates, &TConfigManager::saveUpdates},
    {cgWindows, &TConfigManager::saveWindowLayout},
    {cgProductKey, &TConfigManager::saveUses},
    {cgTemp, &TConfigManager::saveSearchHistory},
};

}  // namespace

// One batch for the whole call: each hive commits once, at its end (or before
// a box), instead of once per group; an exception that ends the save early
// still commits what was written before it.
void TConfigManager::saveSettings(TConfigGroup group) {
  TPrefBatch batch(*this);
  for (const GroupSave& step : kSaveOrder)
    if (group == cgAll || group == step.group) (this->*step.save)();
}

}  // namespace quillbray
