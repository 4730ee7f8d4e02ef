// A configuration file read into what the import's walk needs of it.
//
// The file is read with a size limit and parsed once, as a stream, by libxml2
// (XmlParse): nothing is fetched from the network or the disk on the
// document's behalf, entity uses are weighed before the parser expands them,
// and the markup is bounded (ConfigLimits). The parser's messages go to the
// ImportError, never to the standard streams.
//
// The document keeps only what the walk reads, in the walk's own terms:
//
//   <Quillbray_Preferences>           the root; its name and the document
//     <Quillbray>                     type's name are kept
//       <PerUserRoam>                 a scope: ConfigScope
//         <Logs>                      a group: ConfigEntry with its values
//           <Name type="integer">1</Name>   a typed value: ConfigValue
//         </Logs>
//         <Uses type="integer">3</Uses>     a loose value: ConfigEntry
//
// Elements under the root other than the product's, text elements where a
// scope or group would be, values without a known type and anything deeper
// change nothing the walk does, and are not kept; a group keeps whether it
// has any content at all (an empty one is not opened).
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "import/ConfigLimits.h"

namespace quillbray {

// The largest configuration file that is read.
inline constexpr std::size_t kMaxConfigFileBytes = 64 * 1024 * 1024;

class ImportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value's "type" attribute; any other text, or none, is None.
enum class ValueType : std::uint8_t { None, Integer, String, Boolean, Binary };

// "integer", "string", "boolean", "binary" (letter case included) and back;
// None for any other text, and "" for None.
ValueType ValueTypeNamed(std::string_view text);
std::string_view ValueTypeName(ValueType type);

// Text kept in the document's pool.
struct TextRef {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

// What a value element holds: the walk reads its text only when it is one text.
enum class ValueContent : std::uint8_t {
  Text,   // exactly one text (the text element)
  Empty,  // nothing at all
  Other,  // CDATA, a comment, an element, or text beside any of them
};

struct ConfigValue {
  TextRef name;  // the element's qualified name, as written (undecoded)
  TextRef text;  // its text when its only content is one text; else empty
  std::uint32_t line = 0;
  ValueType type = ValueType::None;
  ValueContent content = ValueContent::Text;
};

// A scope's child: a group of values, or a loose value (a text element).
struct ConfigEntry {
  TextRef name;
  std::uint32_t line = 0;
  bool loose = false;           // a loose value: values holds exactly it
  std::uint32_t firstValue = 0;  // the typed values, in order
  std::uint32_t valueCount = 0;
};

struct ConfigScope {
  TextRef name;
  std::uint32_t line = 0;
  std::uint32_t firstEntry = 0;
  std::uint32_t entryCount = 0;
};

// An element the walk never sees, because the format passes it over
// without a word; kept so that a careful reader can be told.
struct ConfigDrop {
  enum class Kind : std::uint8_t {
    NotProduct,        // a child of the root other than the product element
    TextInProduct,     // a text element where a scope would be
    EmptyLooseValue,   // an empty element with a "type" where a group or loose value would be
    NoType,            // a group's child element without a "type"
    UnknownType,       // a group's child element of another type
  };
  Kind kind;
  std::uint32_t line = 0;
  TextRef name;    // the element's name, undecoded
  TextRef parent;  // NoType, UnknownType: the group's name, undecoded
  TextRef type;    // UnknownType: the "type" as written
};

// At most this many drops are kept (a file of millions of stray elements
// would otherwise double its memory); the rest are only counted.
inline constexpr std::size_t kMaxKeptDrops = 100'000;

class ConfigDocument {
 public:
  // Reads and parses the file. Throws ImportError with the reason: the file
  // cannot be read or is too large, it is not well-formed XML (the parser's
  // first error, with its line), or it asks more than `limits` allow.
  explicit ConfigDocument(const std::string& fileName, const ConfigLimits& limits = {});
  // The same for a file's content already in memory.
  static ConfigDocument FromContent(std::string_view content, const ConfigLimits& limits = {});

  // Throws ImportError for a document whose text would need a resource
  // outside the file (an external entity, or one it does not declare, which
  // only its external document type could supply), or whose entities exceed
  // the limits. The walk's refusal for another product's file comes first,
  // so this is asked after it.
  void CheckEntities() const;

  bool HasRoot() const { return hasRoot_; }
  bool HasDoctype() const { return hasDoctype_; }
  const std::string& RootName() const { return rootName_; }
  const std::string& DoctypeName() const { return doctypeName_; }

  // The scopes of every product element, in document order.
  std::span<const ConfigScope> Scopes() const { return scopes_; }
  std::span<const ConfigEntry> Entries(const ConfigScope& scope) const {
    return std::span(entries_).subspan(scope.firstEntry, scope.entryCount);
  }
  std::span<const ConfigValue> Values(const ConfigEntry& entry) const {
    return std::span(values_).subspan(entry.firstValue, entry.valueCount);
  }
  // What the walk never sees, in document order; DropsNotKept() more were
  // not kept.
  std::span<const ConfigDrop> Drops() const { return drops_; }
  std::size_t DropsNotKept() const { return dropsNotKept_; }

  std::string_view Text(TextRef ref) const { return std::string_view(pool_).substr(ref.offset, ref.length); }

 private:
  friend class DocumentBuilder;
  ConfigDocument() = default;

  bool hasRoot_ = false;
  bool hasDoctype_ = false;
  std::string rootName_;
  std::string doctypeName_;
  std::string entityRefusal_;  // the first entity problem, for CheckEntities
  std::vector<ConfigScope> scopes_;
  std::vector<ConfigEntry> entries_;
  std::vector<ConfigValue> values_;
  std::vector<ConfigDrop> drops_;
  std::size_t dropsNotKept_ = 0;
  std::string pool_;  // names and texts
};

}  // namespace quillbray
