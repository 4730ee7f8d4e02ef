#include "import/ConfigDocument.h"

#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parser.h>

#include <map>

#include "import/MarkupScan.h"
#include "import/XmlParse.h"
#include "platform/Files.h"

namespace quillbray {
namespace {

void refuseRequestedResource(const std::string& requested) {
  if (!requested.empty())
    throw ImportError("the document refers to the external resource '" + requested + "', which is not read");
}

std::string firstExternalParameterEntity(const xmlDoc* doc) {
  std::string found;
  if (!doc->intSubset || !doc->intSubset->pentities) return found;
  xmlHashScan(
      static_cast<xmlHashTable*>(doc->intSubset->pentities),
      [](void* payload, void* data, const xmlChar* name) {
        auto* out = static_cast<std::string*>(data);
        if (static_cast<xmlEntity*>(payload)->etype == XML_EXTERNAL_PARAMETER_ENTITY && out->empty())
          *out = reinterpret_cast<const char*>(name);
      },
      &found);
  return found;
}

// Looks at every entity reference of a document whose references are not yet
// replaced. It refuses a reference that would need something from outside the
// file (an external entity, or one the file does not declare, which only its
// external document type could supply: the parser would leave it empty), and a
// document whose references would add more than the limit's text (nested
// entities, "billion laughs", or one large entity used many times) or make
// more references than the limit, counting those inside an entity at each use
// (the parser reads an entity's text again at each use, even an empty one),
// before any of that is built.
class EntityCheck {
 public:
  EntityCheck(const xmlDoc* doc, const ConfigLimits& limits) : doc_(doc), limits_(limits) {}

  // Answers whether the tree holds any reference at all.
  bool checkTree(const xmlNode* node) {
    for (; node; node = node->next) {
      if (node->type == XML_ENTITY_REF_NODE) add(weigh(node->name, 0));
      if (node->type == XML_ELEMENT_NODE) {
        for (const xmlAttr* attr = node->properties; attr; attr = attr->next) checkTree(attr->children);
        checkTree(node->children);
      }
    }
    return total_.references > 0;
  }

 private:
  // What one use of an entity brings: its text's length and the references
  // it makes, itself included.
  struct Weight {
    std::size_t bytes = 0;
    std::size_t references = 1;
  };

  void add(const Weight& w) {
    total_.bytes += w.bytes;
    total_.references += w.references;
    checkBytes(total_.bytes);
    checkReferences(total_.references);
  }
  void checkBytes(std::size_t bytes) const {
    if (bytes > limits_.maxEntityExpansion)
      throw ImportError("the document's entities expand to more than " +
                        GroupedNumber(limits_.maxEntityExpansion / (1024 * 1024)) + " MiB of text");
  }
  void checkReferences(std::size_t references) const {
    if (references > limits_.maxEntityReferences)
      throw ImportError("the document's entity references, with those inside entities counted at each use, are "
                        "more than " +
                        GroupedNumber(limits_.maxEntityReferences) + "; at most " +
                        GroupedNumber(limits_.maxEntityReferences) + " are read");
  }

  // Each entity is measured once.
  Weight weigh(const xmlChar* name, int depth) {
    const std::string key = reinterpret_cast<const char*>(name);
    if (const auto it = weights_.find(key); it != weights_.end()) return it->second;
    if (depth > 40) throw ImportError("the document's entities are nested too deeply");
    const xmlEntity* entity = xmlGetDocEntity(doc_, name);
    if (!entity)
      throw ImportError("the document uses the entity '" + key +
                        "', which it does not declare (an external definition is not read)");
    if (entity->etype != XML_INTERNAL_GENERAL_ENTITY && entity->etype != XML_INTERNAL_PREDEFINED_ENTITY)
      throw ImportError("the document uses the external entity '" + key + "', which is not read");
    const std::string text = entity->content ? reinterpret_cast<const char*>(entity->content) : "";
    Weight weight;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t end =
          text[i] == '&' && i + 1 < text.size() && text[i + 1] != '#' ? text.find(';', i) : std::string::npos;
      if (end == std::string::npos) {
        ++weight.bytes;
        continue;
      }
      const std::string inner = text.substr(i + 1, end - i - 1);
      const Weight w = weigh(reinterpret_cast<const xmlChar*>(inner.c_str()), depth + 1);
      weight.bytes += w.bytes;
      weight.references += w.references;
      checkBytes(weight.bytes);
      checkReferences(weight.references);
      i = end;
    }
    weights_[key] = weight;
    return weight;
  }

