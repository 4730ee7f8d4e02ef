// The initialization-file format: parsing, lookups and edits, writing back.
#include "platform/IniFile.h"

#include <algorithm>

#include "platform/Text.h"

namespace platform {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool blank(char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

IniDocument::Line IniDocument::entry(std::string_view name, std::string_view value) {
  Line l{Kind::Entry, 0, static_cast<std::uint32_t>(name.size()), static_cast<std::uint32_t>(name.size() + 1), {}};
  l.text.reserve(name.size() + 1 + value.size());
  l.text.append(name).append("=").append(value);
  return l;
}

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument doc;
  if (bytes.substr(0, kBom.size()) == kBom) {
    doc.bom_ = true;
    bytes.remove_prefix(kBom.size());
  }
  std::size_t pos = 0, count = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = trim(bytes.substr(pos, end - pos));
    pos = end;
    if (pos < bytes.size()) pos += bytes.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    if (line.empty()) continue;
    if (count++ == kMaxIniFileLines)
      throw IniFileError("the file has more than " + std::to_string(kMaxIniFileLines) + " lines; it was not read");

    Line l{Kind::Other, 0, 0, 0, std::string(line)};
    const std::size_t close = line.find(']');
    const std::size_t equals = line.find('=');
    const auto offset = [&](std::string_view part) { return static_cast<std::uint32_t>(part.data() - line.data()); };
    if (line.front() == '[' && close != std::string_view::npos) {
      l.kind = Kind::Section;
      const std::string_view name = trim(line.substr(1, close - 1));
      l.nameAt = name.empty() ? 1 : offset(name);
      l.nameSize = static_cast<std::uint32_t>(name.size());
      doc.addSection(std::move(l), foldName(name));
      continue;
    }
    if (line.front() != ';' && equals != std::string_view::npos && !trim(line.substr(0, equals)).empty()) {
      // An unclosed "[..." with "=" is an entry, as Windows reads it.
      l.kind = Kind::Entry;
      l.nameSize = static_cast<std::uint32_t>(trim(line.substr(0, equals)).size());
      std::size_t v = equals + 1;
      while (v < line.size() && blank(line[v])) ++v;
      l.valueAt = static_cast<std::uint32_t>(v);
    }
    doc.sections_.back().lines.push_back(std::move(l));
  }
  for (Section& s : doc.sections_) s.index();
  return doc;
}

std::string IniDocument::text() const {
  std::size_t size = kBom.size();
  for (const Section& s : sections_) {
    size += s.header.text.size() + 2;
    for (const Line& l : s.lines) size += l.text.size() + 2;
  }
  std::string out;
  out.reserve(size);
  if (bom_) out += kBom;
  for (const Section& s : sections_) {
    if (&s != &sections_.front()) out.append(s.header.text).append("\r\n");
    for (const Line& l : s.lines) {
      if (l.kind == Kind::Erased) continue;
      out.append(l.text).append("\r\n");
    }
  }
  // A first line that starts with U+FEFF would read as a byte-order mark
  // and the rest of the line: a blank line keeps it a line of its own.
  if (!bom_ && out.starts_with(kBom)) out.insert(0, "\r\n");
  return out;
}

// Chains the entries of each name from the last one up, so that the index
// ends at the first.
void IniDocument::Section::index() {
  for (auto at = static_cast<std::uint32_t>(lines.size()); at-- > 0;) {
    Line& l = lines[at];
    if (l.kind != Kind::Entry) continue;
    const auto [first, added] = entries.try_emplace(foldName(l.name()), at);
    if (added) continue;
    l.nextSame = first->second;
    first->second = at;
  }
}

const IniDocument::Line* IniDocument::Section::find(const std::string& fold) const {
  const auto at = entries.find(fold);
  return at == entries.end() ? nullptr : &lines[at->second];
}

