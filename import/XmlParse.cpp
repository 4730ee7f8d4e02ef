#include "import/XmlParse.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "import/DocumentBuilder.h"
#include "platform/XmlCodePages.h"

namespace quillbray {
namespace {

std::string_view view(const xmlChar* s) { return s ? reinterpret_cast<const char*>(s) : ""; }

// The parse under way on this thread. libxml2's handlers are process-wide or
// per thread, and the text of an entity is parsed in a context of its own
// with the same handlers, so they all find the parse here.
struct ParseWatch {
  xmlParserCtxt* ctxt = nullptr;  // the document's own context
  const ConfigLimits* limits = nullptr;
  DocumentBuilder* builder = nullptr;
  std::string requested;      // the first external resource the parser asked for
  std::string firstBlocking;  // the first error that leaves the document incomplete
  std::string firstError;
  std::string refusal;  // a limit exceeded; the parse was stopped for it
  // A fatal error was reported: the document cannot be read, and the parse
  // stops at the next handler (libxml2 2.9 goes on after some of them, over
  // a document type's parameter entities without end).
  bool fatal = false;
  // Entity problems, kept for ConfigDocument::CheckEntities.
  std::string externalParameterEntity;
  std::string entityProblem;
  std::size_t declarations = 0;
  std::size_t attributeDefaults = 0;
  std::size_t parameterText = 0;
  std::size_t parameterReferences = 0;
  std::size_t entityText = 0;
  std::size_t entityReferences = 0;
  std::size_t namespaces = 0;
  bool declaring = false;  // a parameter entity's declaration has just been read
  // What a use of a refused entity reads as: nothing.
  xmlEntity nothing{};
  // Entities of plain text, as the parser hands on predefined ones: their
  // text at once, without a parser of its own for each use.
  std::unordered_map<const xmlEntity*, std::unique_ptr<xmlEntity>> plainViews;

  xmlEntity* plainView(xmlEntity* entity) {
    auto& view = plainViews[entity];
    if (!view) {
      view = std::make_unique<xmlEntity>(*entity);
      view->etype = XML_INTERNAL_PREDEFINED_ENTITY;
      view->children = view->last = nullptr;
      view->next = nullptr;
      view->orig = nullptr;  // the entity's own
    }
    return view.get();
  }

  // The parser keeps the raw text of an entity it has just declared in
  // whatever its lookup answers; after an error (when the declaration is not
  // handed on) that may be one of the stand-ins above.
  ~ParseWatch() {
    xmlFree(nothing.orig);
    for (auto& [entity, view] : plainViews) xmlFree(view->orig);
  }
  ParseWatch() = default;
  ParseWatch(const ParseWatch&) = delete;
  ParseWatch& operator=(const ParseWatch&) = delete;

  std::uint32_t line() const {
    return ctxt && ctxt->input && ctxt->input->line > 0 ? static_cast<std::uint32_t>(ctxt->input->line) : 0;
  }

  // An error raised without a parser context (those of the encoding
  // conversion, which runs ahead of the parser) has no line.
  void record(bool blocking, std::string message, int line) {
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    // Some of the parser's messages end with the line where the unclosed tag
    // began ("Couldn't find end of Start Tag a line 3"): that is the line to
    // mend, and the message names it once, in front.
    if (const std::size_t at = message.rfind(" line "); at != std::string::npos && at + 6 < message.size() &&
        message.find_first_not_of("0123456789", at + 6) == std::string::npos && message.size() - at - 6 <= 9) {
      line = std::stoi(message.substr(at + 6));
      message.resize(at);
    }
    if (line > 0) message = "line " + std::to_string(line) + ": " + message;
    if (blocking && firstBlocking.empty()) firstBlocking = message;
    if (firstError.empty()) firstError = message;
  }
  void refuse(std::string why) {
    if (refusal.empty()) refusal = std::move(why);
  }
  // Ends the parse in the context a handler was called with; the document's
  // own context stops at its next event.
  bool stopped(void* ctx) {
    if (refusal.empty() && !fatal) return false;
    xmlStopParser(static_cast<xmlParserCtxt*>(ctx));
    return true;
  }
  void entityRefusal(std::string why) {
    if (entityProblem.empty()) entityProblem = std::move(why);
  }

  // The parser's first attribute table, for about 10 attributes.
  static constexpr int kFirstAttributeTable = 55;

