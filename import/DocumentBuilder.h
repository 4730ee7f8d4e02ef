// Builds a ConfigDocument from a parser's events, keeping only what the walk
// reads (see ConfigDocument.h).
//
// The walk's decisions rest on an element's content nodes, counted as a tree
// of the document would hold them: adjacent text (characters, references,
// entity text) makes one text node and adjacent CDATA sections one CDATA
// node; text of blanks alone (space, tab, CR, LF) is not content. A "text
// element" has exactly one content node, a text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "import/ConfigDocument.h"

namespace quillbray {

class DocumentBuilder {
 public:
  explicit DocumentBuilder(ConfigDocument& doc) : doc_(doc) {}

  void doctype(std::string_view name);

  // An element starts. The keys identify its local name and prefix (the
  // parser's interned strings: one pointer for each different name);
  // `prefix` is empty without one. `type` is what the "type" attribute
  // names; `typeText` the attribute as written, null without one.
  void startElement(const void* localKey, const void* prefixKey, std::string_view local, std::string_view prefix,
                    ValueType type, const std::string_view* typeText, std::uint32_t line);
  void endElement();
  // Text of the current element. Answers the length of the text node it is
  // part of so far.
  std::size_t characters(std::string_view text);
  void cdata();
  void otherNode();  // a comment or a processing instruction
  // The document's entity problem, for ConfigDocument::CheckEntities.
  void refuseEntities(std::string why) { doc_.entityRefusal_ = std::move(why); }

 private:
  enum class Role : std::uint8_t { Root, Product, Scope, Entry, Value, Ignored };
  enum class Node : std::uint8_t { None, Text, CData, Other };

  struct Frame {
    Role role = Role::Ignored;
    Node last = Node::None;        // the last child node, blank text included
    std::uint8_t contentNodes = 0;  // counted up to 2
    bool firstIsText = false;
    bool runBlank = true;     // the open text run (last == Text) has only blanks so far
    bool keepingText = false;  // the open run goes to the pool: it may be the only content
    std::size_t runBytes = 0;
    TextRef text;              // the kept run
    TextRef name;
    std::uint32_t line = 0;
    std::uint32_t index = 0;  // Scope: into scopes_; Entry: into entries_
    ValueType type = ValueType::None;
    bool typeGiven = false;
    TextRef typeText;  // an Entry's "type" when it names no type
  };

  struct KeyHash {
    std::size_t operator()(const std::pair<const void*, const void*>& k) const {
      return std::hash<const void*>()(k.first) * 31 + std::hash<const void*>()(k.second);
    }
  };
  struct Name {
    TextRef text;
    bool product = false;  // the product's element, in any letter case
  };

  const Name& name(const void* localKey, const void* prefixKey, std::string_view local, std::string_view prefix);
  TextRef append(std::string_view text);
  void dropFromPool(TextRef& ref);
  void closeRun(Frame& f);
  void addContent(Frame& f, Node kind);
  void childNode(Node kind);
  bool textElement(const Frame& f) const { return f.contentNodes == 1 && f.firstIsText; }
  void drop(ConfigDrop drop);

  ConfigDocument& doc_;
  std::vector<Frame> frames_;
  std::unordered_map<std::pair<const void*, const void*>, Name, KeyHash> names_;
};

}  // namespace quillbray
