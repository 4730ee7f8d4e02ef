// Loading a configuration file as an XML document, safely, and the node
// queries the import needs.
//
// The file is read with a size limit and parsed from memory (so a compressed
// file is never inflated). Nothing is fetched from the network or the disk on
// the document's behalf; a document whose text needs such a resource (an
// external entity, an entity only an external document type would declare) is
// refused rather than imported with holes in it. Entity expansion is weighed
// before it happens and bounded, and so is the markup (ConfigLimits). The
// parser's messages go to the ImportError, never to the standard streams.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "import/ConfigLimits.h"

namespace quillbray {

// The largest configuration file that is read.
inline constexpr std::size_t kMaxConfigFileBytes = 64 * 1024 * 1024;
// The most text that entity references may add to a document.
inline constexpr std::size_t kMaxEntityExpansion = ConfigLimits{}.maxEntityExpansion;

class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocument = std::unique_ptr<xmlDoc, XmlDocFree>;

// A configuration file read into a document.
class ConfigDocument {
 public:
  // Reads and parses the file, leaving entity references unreplaced. Throws
  // ImportError with the reason: the file cannot be read, is too large, or is
  // not well-formed XML (the parser's first error, with its line), or has
  // more markup than `limits` allow.
  explicit ConfigDocument(const std::string& fileName, const ConfigLimits& limits = {});

  // Replaces entity references by their text. Throws ImportError, expanding
  // nothing, for a document whose references need a resource outside the
  // file, would add more than the limit's text or would make more than its
  // number of references, nested ones counted. Identifiers on the
  // document type and external entities that nothing uses play no part.
  void ExpandEntities();

  const xmlNode* Root() const;
  bool HasDoctype() const;
  std::string DoctypeName() const;

 private:
  std::string content_;    // kept until the entities are expanded
  std::string requested_;  // the external resource the parser asked for, if any
  ConfigLimits limits_;
  XmlDocument doc_;
};

// Node queries, in the terms of the configuration format.
//   NodeName       the element's qualified name; "#text", "#cdata-section",
//                  "#comment" and so on for other nodes
//   ChildNodes     the children, without text nodes that hold only white space
//   IsTextElement  an element whose children are exactly one text node
//   ElementText    that text node's text
//   TypeAttribute  the "type" attribute's value, or empty
std::string NodeName(const xmlNode* node);
std::vector<xmlNode*> ChildNodes(const xmlNode* node);
bool IsTextElement(const xmlNode* node);
std::string ElementText(const xmlNode* node);
std::string TypeAttribute(const xmlNode* node);

}  // namespace quillbray