  // The limits whose cost grows inside one start tag, before any handler
  // sees it: answers false, having refused, when one is passed.
  bool withinTagLimits() {
    if (!refusal.empty() || fatal) return false;
    const ConfigLimits& l = *limits;
    // The parser's attribute table grows to twice what the largest tag so
    // far needed: over this, some tag has more than the limit.
    if (ctxt->maxatts > std::max(kFirstAttributeTable, static_cast<int>(10 * l.maxAttributesPerElement + 20)))
      refuse(tooManyAttributes());
    else if (static_cast<std::size_t>(ctxt->nsNr / 2) > l.maxNamespaceDeclarations)
      refuse(tooManyNamespaces());
    else
      checkNames();
    return refusal.empty();
  }
  std::string tooManyAttributes() const {
    const std::string n = GroupedNumber(limits->maxAttributesPerElement);
    return "line " + std::to_string(line()) + ": an element has more than " + n + " attributes; at most " + n +
           " are read";
  }
  std::string tooManyNamespaces() const {
    const std::string n = GroupedNumber(limits->maxNamespaceDeclarations);
    return "the file declares more than " + n + " namespaces; at most " + n + " are read";
  }
  void checkNames() {
    if (ctxt->dict && static_cast<std::size_t>(xmlDictSize(ctxt->dict)) > limits->maxNames) {
      const std::string n = GroupedNumber(limits->maxNames);
      refuse("the file uses more than " + n + " different names (of elements, attributes and entities); at most " + n +
             " are read");
    }
  }
};
thread_local ParseWatch* watch = nullptr;

// --- the parser's messages ---------------------------------------------------

xmlParserInputPtr refuseExternalResource(const char* url, const char* id, xmlParserCtxtPtr) {
  if (watch && watch->requested.empty()) watch->requested = url ? url : id ? id : "?";
  return nullptr;
}

// Every message, whatever context it is raised with (the encoding errors come
// with none), arrives here. Warnings are dropped. Any error but a namespace
// error (an undeclared prefix, which the names keep) means that the document
// is incomplete.
void structuredError(void*, xmlErrorPtr error) {
  if (!watch || !error || error->level < XML_ERR_ERROR) return;
  // A fatal error stops the parse at the next handler: halting the parser
  // from inside its report would free inputs that the reporting code may
  // still use. A loop report is the exception: libxml2 2.9 then marks the
  // parse ended without halting it, and its next step over the document
  // type no longer moves, reaching no handler ever again. Each place that
  // reports a loop returns at once, using no input.
  if (error->level == XML_ERR_FATAL) {
    watch->fatal = true;
    if (error->code == XML_ERR_ENTITY_LOOP && error->domain == XML_FROM_PARSER && error->ctxt)
      xmlStopParser(static_cast<xmlParserCtxt*>(error->ctxt));
  }
  watch->record(error->level == XML_ERR_FATAL || error->domain != XML_FROM_NAMESPACE,
                error->message ? error->message : "the file is not well-formed XML", error->line);
}

void genericError(void*, const char* format, ...) {
  if (!watch) return;
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  watch->record(false, buffer, 0);
}

// --- the document type -------------------------------------------------------

// A declaration read (perhaps from a parameter entity's text).
bool declared(void* ctx) {
  if (watch->stopped(ctx)) return false;
  if (++watch->declarations > watch->limits->maxDeclarations) {
    const std::string n = GroupedNumber(watch->limits->maxDeclarations);
    watch->refuse("the document type has more than " + n + " declarations; at most " + n + " are read");
  } else {
    watch->checkNames();
  }
  return !watch->stopped(ctx);
}

// The most attributes one start tag of markup text holds: an entity's text
// is parsed as markup at each use, where the parser compares a tag's
// attributes pair by pair before any handler sees them.
std::size_t mostAttributesInATag(std::string_view text) {
  std::size_t most = 0;
  for (std::size_t i = text.find('<'); i != std::string_view::npos; i = text.find('<', i)) {
    std::size_t count = 0;
    char quote = 0;
    for (++i; i < text.size() && (quote || text[i] != '>'); ++i) {
      if (quote) {
        if (text[i] == quote) quote = 0;
      } else if (text[i] == '"' || text[i] == '\'') {
        quote = text[i];
      } else if (text[i] == '=') {
        ++count;
      }
    }
    most = std::max(most, count);
  }
  return most;
}

void entityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                xmlChar* content) {
  if (!declared(ctx)) return;
  if (content && mostAttributesInATag(view(content)) > watch->limits->maxAttributesPerElement) {
    const std::string n = GroupedNumber(watch->limits->maxAttributesPerElement);
    watch->refuse("the entity '" + std::string(view(name)) + "': an element has more than " + n +
                  " attributes; at most " + n + " are read");
    watch->stopped(ctx);
    return;
  }
  // An external parameter entity exists only to bring declarations in from
  // outside; without them the document type would be read differently.
  if (type == XML_EXTERNAL_PARAMETER_ENTITY && watch->externalParameterEntity.empty())
    watch->externalParameterEntity = view(name);
  xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
  // The parser looks an internal entity up right after declaring it.
  watch->declaring = content != nullptr;
}

void attributeDecl(void* ctx, const xmlChar* elem, const xmlChar* fullname, int type, int def,
                   const xmlChar* defaultValue, xmlEnumerationPtr tree) {
  if (!declared(ctx)) return xmlFreeEnumeration(tree);
  if (defaultValue && ++watch->attributeDefaults > watch->limits->maxAttributeDefaults) {
    const std::string n = GroupedNumber(watch->limits->maxAttributeDefaults);
    watch->refuse("the document type gives more than " + n + " attributes a default value; at most " + n +
                  " are read");
    watch->stopped(ctx);
    return xmlFreeEnumeration(tree);
  }
  xmlSAX2AttributeDecl(ctx, elem, fullname, type, def, defaultValue, tree);
}

void elementDecl(void* ctx, const xmlChar* name, int type, xmlElementContentPtr content) {
  if (declared(ctx)) xmlSAX2ElementDecl(ctx, name, type, content);
}

void internalSubset(void* ctx, const xmlChar* name, const xmlChar* externalId, const xmlChar* systemId) {
  watch->builder->doctype(view(name));
  xmlSAX2InternalSubset(ctx, name, externalId, systemId);
}

// Each use of a parameter entity has the parser read its text again: the
// uses are counted, and the text they bring is weighed like that of general
// entities. Passing either limit, or a fatal error before, ends the parse.
xmlEntityPtr getParameterEntity(void* ctx, const xmlChar* name) {
  ParseWatch& w = *watch;
  if (w.stopped(ctx)) return nullptr;
  xmlEntityPtr entity = xmlSAX2GetParameterEntity(ctx, name);
  if (!entity) return entity;
  if (w.declaring) {  // the parser looking at what it has just declared: not a use
    w.declaring = false;
    return entity;
  }
  if (++w.parameterReferences > w.limits->maxParameterEntityReferences) {
    const std::string n = GroupedNumber(w.limits->maxParameterEntityReferences);
    w.refuse("the document type's parameter entity references, with those inside entities counted at each use, are "
             "more than " + n + "; at most " + n + " are read");
  } else if ((w.parameterText += entity->length > 0 ? static_cast<std::size_t>(entity->length) : 0) >
             w.limits->maxEntityExpansion) {
    w.refuse("the document type's parameter entities expand to more than " +
             GroupedNumber(w.limits->maxEntityExpansion / (1024 * 1024)) + " MiB of text");
  }
  return w.stopped(ctx) ? nullptr : entity;
}

// --- entity uses -------------------------------------------------------------

// Every use of a general entity, in text or in an attribute value, nested
// ones at each use, is weighed here before the parser reads its text. A use
// the file cannot be imported with (its text is not in the file, or the uses
// exceed the limits) is kept as the document's entity problem and reads as
// nothing, so that the parse goes on cheaply to its end.
xmlEntityPtr getEntity(void* ctx, const xmlChar* name) {
  auto* ctxt = static_cast<xmlParserCtxt*>(ctx);
  if (watch->declaring) {  // the parser looking at what it has just declared: not a use
    watch->declaring = false;
    return xmlGetDocEntity(ctxt->myDoc, name);
  }
  if (ctxt->inSubset == 0)
    if (xmlEntityPtr predefined = xmlGetPredefinedEntity(name)) return predefined;
  ParseWatch& w = *watch;
  w.checkNames();
  xmlEntityPtr entity = ctxt->myDoc ? xmlGetDocEntity(ctxt->myDoc, name) : nullptr;
  if (!w.entityProblem.empty()) return entity ? &w.nothing : nullptr;
  const std::string key(view(name));
  if (!entity) {
    // The parser says so itself (a fatal error) unless an external document
    // type could have declared it.
    w.entityRefusal("the document uses the entity '" + key +
                    "', which it does not declare (an external definition is not read)");
    return nullptr;
  }
  if (entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY) {
    // In an attribute value the parser refuses it itself.
    if (ctxt->instate == XML_PARSER_ATTRIBUTE_VALUE) return entity;
    w.entityRefusal("the document uses the external entity '" + key + "', which is not read");
    return &w.nothing;
  }
  if (entity->etype != XML_INTERNAL_GENERAL_ENTITY) return entity;  // the parser refuses the rest
  ++w.entityReferences;
  w.entityText += entity->length > 0 ? static_cast<std::size_t>(entity->length) : 0;
  if (w.entityReferences > w.limits->maxEntityReferences) {
    const std::string n = GroupedNumber(w.limits->maxEntityReferences);
    w.entityRefusal("the document's entity references, with those inside entities counted at each use, are more than " +
                    n + "; at most " + n + " are read");
    return &w.nothing;
  }
  if (w.entityText > w.limits->maxEntityExpansion) {
    w.entityRefusal("the document's entities expand to more than " +
                    GroupedNumber(w.limits->maxEntityExpansion / (1024 * 1024)) + " MiB of text");
    return &w.nothing;
  }
  // Text without markup, references or what the parser would change reads
  // the same as its characters (an attribute value decodes it itself).
  if (ctxt->instate != XML_PARSER_ATTRIBUTE_VALUE && entity->content &&
      std::strpbrk(reinterpret_cast<const char*>(entity->content), "<&]\r") == nullptr)
    return w.plainView(entity);
  return entity;
}

void reference(void*, const xmlChar*) {}

// --- content -----------------------------------------------------------------

void startElementNs(void* ctx, const xmlChar* localname, const xmlChar* prefix, const xmlChar*, int nbNamespaces,
                    const xmlChar**, int nbAttributes, int nbDefaulted, const xmlChar** attributes) {
  ParseWatch& w = *watch;
  if (w.stopped(ctx)) return;
  // Attributes the document type gives a default are not the element's own.
  const int own = nbAttributes - nbDefaulted;
  if (static_cast<std::size_t>(own + nbNamespaces) > w.limits->maxAttributesPerElement) {
    w.refuse(w.tooManyAttributes());
  } else if ((w.namespaces += static_cast<std::size_t>(nbNamespaces)) > w.limits->maxNamespaceDeclarations) {
    w.refuse(w.tooManyNamespaces());
  } else {
    w.checkNames();
  }
  if (w.stopped(ctx)) return;
  // A "type" the document type gives a default counts as written: the format
  // reads attributes with their declared defaults.
  ValueType type = ValueType::None;
  std::string_view typeText;
  bool typed = false;
  for (int i = 0; i < nbAttributes; ++i) {
    const xmlChar* const* a = attributes + 5 * i;
    if (!a[1] && std::strcmp(reinterpret_cast<const char*>(a[0]), "type") == 0) {
      typeText = std::string_view(reinterpret_cast<const char*>(a[3]), static_cast<std::size_t>(a[4] - a[3]));
      type = ValueTypeNamed(typeText);
      typed = true;
      break;
    }
  }
  w.builder->startElement(localname, prefix, view(localname), view(prefix), type, typed ? &typeText : nullptr,
                          w.line());
}

void endElementNs(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  if (!watch->stopped(ctx)) watch->builder->endElement();
}

void characters(void* ctx, const xmlChar* text, int length) {
  ParseWatch& w = *watch;
  if (w.stopped(ctx) || length <= 0) return;
  if (w.builder->characters(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length))) <=
      w.limits->maxTextBytes)
    return;
  const std::string n = GroupedNumber(w.limits->maxTextBytes);
  w.refuse("line " + std::to_string(w.line()) + ": a text is longer than " + n + " bytes; at most " + n +
           " bytes are read");
  w.stopped(ctx);
}

