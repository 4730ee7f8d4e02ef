// The initialization-file format: parsing, lookups and edits, writing back.
#include "platform/IniFile.h"
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

bool sameName(std::string_view stored, std::string_view wanted) {
  if (stored.size() == wanted.size() && stored == wanted) return true;
  return foldName(stored) == foldName(wanted);
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
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = trim(bytes.substr(pos, end - pos));
    pos = end;
    if (pos < bytes.size()) pos += bytes.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    if (line.empty()) continue;
    if (doc.lines_.size() == kMaxIniFileLines)
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
    } else if (line.front() != ';' && equals != std::string_view::npos && !trim(line.substr(0, equals)).empty()) {
      // An unclosed "[..." with "=" is an entry, as Windows reads it.
      l.kind = Kind::Entry;
      l.nameSize = static_cast<std::uint32_t>(trim(line.substr(0, equals)).size());
      std::size_t v = equals + 1;
      while (v < line.size() && blank(line[v])) ++v;
      l.valueAt = static_cast<std::uint32_t>(v);
    }
    doc.lines_.push_back(std::move(l));
  }
  return doc;
}
std::string IniDocument::text() const {
  std::string out;
  if (bom_) out += kBom;
  for (const Line& l : lines_) {
    out += l.text;
    out += "\r\n";
  }
  return out;
}

// The lines before the first header form the section "" (never written).
std::optional<IniDocument::Range> IniDocument::find(std::string_view section) const {
  section = trim(section);
  std::size_t i = 0;
  if (!section.empty()) {
    while (i < lines_.size() && !(lines_[i].kind == Kind::Section && sameName(lines_[i].name(), section))) ++i;
    if (i == lines_.size()) return std::nullopt;
    ++i;
  }
  std::size_t end = i;
  while (end < lines_.size() && lines_[end].kind != Kind::Section) ++end;
  return Range{i, end};
}

std::optional<std::size_t> IniDocument::findEntry(const Range& r, std::string_view name) const {
  name = trim(name);
  for (std::size_t i = r.begin; i < r.end; ++i)
    if (lines_[i].kind == Kind::Entry && sameName(lines_[i].name(), name)) return i;
  return std::nullopt;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view name) const {
  const auto r = find(section);
  if (!r) return std::nullopt;
  const auto at = findEntry(*r, name);
  if (!at) return std::nullopt;
  return std::string(lines_[*at].value());
}

std::vector<std::string> IniDocument::names(std::string_view section) const {
  std::vector<std::string> out;
  const auto r = find(section);
  if (!r) return out;
  for (std::size_t i = r->begin; i < r->end; ++i)
    if (lines_[i].kind == Kind::Entry) out.emplace_back(lines_[i].name());
  return out;
}

void IniDocument::set(std::string_view section, std::string_view name, std::string_view value) {
  section = trim(section);
  name = trim(name);
  auto r = find(section);
  if (!r) {
    Line header{Kind::Section, 1, static_cast<std::uint32_t>(section.size()), 0, "["};
    header.text.append(section).append("]");
    lines_.push_back(std::move(header));
    r = Range{lines_.size(), lines_.size()};
  }
  if (const auto at = findEntry(*r, name)) {
    lines_[*at] = entry(lines_[*at].name(), value);  // the entry keeps its spelling
    return;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(r->end), entry(name, value));
}

bool IniDocument::erase(std::string_view section, std::string_view name) {
  const auto r = find(section);
  if (!r) return false;
  const auto at = findEntry(*r, name);
  if (!at) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
  return true;
}

}  // namespace platform
