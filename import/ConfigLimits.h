// How much markup a configuration file may hold.
//
// libxml2 builds a tree of about fifty times a file's size, interns every name
// in a table that stops growing at a few thousand slots, checks an element's
// attributes for duplicates pair by pair and re-reads an entity's text at each
// use. Within the size limit, a hostile file could therefore take minutes or
// gigabytes. These limits keep every file to seconds and well under a gigabyte;
// a real configuration file stays far below each of them.
#pragma once

#include <cstddef>
#include <string>

namespace quillbray {

struct ConfigLimits {
  // Elements, comments, processing instructions, CDATA sections and the
  // declarations of the document type, together. The parser's name table
  // makes each new name slower than the last: 120,000 elements of different
  // names (with an attribute of a different name each), parsed twice, take
  // about 5 s; 150,000 take 9.
  std::size_t maxElements = 120'000;
  std::size_t maxAttributesPerElement = 256;
  std::size_t maxAttributes = 120'000;
  // Namespace declarations (xmlns attributes): the parser looks a prefix up
  // through every declaration in scope.
  std::size_t maxNamespaceDeclarations = 1'000;
  // Default values the document type gives attributes (each one is weighed
  // against every element of that name).
  std::size_t maxAttributeDefaults = 32;
  // References to entities other than the five predefined ones, in the file's
  // text; and after expansion, references inside entities counted at each use.
  std::size_t maxEntityReferences = 100'000;
  // The most text that entity references may add to a document.
  std::size_t maxEntityExpansion = 4 * 1024 * 1024;
};

// "1,000,000": limits as the messages show them.
std::string GroupedNumber(std::size_t n);

}  // namespace quillbray