void cdataBlock(void* ctx, const xmlChar*, int) {
  if (!watch->stopped(ctx)) watch->builder->cdata();
}

void comment(void* ctx, const xmlChar*) {
  if (!watch->stopped(ctx)) watch->builder->otherNode();
}

void processingInstruction(void* ctx, const xmlChar*, const xmlChar*) {
  if (!watch->stopped(ctx)) watch->builder->otherNode();
}

// --- input ---------------------------------------------------------------------

// The file is handed to the parser a few KiB at a time (it asks each time it
// runs short), so that the limits that grow inside one tag are looked at
// between reads; passing one ends the input.
// Where the parser's input comes from; an error of the source is kept for
// after the parse, as no exception may pass through the parser.
struct Feed {
  const ConfigSource& source;
  std::string error;
};

int readChunk(void* context, char* buffer, int length) {
  auto& feed = *static_cast<Feed*>(context);
  if (!watch->withinTagLimits() || length <= 0) return -1;
  try {
    return static_cast<int>(feed.source(buffer, static_cast<std::size_t>(length)));
  } catch (const std::exception& e) {
    feed.error = e.what();
    return -1;
  }
}

// Installs the refusing loader and the capturing handlers for one parse, and
// puts back what was there before.
class ScopedWatch {
 public:
  explicit ScopedWatch(ParseWatch& w)
      : loader_(xmlGetExternalEntityLoader()),
        structured_(xmlStructuredError),
        structuredContext_(xmlStructuredErrorContext),
        generic_(xmlGenericError),
        genericContext_(xmlGenericErrorContext),
        outer_(watch) {
    watch = &w;
    xmlSetExternalEntityLoader(refuseExternalResource);
    xmlSetStructuredErrorFunc(nullptr, structuredError);
    xmlSetGenericErrorFunc(nullptr, genericError);
  }
  ~ScopedWatch() {
    xmlSetGenericErrorFunc(genericContext_, generic_);
    xmlSetStructuredErrorFunc(structuredContext_, structured_);
    xmlSetExternalEntityLoader(loader_);
    watch = outer_;
  }
  ScopedWatch(const ScopedWatch&) = delete;
  ScopedWatch& operator=(const ScopedWatch&) = delete;