// Only the first of a name is ever erased: the next one, if any, takes its
// place in the index.
void IniDocument::Section::erase(Index::iterator at) {
  Line& l = lines[at->second];
  if (l.nextSame == kNone) entries.erase(at);
  else at->second = l.nextSame;
  l = Line{Kind::Erased, 0, 0, 0, {}};
  ++erased;
  if (erased >= 64 && erased * 2 > lines.size()) compact();
}

// Drops the erased lines, moving the positions in the index along.
void IniDocument::Section::compact() {
  std::vector<std::uint32_t> moved(lines.size(), kNone);
  std::vector<Line> kept;
  kept.reserve(lines.size() - erased);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == Kind::Erased) continue;
    moved[i] = static_cast<std::uint32_t>(kept.size());
    kept.push_back(std::move(lines[i]));
  }
  for (Line& l : kept)
    if (l.nextSame != kNone) l.nextSame = moved[l.nextSame];
  for (auto& [fold, first] : entries) first = moved[first];
  lines = std::move(kept);
  erased = 0;
}

void IniDocument::addSection(Line header, std::string fold) {
  const auto at = static_cast<std::uint32_t>(sections_.size());
  if (header.nameSize > 0) sectionIndex_.try_emplace(std::move(fold), at);
  sections_.push_back(Section{std::move(header), {}, {}, 0});
}

std::size_t IniDocument::sectionAt(std::string_view section, const std::string& fold) const {
  if (section.empty()) return 0;
  const auto at = sectionIndex_.find(fold);
  return at == sectionIndex_.end() ? sections_.size() : at->second;
}

const IniDocument::Section* IniDocument::find(std::string_view section) const {
  section = trim(section);
  const std::size_t at = sectionAt(section, foldName(section));
  return at == sections_.size() ? nullptr : &sections_[at];
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view name) const {
  const Section* s = find(section);
  if (!s) return std::nullopt;
  const Line* l = s->find(foldName(trim(name)));
  if (!l) return std::nullopt;
  return std::string(l->value());
}

std::vector<std::string> IniDocument::names(std::string_view section) const {
  std::vector<std::string> out;
  const Section* s = find(section);
  if (!s) return out;
  for (const Line& l : s->lines)
    if (l.kind == Kind::Entry) out.emplace_back(l.name());
  return out;
}

std::vector<std::string> IniDocument::sectionNames() const {
  // The index holds the first section of each name; its order is none, so
  // the sections' places give file order.
  std::vector<std::uint32_t> places;
  places.reserve(sectionIndex_.size());
  for (const auto& [fold, at] : sectionIndex_) places.push_back(at);
  std::sort(places.begin(), places.end());
  std::vector<std::string> out;
  out.reserve(places.size());
  for (const std::uint32_t at : places) out.emplace_back(sections_[at].header.name());
  return out;
}

void IniDocument::set(std::string_view section, std::string_view name, std::string_view value) {
  section = trim(section);
  name = trim(name);
  std::string sectionFold = foldName(section);
  const std::size_t found = sectionAt(section, sectionFold);
  if (found == sections_.size()) {
    Line header{Kind::Section, 1, static_cast<std::uint32_t>(section.size()), 0, "["};
    header.text.append(section).append("]");
    addSection(std::move(header), std::move(sectionFold));
  }
  Section* s = &sections_[found];
  std::string fold = foldName(name);
  if (const auto at = s->entries.find(fold); at != s->entries.end()) {
    Line& l = s->lines[at->second];
    const std::uint32_t next = l.nextSame;
    l = entry(l.name(), value);  // the entry keeps its spelling
    l.nextSame = next;
    return;
  }
  const auto at = static_cast<std::uint32_t>(s->lines.size());
  s->entries.emplace(std::move(fold), at);
  s->lines.push_back(entry(name, value));
}

bool IniDocument::erase(std::string_view section, std::string_view name) {
  section = trim(section);
  const std::size_t found = sectionAt(section, foldName(section));
  if (found == sections_.size()) return false;
  Section* s = &sections_[found];
  const auto at = s->entries.find(foldName(trim(name)));
  if (at == s->entries.end()) return false;
  s->erase(at);
  return true;
}

}  // namespace platform
