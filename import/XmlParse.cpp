#include "import/XmlParse.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <cstdarg>
#include <cstdio>

#include "import/MarkupScan.h"

namespace quillbray {
namespace {

// The parse under way on this thread: what it asked for, its first error, and
// its declarations so far. libxml2's handlers are process-wide or per thread,
// not per parse, so they find it here.
struct ParseWatch {
  xmlParserCtxt* ctxt = nullptr;
  const ConfigLimits* limits = nullptr;
  std::string* requested = nullptr;
  std::string firstBlocking;  // the first error that leaves the document incomplete
  std::string firstError;
  std::string refusal;  // a limit exceeded; the parse was stopped for it
  std::size_t declarations = 0;
  std::size_t attributeDefaults = 0;
  std::size_t parameterText = 0;
  bool declaring = false;  // a parameter entity's declaration has just been read

  // An error raised without a parser context (those of the encoding
  // conversion, which runs ahead of the parser) has no line.
  void record(bool blocking, std::string message, int line) {
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    if (line > 0) message = "line " + std::to_string(line) + ": " + message;
    if (blocking && firstBlocking.empty()) firstBlocking = message;
    if (firstError.empty()) firstError = message;
  }
  void refuse(const std::string& why) {
    if (refusal.empty()) refusal = why;
    xmlStopParser(ctxt);
  }
};
thread_local ParseWatch* watch = nullptr;

xmlParserInputPtr refuseExternalResource(const char* url, const char* id, xmlParserCtxtPtr) {
  if (watch && watch->requested->empty()) *watch->requested = url ? url : id ? id : "?";
  return nullptr;
}

// Every message, whatever context it is raised with (the encoding errors come
// with none), arrives here. Warnings are dropped. Any error but a namespace
// error (an undeclared prefix, which the names keep) means that the document
// is incomplete: a text over the parser's limit, for one, is cut short with an
// error that leaves the document well-formed.
void structuredError(void*, xmlErrorPtr error) {
  if (!watch || !error || error->level < XML_ERR_ERROR) return;
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

// A declaration read (perhaps from a parameter entity's text, which the raw
// count cannot see).
bool declared() {
  if (++watch->declarations <= watch->limits->maxElements) return true;
  watch->refuse("the document type has more than " + GroupedNumber(watch->limits->maxElements) +
                " declarations; at most " + GroupedNumber(watch->limits->maxElements) + " are read");
  return false;
}

void entityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId,
                xmlChar* content) {
  if (!declared()) return;
  try {
    // The text is parsed as markup where the entity is used; its attributes
    // are counted before the parser meets them.
    if (content) CheckMarkupText(reinterpret_cast<const char*>(content), *watch->limits);
  } catch (const std::exception& e) {
    watch->refuse("the entity '" + std::string(reinterpret_cast<const char*>(name)) + "': " + e.what());
    return;
  }
  xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
  watch->declaring = type == XML_INTERNAL_PARAMETER_ENTITY || type == XML_EXTERNAL_PARAMETER_ENTITY;
}

void attributeDecl(void* ctx, const xmlChar* elem, const xmlChar* fullname, int type, int def,
                   const xmlChar* defaultValue, xmlEnumerationPtr tree) {
  if (!declared()) return xmlFreeEnumeration(tree);
  if (defaultValue && ++watch->attributeDefaults > watch->limits->maxAttributeDefaults) {
    watch->refuse("the document type gives more than " + GroupedNumber(watch->limits->maxAttributeDefaults) +
                  " attributes a default value; at most " + GroupedNumber(watch->limits->maxAttributeDefaults) +
                  " are read");
    return xmlFreeEnumeration(tree);
  }
  xmlSAX2AttributeDecl(ctx, elem, fullname, type, def, defaultValue, tree);
}

// Each use of a parameter entity has the parser read its text again, and the
// raw count cannot see those uses multiply: the text they bring is weighed
// like that of general entities.
xmlEntityPtr getParameterEntity(void* ctx, const xmlChar* name) {
  xmlEntityPtr entity = xmlSAX2GetParameterEntity(ctx, name);
  if (!entity || entity->length <= 0) return entity;
  if (watch->declaring) {  // the parser looking at what it has just declared: not a use
    watch->declaring = false;
    return entity;
  }
  watch->parameterText += static_cast<std::size_t>(entity->length);
  if (watch->parameterText <= watch->limits->maxEntityExpansion) return entity;
  watch->refuse("the document type's parameter entities expand to more than " +
                GroupedNumber(watch->limits->maxEntityExpansion / (1024 * 1024)) + " MiB of text");
  return nullptr;
}

void elementDecl(void* ctx, const xmlChar* name, int type, xmlElementContentPtr content) {
  if (declared()) xmlSAX2ElementDecl(ctx, name, type, content);
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

}  // namespace

// HUGE (which lifts the parser's limits), DTDLOAD, DTDATTR and XINCLUDE stay
// off.
XmlDocument ParseXml(const std::string& content, int extraOptions, const ConfigLimits& limits, std::string& requested) {
  requested.clear();
  ParseWatch w;
  w.limits = &limits;
  w.requested = &requested;
  ScopedWatch scope(w);  // before the context, whose creation may already report
  std::unique_ptr<xmlParserCtxt, ParserCtxtFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw ImportError("out of memory");
  w.ctxt = ctxt.get();
  ctxt->sax->entityDecl = entityDecl;
  ctxt->sax->attributeDecl = attributeDecl;
  ctxt->sax->elementDecl = elementDecl;
  ctxt->sax->getParameterEntity = getParameterEntity;
  const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | extraOptions;
  XmlDocument doc(xmlCtxtReadMemory(ctxt.get(), content.data(), static_cast<int>(content.size()), nullptr, nullptr,
                                    options));
  if (!w.refusal.empty()) throw ImportError(w.refusal);
  if (!doc || !ctxt->wellFormed || !w.firstBlocking.empty()) {
    if (!w.firstBlocking.empty()) throw ImportError(w.firstBlocking);
    if (!w.firstError.empty()) throw ImportError(w.firstError);
    throw ImportError("the file is not well-formed XML");
  }
  return doc;
}

}  // namespace quillbray