  const xmlDoc* doc_;
  const ConfigLimits& limits_;
  Weight total_{0, 0};
  std::map<std::string, Weight> weights_;
};

}  // namespace

ConfigDocument::ConfigDocument(const std::string& fileName, const ConfigLimits& limits) : limits_(limits) {
  try {
    content_ = platform::readRegularFile(fileName, kMaxConfigFileBytes);
  } catch (const platform::FileError& e) {
    throw ImportError(e.what());
  }
  CheckMarkup(content_, limits_);
  // Entity references stay unreplaced for now: nothing is expanded before
  // ExpandEntities has looked at them.
  doc_ = ParseXml(content_, 0, limits_, requested_);
}

void ConfigDocument::ExpandEntities() {
  // An external parameter entity exists only to bring declarations in from
  // outside; without them the document type would be read differently.
  if (const std::string name = firstExternalParameterEntity(doc_.get()); !name.empty())
    throw ImportError("the document type includes the external entity '%" + name + "', which is not read");
  refuseRequestedResource(requested_);
  if (EntityCheck(doc_.get(), limits_).checkTree(doc_->children)) {
    // NOENT replaces internal entity references by their text, as the format
    // expects, and turns on the parser's own expansion limits as well. The
    // first tree goes first: two at once would double the memory.
    doc_.reset();
    doc_ = ParseXml(content_, XML_PARSE_NOENT, limits_, requested_);
    refuseRequestedResource(requested_);
  }
  content_.clear();
  content_.shrink_to_fit();  // the document holds all that is needed from here on
}

const xmlNode* ConfigDocument::Root() const { return xmlDocGetRootElement(doc_.get()); }

std::string ConfigDocument::DoctypeName() const {
  const xmlDtd* dtd = doc_->intSubset;
  return dtd && dtd->name ? reinterpret_cast<const char*>(dtd->name) : "";
}

bool ConfigDocument::HasDoctype() const { return doc_->intSubset != nullptr; }

std::string NodeName(const xmlNode* node) {
  switch (node->type) {
    case XML_ELEMENT_NODE: {
      std::string name = reinterpret_cast<const char*>(node->name);
      if (node->ns && node->ns->prefix) name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
      return name;
    }
    case XML_TEXT_NODE: return "#text";
    case XML_CDATA_SECTION_NODE: return "#cdata-section";
    case XML_COMMENT_NODE: return "#comment";
    case XML_PI_NODE: return node->name ? reinterpret_cast<const char*>(node->name) : "";
    default: return node->name ? reinterpret_cast<const char*>(node->name) : "";
  }
}

namespace {
bool whiteSpaceOnly(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE) return false;
  for (const xmlChar* p = node->content; p && *p; ++p)
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') return false;
  return true;
}
}  // namespace

std::vector<xmlNode*> ChildNodes(const xmlNode* node) {
  std::vector<xmlNode*> children;
  if (node->type != XML_ELEMENT_NODE) return children;
  for (xmlNode* child = node->children; child; child = child->next)
    if (!whiteSpaceOnly(child)) children.push_back(child);
  return children;
}

bool IsTextElement(const xmlNode* node) {
  const auto children = ChildNodes(node);
  return node->type == XML_ELEMENT_NODE && children.size() == 1 && children[0]->type == XML_TEXT_NODE;
}

std::string ElementText(const xmlNode* node) {
  const auto children = ChildNodes(node);
  if (children.size() != 1 || !children[0]->content) return {};
  return reinterpret_cast<const char*>(children[0]->content);
}

std::string TypeAttribute(const xmlNode* node) {
  if (node->type != XML_ELEMENT_NODE) return {};
  xmlChar* value = xmlGetNoNsProp(node, reinterpret_cast<const xmlChar*>("type"));
  if (!value) return {};
  std::string type = reinterpret_cast<const char*>(value);
  xmlFree(value);
  return type;
}

}  // namespace quillbray
