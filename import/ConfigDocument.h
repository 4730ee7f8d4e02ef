// Loading a configuration file as an XML document, safely, and the node
// queries the import needs.
//
// The file is read with a size limit and parsed from memory (so a compressed
// file is never inflated); nothing is fetched from the network or the disk on
// the document's behalf, and a document that asks for an external resource
// (an external entity, an external document type) is refused rather than read
// with holes in it. Entity expansion is bounded by the parser.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillbray {

// The largest configuration file that is read.
inline constexpr std::size_t kMaxConfigFileBytes = 64 * 1024 * 1024;

class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct XmlDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDocument = std::unique_ptr<xmlDoc, XmlDocFree>;

// Reads and parses the file. Throws ImportError with the reason: the file
// cannot be read, is too large, is not well-formed XML (the parser's message
// with its line), or refers to external resources.
XmlDocument LoadConfigDocument(const std::string& fileName);

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