 private:
  xmlExternalEntityLoader loader_;
  xmlStructuredErrorFunc structured_;
  void* structuredContext_;
  xmlGenericErrorFunc generic_;
  void* genericContext_;
  ParseWatch* outer_;
};

struct ParserCtxtFree {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};
struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

void installHandlers(xmlSAXHandler& sax) {
  sax.internalSubset = internalSubset;
  sax.entityDecl = entityDecl;
  sax.attributeDecl = attributeDecl;
  sax.elementDecl = elementDecl;
  sax.getEntity = getEntity;
  sax.getParameterEntity = getParameterEntity;
  sax.reference = reference;
  sax.startElementNs = startElementNs;
  sax.endElementNs = endElementNs;
  sax.startElement = nullptr;
  sax.endElement = nullptr;
  // One handler for both: the parser then never takes blanks for ignorable.
  sax.characters = characters;
  sax.ignorableWhitespace = characters;
  sax.cdataBlock = cdataBlock;
  sax.comment = comment;
  sax.processingInstruction = processingInstruction;
}

}  // namespace

// NOENT replaces internal entity references by their text, as the format
// expects (each use weighed first), and keeps the parser's own expansion
// limits on. HUGE (which lifts the parser's limits), DTDLOAD, DTDATTR and
// XINCLUDE stay off.
void ParseConfig(std::string_view content, const ConfigLimits& limits, ConfigDocument& doc) {
  std::size_t at = 0;
  ParseConfig(
      [&](char* buffer, std::size_t n) {
        n = std::min(n, content.size() - at);
        std::memcpy(buffer, content.data() + at, n);
        at += n;
        return n;
      },
      limits, doc);
}

