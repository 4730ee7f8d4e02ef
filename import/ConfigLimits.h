// How much a configuration file may ask of the parser.
//
// The file is read in one streaming pass, so its elements cost little each and
// their number is not limited. What is limited is what would make a file of
// the allowed size take minutes or gigabytes: libxml2 2.9 keeps every name in
// a table that stops growing at a few thousand slots (each new name walks
// longer chains), checks an element's attributes and namespace declarations
// for duplicates pair by pair, and reads an entity's text again at each use.
// A real configuration file stays far below each limit.
#pragma once

#include <cstddef>
#include <string>

namespace quillbray {

struct ConfigLimits {
  // Different names (of elements, attributes, entities and instructions
  // together): the parser's name table stops growing at 4,608 slots, so each
  // new name walks longer chains and the time grows with the square of their
  // number (200,000 names of a hostile file take about 1 s). A real file has
  // a few thousand.
  std::size_t maxNames = 200'000;
  std::size_t maxAttributesPerElement = 256;
  // Namespace declarations (xmlns attributes) in the whole file: the parser
  // looks a prefix up through every declaration in scope.
  std::size_t maxNamespaceDeclarations = 1'000;
  // Declarations of the document type (parameter entities can multiply them).
  std::size_t maxDeclarations = 120'000;
  // Default values the document type gives attributes (each one is weighed
  // against every element of that name).
  std::size_t maxAttributeDefaults = 32;
  // Uses of entities other than the five predefined ones, those inside
  // entities counted at each use.
  std::size_t maxEntityReferences = 100'000;
  // Uses of parameter entities in the document type, those inside parameter
  // entities counted at each use. Each use has the parser read the
  // entity's text again however short it is, and libxml2 2.9 reports a loop
  // after about 10,000 of them and then goes on over the document type
  // without end. A real file uses none.
  std::size_t maxParameterEntityReferences = 10'000;
  // The most entity text the parser may read, counted at each use.
  std::size_t maxEntityExpansion = 4 * 1024 * 1024;
  // The longest text, however it is written (characters, character
  // references, entities). libxml2 holds attribute values, comments, CDATA
  // sections and instructions to the same length.
  std::size_t maxTextBytes = 10'000'000;
};

// "1,000,000": limits as the messages show them.
std::string GroupedNumber(std::size_t n);

}  // namespace quillbray
