#include "tools/SettingsStore.h"

#include <stdexcept>
#include <unordered_set>

#include "platform/Text.h"
#include "prefs/Product.h"

namespace quillbray {
namespace {

// A box's text on one terminal line after another: its CR LF line ends as
// LF, without the blank lines the box puts between its parts.
std::string asLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\n' && (out.empty() || out.back() == '\n')) continue;
    out += text[i];
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// A box as one message of the tool, which names the program itself: the
// caption without the program's name it begins with, and without its last
// part when the text begins with that ("Error: SetPrefString" and
// "SetPrefString: Unable to write..." say "Error: SetPrefString: Unable...").
std::string asMessage(const platform::MessageBoxRequest& box) {
  std::string caption = box.caption;
  if (const std::string program = ProgramCaption(""); caption.starts_with(program)) caption.erase(0, program.size());
  const std::string text = asLines(box.text);
  const std::size_t colon = caption.rfind(": ");
  const std::string last = colon == std::string::npos ? caption : caption.substr(colon + 2);
  if (!last.empty() && text.starts_with(last)) caption.resize(colon == std::string::npos ? 0 : colon);
  return caption.empty() ? text : caption + ": " + text;
}

}  // namespace

BoxesAsErrors::BoxesAsErrors() : scope_(*this) {}

platform::BoxAnswer BoxesAsErrors::show(const platform::MessageBoxRequest& box) {
  shown_.push_back(asMessage(box));
  return (box.style & platform::MB_YESNO) ? platform::BoxAnswer::No : platform::BoxAnswer::Ok;
}

void BoxesAsErrors::check() {
  if (shown_.empty()) return;
  std::string message;
  for (const std::string& s : shown_) message += (message.empty() ? "" : "\n") + s;
  shown_.clear();
  throw std::runtime_error(message);
}

SettingsStore::SettingsStore(TPrefLocation location) { PrefLocation = location; }

SettingsStore::~SettingsStore() {
  if (open_) store_.ClosePref();  // after an error: the store writes what it kept, as its destructor would
}

void SettingsStore::open(const StoreKey& key) {
  if (open_) close();
  const bool opened = store_.OpenPref(key.scope, std::string(ProductKey) + (key.group.empty() ? "" : "\\" + key.group),
                                      true, false);
  open_ = opened || store_.PrefSlots.ClosePref != nullptr;
  boxes_.check();
  if (!opened) throw std::runtime_error("the settings file of " + key.display() + " cannot be opened");
}

void SettingsStore::close() {
  if (!open_) return;
  open_ = false;
  store_.ClosePref();
  boxes_.check();
}

void SettingsStore::inBatch(const std::function<void()>& fn) {
  {
    TPrefBatch batch(store_);
    fn();
  }
  boxes_.check();
}

std::string SettingsStore::fileName() const { return store_.IniFolder + store_.IniFileName; }

std::vector<std::string> SettingsStore::sectionNames() {
  if (!store_.IniFile) throw std::runtime_error("no settings file is open");
  return store_.IniFile->sectionNames();
}

std::vector<std::string> SettingsStore::valueNames(const std::string& section, std::size_t* beyond) {
  std::vector<std::string> listed;
  store_.GetPrefValueNames(std::string(), section, listed);
  boxes_.check();
  if (beyond) *beyond = store_.IniFile ? store_.IniFile->entryNames(section).size() - listed.size() : 0;
  // A name written twice by hand is listed twice; only its first entry counts.
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (std::string& n : listed)
    if (seen.insert(platform::foldName(n)).second) names.push_back(std::move(n));
  return names;
}

std::string SettingsStore::text(const std::string& group, const std::string& name, bool* cut) {
  std::string value = store_.GetPrefString(group, name, std::string());
  boxes_.check();
  if (cut && store_.IniFile) {
    const auto whole = store_.IniFile->readString(PrefSectionName(group), name);
    *cut = whole && *whole != value;
  }
  return value;
}

void SettingsStore::setString(const std::string& group, const std::string& name, const std::string& value) {
  store_.SetPrefString(group, name, value);
  boxes_.check();
}

void SettingsStore::setInteger(const std::string& group, const std::string& name, std::int32_t value) {
  store_.SetPrefInteger(group, name, value);
  boxes_.check();
}

void SettingsStore::setBinary(const std::string& group, const std::string& name, std::span<const std::uint8_t> data) {
  store_.SetPrefBinaryProc(group, name, data);
  boxes_.check();
}

void SettingsStore::checkCanWrite() {
  if (!store_.IniFile) throw std::runtime_error("no settings file is open");
  try {
    store_.IniFile->checkCanWrite();
  } catch (const std::exception& e) {
    throw std::runtime_error(asLines(e.what()));
  }
}

void SettingsStore::deleteValue(const std::string& group, const std::string& name) {
  store_.DeletePrefValue(group, name);
  boxes_.check();
}

void SettingsStore::deleteSection(const std::string& section) {
  const bool cleared = store_.DeletePrefKey(section);
  boxes_.check();
  if (!cleared) throw std::runtime_error("the section [" + section + "] of '" + fileName() + "' could not be cleared");
}

}  // namespace quillbray