void ParseConfig(const ConfigSource& source, const ConfigLimits& limits, ConfigDocument& doc) {
  platform::registerXmlCodePages();  // before the parser looks at the encoding declaration
  DocumentBuilder builder(doc);
  ParseWatch w;
  w.limits = &limits;
  w.builder = &builder;
  w.nothing.type = XML_ENTITY_DECL;
  w.nothing.etype = XML_INTERNAL_PREDEFINED_ENTITY;
  w.nothing.content = const_cast<xmlChar*>(reinterpret_cast<const xmlChar*>(""));
  ScopedWatch scope(w);  // before the context, whose creation may already report
  std::unique_ptr<xmlParserCtxt, ParserCtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw ImportError("out of memory");
  w.ctxt = ctxt.get();
  installHandlers(*ctxt->sax);
  Feed feed{source, {}};
  const int options = XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  // What comes back holds only the document type: the handlers build no tree.
  std::unique_ptr<xmlDoc, DocFree> dtd(xmlCtxtReadIO(ctxt.get(), readChunk, nullptr, &feed, nullptr, nullptr, options));
  if (!feed.error.empty()) throw ImportError(feed.error);
  if (!w.refusal.empty()) throw ImportError(w.refusal);
  if (!dtd || !ctxt->wellFormed || !w.firstBlocking.empty()) {
    if (!w.firstBlocking.empty()) throw ImportError(w.firstBlocking);
    if (!w.firstError.empty()) throw ImportError(w.firstError);
    throw ImportError("the file is not well-formed XML");
  }
  if (!w.externalParameterEntity.empty())
    builder.refuseEntities("the document type includes the external entity '%" + w.externalParameterEntity +
                              "', which is not read");
  else if (!w.requested.empty())
    builder.refuseEntities("the document refers to the external resource '" + w.requested + "', which is not read");
  else if (!w.entityProblem.empty())
    builder.refuseEntities(w.entityProblem);
}

}  // namespace quillbray
