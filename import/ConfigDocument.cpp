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

// External resources the parser asked for during the current parse.
thread_local std::string* requestedResource = nullptr;

xmlParserInputPtr refuseExternalResource(const char* url, const char* id, xmlParserCtxtPtr) {
  if (requestedResource && requestedResource->empty())
    *requestedResource = url ? url : id ? id : "?";
  return nullptr;
}

// Installs the refusing loader for one parse; libxml2 keeps it process-wide.
class ScopedEntityLoader {
 public:
  explicit ScopedEntityLoader(std::string& requested) : previous_(xmlGetExternalEntityLoader()) {
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

// The name of the first external entity declared in a table, if any.
std::string firstExternalEntity(xmlHashTable* entities) {
  std::string found;
  if (!entities) return found;
  xmlHashScan(
      entities,
      [](void* payload, void* data, const xmlChar* name) {
        auto* entity = static_cast<xmlEntity*>(payload);
        auto* out = static_cast<std::string*>(data);
        const bool external = entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY ||
                              entity->etype == XML_EXTERNAL_GENERAL_UNPARSED_ENTITY ||
                              entity->etype == XML_EXTERNAL_PARAMETER_ENTITY;
        if (external && out->empty()) *out = reinterpret_cast<const char*>(name);
      },
      &found);
  return found;
}

void refuseExternalReferences(const xmlDoc* doc, const std::string& requested) {
  const xmlDtd* dtd = doc->intSubset;
  if (dtd && (dtd->ExternalID || dtd->SystemID))
    throw ImportError("the document type declaration refers to an external definition (" +
                      std::string(reinterpret_cast<const char*>(dtd->SystemID ? dtd->SystemID : dtd->ExternalID)) +
                      "), which is not read");
  if (dtd) {
    const std::string general = firstExternalEntity(static_cast<xmlHashTable*>(dtd->entities));
    if (!general.empty()) throw ImportError("the document declares the external entity '" + general + "', which is not read");
    const std::string parameter = firstExternalEntity(static_cast<xmlHashTable*>(dtd->pentities));
    if (!parameter.empty())
      throw ImportError("the document declares the external entity '%" + parameter + "', which is not read");
  }
  if (!requested.empty())
    throw ImportError("the document refers to the external resource '" + requested + "', which is not read");
}


// What the last parse asked the refusing loader for.
thread_local std::string requestedDuringParse;

// HUGE (which lifts the parser's limits), DTDLOAD, DTDATTR and XINCLUDE stay off.
XmlDocument parse(const std::string& content, int extraOptions) {
  std::unique_ptr<xmlParserCtxt, ParserCtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw ImportError("out of memory");
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | extraOptions;
  requestedDuringParse.clear();
  XmlDocument doc;
  {
    ScopedEntityLoader loader(requestedDuringParse);
    doc.reset(xmlCtxtReadMemory(ctxt.get(), content.data(), static_cast<int>(content.size()), nullptr, nullptr,
                                options));
  }
  if (!doc || !ctxt->wellFormed) throw ImportError(parserMessage(ctxt.get()));
  return doc;
}

bool declaresEntities(const xmlDoc* doc) {
  return doc->intSubset && doc->intSubset->entities &&
         xmlHashSize(static_cast<xmlHashTable*>(doc->intSubset->entities)) > 0;
}

// The most text that entity references may add to a document.
constexpr std::size_t kMaxEntityExpansion = 4 * 1024 * 1024;

// Sizes the text that every entity reference of a document (not yet
// expanded) would become, and refuses the document when that is more than
// kMaxEntityExpansion: nested entities ("billion laughs") and one large entity
// used many times both end here, before any of it is built.
class EntityWeigher {
 public:
  explicit EntityWeigher(const xmlDoc* doc) : doc_(doc) {}

  void weighTree(const xmlNode* node) {
    for (; node; node = node->next) {
      if (node->type == XML_ENTITY_REF_NODE) add(sizeOf(node->name, 0));
      if (node->type == XML_ELEMENT_NODE) {
        for (const xmlAttr* attr = node->properties; attr; attr = attr->next) weighTree(attr->children);
        weighTree(node->children);
      }
    }
  }

 private:
  void add(std::size_t n) {
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
    if (!entity || !entity->content) return 0;
    const std::string text = reinterpret_cast<const char*>(entity->content);
    std::size_t size = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const std::size_t end = text[i] == '&' && i + 1 < text.size() && text[i + 1] != '#' ? text.find(';', i) : std::string::npos;
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
  std::size_t total_ = 0;
  std::map<std::string, std::size_t> sizes_;
};

void checkEntityExpansion(const xmlDoc* doc) { EntityWeigher(doc).weighTree(doc->children); }

}  // namespace

XmlDocument LoadConfigDocument(const std::string& fileName) {
  std::string content;
  try {
    content = platform::readRegularFile(fileName, kMaxConfigFileBytes);
  } catch (const platform::FileError& e) {
    throw ImportError(e.what());
  }

  // First without replacing entity references: nothing is expanded yet, so
  // the document's entities can be weighed before they are let loose.
  XmlDocument doc = parse(content, 0);
  refuseExternalReferences(doc.get(), requestedDuringParse);
  if (!declaresEntities(doc.get())) return doc;  // nothing to replace: this is the document

  checkEntityExpansion(doc.get());
  // NOENT replaces internal entity references by their text, as the format
  // expects, and turns on the parser's own expansion limits as well.
  doc = parse(content, XML_PARSE_NOENT);
  refuseExternalReferences(doc.get(), requestedDuringParse);
  return doc;
}

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
