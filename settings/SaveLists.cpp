// The two groups that are lists: the files list and the recent files. Each
// is deleted as a whole and written again, so no stale entry survives.
#include <cerrno>
#include <cstring>

#include "platform/MessageBox.h"
#include "prefs/Product.h"
#include "settings/GroupWrite.h"

namespace quillbray {

using namespace saving;

namespace {

// Deletes the group's sub-key from the product key (going on when that key
// does not open), then opens the group's key again and runs writes in it.
void rewriteList(C& c, TConfigGroup group, const std::function<void(const std::string& section)>& writes) {
  writeGroup(c, GroupPlace{ProductKey, "", cfgPerUserRoam}, [&] { c.DeletePrefKey(ConfigGroupNames[group]); });
  const GroupPlace place = placeOf(group);
  writeGroup(c, place, [&] { writes(place.section); });
}

// Leading and trailing blanks and control characters, as the path write trims.
bool blank(const std::string& text) {
  for (const char ch : text)
    if (static_cast<unsigned char>(ch) > 32) return false;
  return true;
}

}  // namespace

// "file 0", "file 1", ...: every entry, empty ones too, so the numbers have
// no gaps.
void TConfigManager::saveFiles() {
  try {
    rewriteList(*this, cgFiles, [&](const std::string& section) {
      for (std::size_t i = 0; i < Files.size(); ++i) SetPrefPath(section, kListValuePrefix + std::to_string(i), Files[i]);
    });
  } catch (...) {
    // The system's last error, not the exception's message, is what the
    // product reports; take it before anything else can change it.
    const int lastError = errno;
    std::string text =
        std::string("Error saving files (ConfigManager.saveFiles): ") + "\r\n" + std::strerror(lastError);
    text += ReleasePrefLocks();  // a box never waits holding a hive
    ++ErrorBoxesShown;
    platform::showMessageBox(text, ProgramCaption("saveFiles Error"),
                             platform::BoxOwner::ApplicationWindow,
                             platform::MB_ICONERROR | platform::MB_SETFOREGROUND);
  }
}

// "file <slot>" for the slots that hold more than blanks: an empty slot
// leaves a gap in the numbers. The slot's text goes to the path write as it
// is held; the path write trims it.
void TConfigManager::saveMRU() {
  rewriteList(*this, cgMRU, [&](const std::string& section) {
    for (std::size_t slot = 0; slot < MRUFiles.size(); ++slot)
      if (!blank(MRUFiles[slot])) SetPrefPath(section, kListValuePrefix + std::to_string(slot), MRUFiles[slot]);
  });
}

}  // namespace quillbray
