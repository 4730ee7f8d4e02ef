#include "import/ConfigLint.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/Globals.h"
#include "import/Decoding.h"
#include "platform/Text.h"
#include "platform/Utf8.h"
#include "settings/Catalogue.h"

namespace quillbray {
namespace {

using saving::ValueKind;

const char* kindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::Integer: return "an integer";
    case ValueKind::Colour: return "an integer (a colour)";
    case ValueKind::Boolean: return "a boolean";
    case ValueKind::String: return "a string";
    case ValueKind::Path: return "a string (a path)";
  }
  return "";
}

std::size_t characters(const std::string& text) {
  std::size_t n = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

std::string folded(const std::string& name) {
  std::string out;
  for (const char c : platform::lowerCase(name))
    if (c != ' ' && c != '_') out += c;
  return out;
}

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// "file 12" in any letter case: the slot number, else -1.
long listSlot(const std::string& name) {
  const std::string prefix = saving::kListValuePrefix;
  if (name.size() <= prefix.size() || name.size() > prefix.size() + 9 ||
      platform::lowerCase(name.substr(0, prefix.size())) != prefix)
    return -1;
  const std::string digits = name.substr(prefix.size());
  if (digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::stol(digits);
}

}  // namespace

bool KindReadsFrom(ValueKind kind, ValueType type) {
  switch (kind) {
    case ValueKind::Integer:
    case ValueKind::Colour:
    case ValueKind::Boolean: return type == ValueType::Integer || type == ValueType::Boolean;
    case ValueKind::String:
    case ValueKind::Path: return type == ValueType::String;
  }
  return false;
}

std::vector<std::string> ClosestNames(const std::string& name, const std::vector<std::string>& names) {
  const std::string key = folded(name);
  std::vector<std::pair<std::size_t, std::string>> scored;
  const std::size_t allowed = std::max<std::size_t>(2, key.size() / 4);
  for (const std::string& candidate : names) {
    const std::size_t d = editDistance(key, folded(candidate));
    if (d <= allowed) scored.emplace_back(d, candidate);
  }
  std::stable_sort(scored.begin(), scored.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  std::vector<std::string> out;
  for (const auto& [d, candidate] : scored) {
    if (out.size() == 3 || d > scored.front().first) break;
    out.push_back(candidate);
  }
  return out;
}

// Said as the --strict notices say theirs.
void ConfigLint::add(const WalkedEntry& entry, const std::string& what) {
  const char* kind = entry.group.empty() ? "loose value" : "value";
  findings.push_back({entry.line, NoticeMessage({entry.line, "", entry.group, entry.name, kind, what, ""})});
}

void ConfigLint::Check(const WalkedEntry& entry) {
  // A value directly in the scope is the product key's.
  const std::optional<TConfigGroup> group = entry.group.empty() ? cgProductKey : GroupOfName(entry.group);
  if (!group) return;  // the walk's own notice names a group the product does not have
  // The settings file keeps the two per-user scopes in different files; the
  // machine-wide one is not checked. A group is checked at its element, a
  // value directly in the scope at itself.
  // Only a group the saves write has a scope the product keeps it in.
  const bool groupElement = entry.name.empty();
  const bool saved = FindCatalogueGroup(*group) || *group == cgWindows;
  if (saved && (groupElement || entry.group.empty()) && entry.scope != cfgPerMachine &&
      CatalogueScope(*group) != entry.scope)
    add(entry, std::string("under ") + ScopeElementName(entry.scope) +
                   ", where the product does not read it: it keeps " +
                   (entry.group.empty() ? "the product key's values" : "this group") + " in " +
                   ScopeElementName(CatalogueScope(*group)) + " (the settings file keeps the two in different files)");
  if (!groupElement) checkValue(entry, *group);
}

void ConfigLint::checkValue(const WalkedEntry& entry, TConfigGroup group) {
  const CatalogueGroup* catalogue = FindCatalogueGroup(group);
  if (!catalogue) return;  // a group the catalogue writes no values of
  std::optional<CatalogueValue> known;
  if (catalogue->list) {
    const long slot = listSlot(entry.name);
    if (slot < 0) {
      add(entry, "the product has no value of this name in this group: it reads \"" +
                     std::string(saving::kListValuePrefix) + "0\", \"" + saving::kListValuePrefix + "1\"...");
      return;
    }
    if (catalogue->lastSlot >= 0 && slot > catalogue->lastSlot) {
      add(entry, "slot " + std::to_string(slot) + " is outside the product's slots 0-" +
                     std::to_string(catalogue->lastSlot));
      return;
    }
    known = CatalogueValue{entry.name, ValueKind::Path};
  } else {
    const std::string upper = platform::upperCase(entry.name);
    std::vector<std::string> names;
    for (const CatalogueValue& v : catalogue->values) {
      if (platform::upperCase(v.name) == upper) known = v;
      names.push_back(v.name);
    }
    if (!known) {
      std::string what = "the product has no value of this name in this group";
      const std::vector<std::string> closest = ClosestNames(entry.name, names);
      for (std::size_t i = 0; i < closest.size(); ++i)
        what += (i == 0 ? "; did you mean " : " or ") + platform::quotedPrintable(closest[i]);
      add(entry, closest.empty() ? what : what + "?");
      return;
    }
  }
  if (!KindReadsFrom(known->kind, entry.type)) {
    add(entry, "sent as " + std::string(ValueTypeName(entry.type)) + ", where the product saves and reads " +
                   kindName(known->kind));
    return;
  }
  if (known->maxLength > 0 && characters(entry.text) > known->maxLength)
    add(entry, std::to_string(characters(entry.text)) + " characters, where the product keeps at most " +
                   std::to_string(known->maxLength));
  if (known->kind == ValueKind::Colour && entry.type == ValueType::Integer) {
    const std::uint32_t colour = static_cast<std::uint32_t>(ReadIntegerText(entry.text));
    if (const std::uint32_t top = colour >> 24; top != 0x00 && top != 0xFF) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", colour);
      add(entry, std::string("the colour ") + hex +
                     " has a top byte of neither 0x00 (an RGB colour) nor 0xFF (a system colour by its low byte)");
    }
  }
  if (known->kind == ValueKind::Path) {
    if (entry.text.starts_with('[')) {
      const std::string token = entry.text.substr(0, entry.text.find(']') + 1);
      std::vector<std::string> tokens = PathTokenNames();
      tokens.push_back("[ExeDrive]");
      std::string respelled = platform::upperCase(token);
      std::replace(respelled.begin(), respelled.end(), '_', '-');
      if (respelled.starts_with("[CSIDL")) std::replace(respelled.begin(), respelled.end(), ' ', '-');
      const bool knownToken = std::any_of(tokens.begin(), tokens.end(), [&](const std::string& t) {
        return platform::upperCase(t) == respelled;
      });
      if (token.size() > 1 && !knownToken)
        add(entry, "the path token " + platform::quotedPrintable(token) + " is not one the product knows");
    } else if (const std::string collapsed = CollapsePathTokens(entry.text); collapsed != entry.text) {
      add(entry, platform::quotedPrintable(entry.text) + " names a folder of this machine; " +
                     platform::quotedPrintable(collapsed) + " carries it to every machine");
    }
  }
}

}  // namespace quillbray
