#include "import/DocumentBuilder.h"

#include <algorithm>

#include "platform/Text.h"
#include "prefs/Product.h"

namespace quillbray {
namespace {

bool blanksOnly(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

void DocumentBuilder::doctype(std::string_view name) {
  doc_.hasDoctype_ = true;
  doc_.doctypeName_ = name;
}

TextRef DocumentBuilder::append(std::string_view text) {
  const TextRef ref{static_cast<std::uint32_t>(doc_.pool_.size()), static_cast<std::uint32_t>(text.size())};
  doc_.pool_.append(text);
  return ref;
}

// Text that turned out not to be needed gives its room back when nothing was
// kept after it.
void DocumentBuilder::dropFromPool(TextRef& ref) {
  if (ref.offset + ref.length == doc_.pool_.size()) doc_.pool_.resize(ref.offset);
  ref = {};
}

const DocumentBuilder::Name& DocumentBuilder::name(const void* localKey, const void* prefixKey,
                                                   std::string_view local, std::string_view prefix) {
  auto [it, added] = names_.try_emplace({localKey, prefixKey});
  if (added) {
    std::string qualified = prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
    static const std::string product = platform::lowerCase(ProductBaseName);
    it->second.product = platform::lowerCase(qualified) == product;
    it->second.text = append(qualified);
  }
  return it->second;
}

void DocumentBuilder::addContent(Frame& f, Node kind) {
  if (f.contentNodes == 0) f.firstIsText = kind == Node::Text;
  if (f.contentNodes < 2) ++f.contentNodes;
  // A second content node: the element is no text element, its text unused.
  if (f.contentNodes == 2 && f.text.length > 0) dropFromPool(f.text);
}

void DocumentBuilder::closeRun(Frame& f) {
  if (f.last != Node::Text || f.runBytes == 0) return;
  if (f.keepingText) f.text.length = static_cast<std::uint32_t>(doc_.pool_.size() - f.text.offset);
  f.keepingText = false;
  f.runBytes = 0;
  if (f.runBlank) {
    dropFromPool(f.text);
    return;
  }
  addContent(f, Node::Text);
}

void DocumentBuilder::childNode(Node kind) {
  if (frames_.empty()) return;  // before or after the root element
  Frame& f = frames_.back();
  closeRun(f);
  // Adjacent CDATA sections make one node.
  const bool merged = kind == Node::CData && f.last == Node::CData;
  f.last = kind;
  if (!merged) addContent(f, Node::Other);
}

void DocumentBuilder::cdata() { childNode(Node::CData); }
void DocumentBuilder::otherNode() { childNode(Node::Other); }

std::size_t DocumentBuilder::characters(std::string_view text) {
  if (frames_.empty() || text.empty()) return 0;
  Frame& f = frames_.back();
  if (f.last != Node::Text || f.runBytes == 0) {  // a new text node
    f.last = Node::Text;
    f.runBlank = true;
    // Only a first content node can be an element's only one.
    f.keepingText = (f.role == Role::Entry || f.role == Role::Value) && f.contentNodes == 0;
    if (f.keepingText) f.text = {static_cast<std::uint32_t>(doc_.pool_.size()), 0};
  }
  f.runBytes += text.size();
  if (f.runBlank) f.runBlank = blanksOnly(text);
  if (f.keepingText) doc_.pool_.append(text);
  return f.runBytes;
}

void DocumentBuilder::drop(ConfigDrop drop) {
  if (doc_.drops_.size() < kMaxKeptDrops) doc_.drops_.push_back(drop);
  else ++doc_.dropsNotKept_;
}

void DocumentBuilder::startElement(const void* localKey, const void* prefixKey, std::string_view local,
                                   std::string_view prefix, ValueType type, const std::string_view* typeText,
                                   std::uint32_t line) {
  Frame f;
  f.line = line;
  f.type = type;
  f.typeGiven = typeText != nullptr;
  if (frames_.empty()) {
    f.role = Role::Root;
    doc_.hasRoot_ = true;
    doc_.rootName_ = prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
  } else {
    childNode(Node::Other);
    switch (frames_.back().role) {
      case Role::Root: {
        const Name& n = name(localKey, prefixKey, local, prefix);
        if (n.product) f.role = Role::Product;
        else drop({ConfigDrop::Kind::NotProduct, line, n.text, {}, {}});
        break;
      }
      case Role::Product:
        f.role = Role::Scope;
        f.name = name(localKey, prefixKey, local, prefix).text;
        f.index = static_cast<std::uint32_t>(doc_.scopes_.size());
        doc_.scopes_.push_back({f.name, line, static_cast<std::uint32_t>(doc_.entries_.size()), 0});
        break;
      case Role::Scope:
        f.role = Role::Entry;
        f.name = name(localKey, prefixKey, local, prefix).text;
        f.index = static_cast<std::uint32_t>(doc_.entries_.size());
        doc_.entries_.push_back({f.name, line, false, static_cast<std::uint32_t>(doc_.values_.size()), 0});
        if (typeText && type == ValueType::None) f.typeText = append(*typeText);
        break;
      case Role::Entry:
        // A value without a known type writes nothing; only its being there counts.
        f.name = name(localKey, prefixKey, local, prefix).text;
        if (type != ValueType::None) {
          f.role = Role::Value;
        } else if (!typeText) {
          drop({ConfigDrop::Kind::NoType, line, f.name, frames_.back().name, {}});
        } else {
          drop({ConfigDrop::Kind::UnknownType, line, f.name, frames_.back().name, append(*typeText)});
        }
        break;
      default: break;
    }
  }
  frames_.push_back(f);
}

void DocumentBuilder::endElement() {
  if (frames_.empty()) return;
  Frame& f = frames_.back();
  closeRun(f);
  const std::uint32_t values = static_cast<std::uint32_t>(doc_.values_.size());
  switch (f.role) {
    case Role::Scope: {
      ConfigScope& scope = doc_.scopes_[f.index];
      scope.entryCount = static_cast<std::uint32_t>(doc_.entries_.size()) - scope.firstEntry;
      if (textElement(f)) drop({ConfigDrop::Kind::TextInProduct, f.line, f.name, {}, {}});
      if (scope.entryCount == 0) doc_.scopes_.pop_back();  // nothing in it for the walk
      break;
    }
    case Role::Entry: {
      ConfigEntry& entry = doc_.entries_[f.index];
      if (textElement(f)) {
        entry.loose = true;
        doc_.values_.push_back({f.name, f.text, f.line, f.type, ValueContent::Text});
        if (f.type == ValueType::None)
          drop({f.typeGiven ? ConfigDrop::Kind::UnknownType : ConfigDrop::Kind::NoType, f.line, f.name, {},
                f.typeText});
        entry.valueCount = 1;
      } else if (f.contentNodes == 0) {
        doc_.entries_.pop_back();  // an empty group is never opened
        if (f.typeGiven) drop({ConfigDrop::Kind::EmptyLooseValue, f.line, f.name, {}, {}});
      } else {
        entry.valueCount = values - entry.firstValue;
      }
      break;
    }
    case Role::Value:
      doc_.values_.push_back({f.name, textElement(f) ? f.text : TextRef{}, f.line, f.type,
                              textElement(f)         ? ValueContent::Text
                              : f.contentNodes == 0  ? ValueContent::Empty
                                                     : ValueContent::Other});
      break;
    default: break;
  }
  frames_.pop_back();
}

}  // namespace quillbray
