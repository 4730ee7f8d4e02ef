#include "import/ConfigDocument.h"

#include <libxml/entities.h>
#include <libxml/hash.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <map>

#include "platform/Files.h"

namespace quillbray {
namespace {

// What the parser asked the refusing loader for, during the parse under way.
thread_local std::string* requestedResource = nullptr;

xmlParserInputPtr refuseExternalResource(const char* url, const char* id, xmlParserCtxtPtr) {
  if (requestedResource && requestedResource->empty()) *requestedResource = url ? url : id ? id : "?";
  return nullptr;
}

// Installs the refusing loader for one parse (libxml2 keeps it process-wide)
// and records in `requested` the first resource asked for.
class ScopedEntityLoader {
 public:
  explicit ScopedEntityLoader(std::string& requested) : previous_(xmlGetExternalEntityLoader()) {
    requested.clear();
    requestedResource = &requested;
    xmlSetExternalEntityLoader(refuseExternalResource);
  }
  ~ScopedEntityLoader() {
    xmlSetExternalEntityLoader(previous_);
    requestedResource = nullptr;
  }
  ScopedEntityLoader(const ScopedEntityLoader&) = delete;
  ScopedEntityLoader& operator=(const ScopedEntityLoader&) = delete;

 private:
  xmlExternalEntityLoader previous_;
};

struct ParserCtxtFree {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

std::string parserMessage(xmlParserCtxt* ctxt) {
  const xmlError* error = xmlCtxtGetLastError(ctxt);
  if (!error || !error->message) return "the file is not well-formed XML";
  std::string message = error->message;
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  return error->line > 0 ? "line " + std::to_string(error->line) + ": " + message : message;
}

// HUGE (which lifts the parser's limits), DTDLOAD, DTDATTR and XINCLUDE stay
// off. `requested` receives the first external resource the parse asked for.
XmlDocument parse(const std::string& content, int extraOptions, std::string& requested) {
  std::unique_ptr<xmlParserCtxt, ParserCtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw ImportError("out of memory");
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | extraOptions;
  XmlDocument doc;
  {
    ScopedEntityLoader loader(requested);
    doc.reset(xmlCtxtReadMemory(ctxt.get(), content.data(), static_cast<int>(content.size()), nullptr, nullptr,
                                options));
  }
  if (!doc || !ctxt->wellFormed) throw ImportError(parserMessage(ctxt.get()));
  return doc;
}

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
// document whose references would add more than kMaxEntityExpansion of text
// (nested entities, "billion laughs", or one large entity used many times),
// before any of that text is built.
class EntityCheck {
 public:
  explicit EntityCheck(const xmlDoc* doc) : doc_(doc) {}

  // Answers whether the tree holds any reference at all.
  bool checkTree(const xmlNode* node) {
    for (; node; node = node->next) {
      if (node->type == XML_ENTITY_REF_NODE) add(sizeOf(node->name, 0));
      if (node->type == XML_ELEMENT_NODE) {
        for (const xmlAttr* attr = node->properties; attr; attr = attr->next) checkTree(attr->children);
        checkTree(node->children);
      }
    }
    return references_ > 0;
  }

 private:
  void add(std::size_t n) {
    ++references_;
    total_ += n;
    if (total_ > kMaxEntityExpansion || n > kMaxEntityExpansion)
      throw ImportError("the document's entities expand to more than " +
                        std::to_string(kMaxEntityExpansion / (1024 * 1024)) + " MiB of text");
  }

  // The expanded length of an entity's replacement text, references to other
  // entities included (each entity is measured once).
  std::size_t sizeOf(const xmlChar* name, int depth) {
    const std::string key = reinterpret_cast<const char*>(name);
    if (const auto it = sizes_.find(key); it != sizes_.end()) return it->second;
    if (depth > 40) throw ImportError("the document's entities are nested too deeply");
    const xmlEntity* entity = xmlGetDocEntity(doc_, name);
    if (!entity)
      throw ImportError("the document uses the entity '" + key +
                        "', which it does not declare (an external definition is not read)");
    if (entity->etype != XML_INTERNAL_GENERAL_ENTITY && entity->etype != XML_INTERNAL_PREDEFINED_ENTITY)
      throw ImportError("the document uses the external entity '" + key + "', which is not read");
    const std::string text = entity->content ? reinterpret_cast<const char*>(entity->content) : "";
    std::size_t size = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t end =
          text[i] == '&' && i + 1 < text.size() && text[i + 1] != '#' ? text.find(';', i) : std::string::npos;
      if (end == std::string::npos) {
        ++size;
        continue;
      }
      const std::string inner = text.substr(i + 1, end - i - 1);
      size += sizeOf(reinterpret_cast<const xmlChar*>(inner.c_str()), depth + 1);
      if (size > kMaxEntityExpansion) break;
      i = end;
    }
    sizes_[key] = size;
    return size;
  }

  const xmlDoc* doc_;
  std::size_t references_ = 0;
  std::size_t total_ = 0;
  std::map<std::string, std::size_t> sizes_;
};

}  // namespace

ConfigDocument::ConfigDocument(const std::string& fileName) {
  try {
    content_ = platform::readRegularFile(fileName, kMaxConfigFileBytes);
  } catch (const platform::FileError& e) {
    throw ImportError(e.what());
  }
  // Entity references stay unreplaced for now: nothing is expanded before
  // ExpandEntities has looked at them.
  doc_ = parse(content_, 0, requested_);
}

void ConfigDocument::ExpandEntities() {
  // An external parameter entity exists only to bring declarations in from
  // outside; without them the document type would be read differently.
  if (const std::string name = firstExternalParameterEntity(doc_.get()); !name.empty())
    throw ImportError("the document type includes the external entity '%" + name + "', which is not read");
  refuseRequestedResource(requested_);
  if (EntityCheck(doc_.get()).checkTree(doc_->children)) {
    // NOENT replaces internal entity references by their text, as the format
    // expects, and turns on the parser's own expansion limits as well.
    doc_ = parse(content_, XML_PARSE_NOENT, requested_);
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
