// The catalogue's construction and destruction, and the process-wide catalogue.
#include "settings/ConfigManager.h"

namespace quillbray {

TConfigManager* ConfigManager = nullptr;

namespace {

// The store reads the flag of the program's single catalogue, not of the
// store object that is opening: any store (the catalogue itself, or another
// one) goes machine-wide when the process-wide catalogue says so.
bool processWideMachineWidePrefs() { return ConfigManager != nullptr && ConfigManager->MachineWidePrefs; }

}  // namespace

// The store part is built first (base before members, as C++ does), then the
// fonts in declared order: ScriptFont, GridFont, CategoryFont.
TConfigManager::TConfigManager()
    : ScriptFont(std::make_unique<TFont>()),
      GridFont(std::make_unique<TFont>()),
      CategoryFont(std::make_unique<TFont>()) {
  SetMachineWidePrefsReader(&processWideMachineWidePrefs);
}

// The product tears the store part down first, then the lists, then the fonts
// from CategoryFont back to ScriptFont. C++ runs the base destructor last, but
// the store part's own teardown releases nothing here (its XML document is not
// carried over, and a store is closed before it is destroyed), so running it
// last changes nothing; the lists and fonts are released explicitly so that
// their order does not depend on the order of declaration.
TConfigManager::~TConfigManager() {
  if (ConfigManager == this) ConfigManager = nullptr;  // no dangling reference for the store's reader
  Files = TFileList();
  FileNames = TFileNames();
  CategoryFont.reset();
  GridFont.reset();
  ScriptFont.reset();
}

}  // namespace quillbray
