// The limits on a configuration file's markup, and the parser's messages kept
// off the standard streams.
#include <fcntl.h>
#include <libxml/xmlerror.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "import/ConfigDocument.h"

namespace {

using namespace quillbray;
using namespace qbtest;

// Small limits, so that each can be reached with a few lines.
ConfigLimits smallLimits() {
  ConfigLimits limits;
  limits.maxNames = 30;
  limits.maxDeclarations = 20;
  limits.maxAttributesPerElement = 3;
  limits.maxNamespaceDeclarations = 2;
  limits.maxAttributeDefaults = 2;
  limits.maxEntityReferences = 5;
  limits.maxParameterEntityReferences = 6;
  limits.maxTextBytes = 10;
  return limits;
}

std::string document(const std::string& subset, const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences" + (subset.empty() ? "" : " [" + subset + "]") +
         ">\n<Quillbray_Preferences>" + body + "</Quillbray_Preferences>\n";
}

std::string times(int n, const std::string& piece) {
  std::string out;
  for (int i = 0; i < n; ++i) out += piece;
  return out;
}

class ConfigLimitsTest : public ::testing::Test {
 protected:
  // The ImportError a file meets, read and expanded as the import does; empty
  // when it is accepted.
  std::string refusal(const std::string& content, const ConfigLimits& limits = {}) {
    const std::string file = dir.file("prefs.xml");
    std::ofstream(file, std::ios::binary) << content;
    try {
      ConfigDocument doc(file, limits);
      doc.CheckEntities();
      if (!doc.HasRoot()) return "no root";
      return "";
    } catch (const ImportError& e) {
      return e.what();
    }
  }
  TempDir dir;
};

TEST_F(ConfigLimitsTest, TheDefaultsAreTheDocumentedOnes) {
  const ConfigLimits limits;
  EXPECT_EQ(limits.maxNames, 200'000u);
  EXPECT_EQ(limits.maxDeclarations, 120'000u);
  EXPECT_EQ(limits.maxAttributesPerElement, 256u);
  EXPECT_EQ(limits.maxTextBytes, 10'000'000u);
  EXPECT_EQ(limits.maxNamespaceDeclarations, 1'000u);
  EXPECT_EQ(limits.maxAttributeDefaults, 32u);
  EXPECT_EQ(limits.maxEntityReferences, 100'000u);
  EXPECT_EQ(limits.maxParameterEntityReferences, 10'000u);
  EXPECT_EQ(limits.maxEntityExpansion, 4u * 1024 * 1024);
  EXPECT_EQ(GroupedNumber(1'000'000), "1,000,000");
  EXPECT_EQ(GroupedNumber(999), "999");
}

// Each limit: a file at it is read, a file one over it is refused with a
// message that names the limit.
TEST_F(ConfigLimitsTest, EachLimitAcceptsItsValueAndRefusesOneMore) {
  const std::string e0 = "<!ENTITY e0 ''><!ENTITY e1 '&e0;&e0;'><!ENTITY e2 '&e1;&e1;'>";  // &e2; makes 7
  const std::string defaults = "<!ATTLIST a x CDATA 'x' y CDATA #IMPLIED z CDATA #FIXED 'z'>";
  const std::string manyDecls =
      "<!ENTITY % p \"<!ENTITY a 'x'><!ENTITY b 'x'><!ENTITY c 'x'><!ENTITY d 'x'><!ENTITY f 'x'>\">";
  const struct {
    const char* what;
    std::string content;
    std::string message;  // empty: accepted
  } cases[] = {
      {"attributes of an element, at the limit", document("", "\n<a x='1' y=\"2\" z='3'/>"), ""},
      {"attributes of an element, over",
       document("", "\n<a x='1' y=\"2\" z='3' w='4'/>"),
       "line 4: an element has more than 3 attributes; at most 3 are read"},
      {"quotes and markup characters in values",
       document("", "<a x='>\"&amp;' y=\"'/>\" z=\"a=b\"/>"), ""},
      {"quotes and markup characters in values, over",
       document("", "<a x='>\"' y=\"'/>\" z=\"a=b\" w=''/>"),
       "line 3: an element has more than 3 attributes; at most 3 are read"},
      {"attribute-like text in comments, CDATA and instructions",
       document("", "<!-- <a b='' c='' d='' e=''/> --><![CDATA[<a b='' c='' d='' e=''/>]]><?pi b='' c='' d='' e=''?>"),
       ""},
      {"elements, attributes, comments and instructions have no limit in all",
       document("", times(40, "<a x='' y=''/><!--c--><?pi?><![CDATA[x]]>")), ""},
      {"namespace declarations", document("", "<a xmlns='urn:a'><p:b xmlns:p='urn:p' xmlnsx=''/></a>"), ""},
      {"namespace declarations, over", document("", "<a xmlns='urn:a'><p:b xmlns:p='urn:p'/><c xmlns:q='urn:q'/></a>"),
       "the file declares more than 2 namespaces; at most 2 are read"},
      {"different names, used again and again", document("", times(5, "<a/><b/><c/><d/><e/><f/><g/><h/><i/><j/>")),
       ""},
      {"different names, over",
       document("", "<a/><b/><c/><d/><e/><f/><g/><h/><i/><j/><k/><l/><m/><n/><o/><p/><q/><r/><s/><t/><u/><v/>"
                    "<w/><x/><y/><z/><A/><B/><C/><D/><E/><F/><G/><H/><I/><J/><K/><L/>"),
       "the file uses more than 30 different names (of elements, attributes and entities); at most 30 are read"},
      {"declarations", document(times(20, "<!ENTITY x 'x'>"), ""), ""},
      {"declarations, over", document(times(21, "<!ENTITY x 'x'>"), ""),
       "the document type has more than 20 declarations; at most 20 are read"},
      {"declarations a parameter entity brings in", document(manyDecls + "%p;%p;%p;%p;", ""),
       "the document type has more than 20 declarations; at most 20 are read"},
      {"parameter entities' text", document("<!ENTITY % p \"<!--" + std::string(4'194'297, 'x') + "-->\">%p;", ""), ""},
      {"parameter entities' text, over",
       document("<!ENTITY % p \"<!--" + std::string(4'194'298, 'x') + "-->\">%p;", ""),
       "the document type's parameter entities expand to more than 4 MiB of text"},
      {"parameter entity references", document("<!ENTITY % e ' '><!ENTITY % f '&#37;e;&#37;e;'>%f;%f;", ""), ""},
      {"parameter entity references, over", document("<!ENTITY % e ' '><!ENTITY % f '&#37;e;&#37;e;'>%f;%f;%e;", ""),
       "the document type's parameter entity references, with those inside entities counted at each use, are more "
       "than 6; at most 6 are read"},
      {"parameter entity references of no text, over", document("<!ENTITY % e ''>" + times(7, "%e;"), ""),
       "the document type's parameter entity references, with those inside entities counted at each use, are more "
       "than 6; at most 6 are read"},
      {"entity references", document("<!ENTITY e 'x'>", "<a>&e;&e;&e;</a><a v='&e;&e;'/>"), ""},
      {"entity references, over", document("<!ENTITY e 'x'>", "<a>&e;&e;&e;</a><a v='&e;&e;&e;'/>"),
       "the document's entity references, with those inside entities counted at each use, are more than 5; "
       "at most 5 are read"},
      {"predefined entities and characters are not counted",
       document("", "<a v='&amp;&lt;'/>" + times(10, "<a>&amp;&lt;&gt;&apos;&quot;&#65;&#x42;</a>")), ""},
      {"references inside entities, at each use", document(e0, "<a>&e0;&e0;&e0;&e0;&e0;</a>"), ""},
      {"references inside entities, at each use, over", document(e0, "<a>&e2;</a>"),
       "the document's entity references, with those inside entities counted at each use, are more than 5; "
       "at most 5 are read"},
      {"attribute defaults", document("<!ATTLIST a x CDATA 'x' y CDATA #IMPLIED>", "<a/>"), ""},
      {"attribute defaults, over", document(defaults + "<!ATTLIST b x CDATA 'b'>", "<a/>"),
       "the document type gives more than 2 attributes a default value; at most 2 are read"},
      {"an entity's text, parsed where it is used",
       document("<!ENTITY e \"&#60;a x='' y='' z='' w=''/>\">", "&e;"),
       "the entity 'e': an element has more than 3 attributes; at most 3 are read"},
      {"an entity's text with markup, within the limit", document("<!ENTITY e \"&#60;a x='=' y='a=b'/>\">", "&e;"),
       ""},
      // One text limit, however the text is written.
      {"a text at the limit", document("", "<a>0123456789</a><b>0123456789</b>"), ""},
      {"a text over the limit", document("", "\n<a>0123456789x</a>"),
       "line 4: a text is longer than 10 bytes; at most 10 bytes are read"},
      {"a text over the limit through references", document("", "\n<a>012345678&#65;&amp;</a>"),
       "line 4: a text is longer than 10 bytes; at most 10 bytes are read"},
      {"a text over the limit through an entity", document("<!ENTITY e 'abcd'>", "\n<a>&e;&e;&e;</a>"),
       "line 4: a text is longer than 10 bytes; at most 10 bytes are read"},
      {"texts apart are measured apart", document("", "<a>0123456789<b/>0123456789</a>"), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(refusal(c.content, smallLimits()), c.message);
  }
}

// The limits hold in any encoding the parser reads: UTF-16 in either byte
// order, with or without a byte order mark, and the legacy encodings.
TEST_F(ConfigLimitsTest, LimitsHoldInEveryEncoding) {
  const auto utf16 = [](const std::string& ascii, bool bigEndian, bool bom) {
    std::string out = bom ? (bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE")) : "";
    for (const char c : ascii) out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
  };
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
  const std::string atLimit = head + "<!DOCTYPE Quillbray_Preferences><Quillbray_Preferences x='' y='' z=''/>";
  const std::string over = head + "<!DOCTYPE Quillbray_Preferences><Quillbray_Preferences x='' y='' z='' w=''/>";
  const std::string overMessage = "line 1: an element has more than 3 attributes; at most 3 are read";
  for (const bool bigEndian : {false, true}) {
    for (const bool bom : {false, true}) {
      SCOPED_TRACE(std::string(bigEndian ? "big" : "little") + (bom ? "-endian with mark" : "-endian"));
      EXPECT_EQ(refusal(utf16(atLimit, bigEndian, bom), smallLimits()), "");
      EXPECT_EQ(refusal(utf16(over, bigEndian, bom), smallLimits()), overMessage);
    }
  }
  const std::string body = "<!DOCTYPE Quillbray_Preferences><Quillbray_Preferences/>";
  EXPECT_NE(refusal(std::string("\x4C\x6F\xA7\x94\x93", 5)), "");
  for (const char* encoding : {"utf-8", "ISO-8859-1", "windows-1252", "Shift_JIS", "US-ASCII", "UTF-7", "iso-2022-jp"}) {
    SCOPED_TRACE(encoding);
    // The stateful encodings have no handler on Windows (tests/xml_encoding_test.cpp).
    if (kOnWindows && (encoding == std::string("UTF-7") || encoding == std::string("iso-2022-jp"))) continue;
    EXPECT_EQ(refusal("<?xml version='1.0' encoding='" + std::string(encoding) + "'?>" + body), "");
  }
}

const char* const kTooManyParameterEntityReferences =
    "the document type's parameter entity references, with those inside entities counted at each use, are more "
    "than 10,000; at most 10,000 are read";

// Parameter entities nested `levels` deep, each using the one below `uses`
// times (written "&#37;", as the internal subset allows no "%" in an
// entity's value), the innermost holding `text`; the document type uses the outermost
// `uses` times: uses to the power of levels uses of the innermost.
std::string nestedParameterEntities(int levels, int uses, const std::string& text) {
  std::string subset = "<!ENTITY % e0 \"" + text + "\">";
  for (int level = 1; level < levels; ++level)
    subset += "<!ENTITY % e" + std::to_string(level) + " \"" + times(uses, "&#37;e" + std::to_string(level - 1) + ";") +
              "\">";
  return subset + times(uses, "%e" + std::to_string(levels - 1) + ";");
}

// With the product's limits: the hostile shapes are refused at once, by count,
// and a file just within each limit is read.
TEST_F(ConfigLimitsTest, TheProductLimitsRefuseHostileShapesQuickly) {
  std::string attributes;
  for (int i = 0; i < 256; ++i) attributes += " a" + std::to_string(i) + "=''";
  EXPECT_EQ(refusal(document("", "<a" + attributes + "/>")), "");
  EXPECT_EQ(refusal(document("", times(200'000, "<a/>"))), "");  // elements are not limited
  std::string millionAttributes, manyNamespaces;
  for (int i = 0; i < 1'000'000; ++i) millionAttributes += " a" + std::to_string(i) + "=''";
  for (int i = 0; i < 100'000; ++i) manyNamespaces += " xmlns:p" + std::to_string(i) + "='urn:p'";
  const struct {
    const char* what;
    std::string content;
    std::string message;  // empty: any refusal
  } cases[] = {
      {"an element with one attribute too many", document("", "<a" + attributes + " z=''/>"),
       "line 3: an element has more than 256 attributes; at most 256 are read"},
      // The parser compares a tag's attributes pair by pair before anything
      // sees the tag: the count stops it on the way.
      {"an element with a million attributes", document("", "<a" + millionAttributes + "/>"),
       "line 3: an element has more than 256 attributes; at most 256 are read"},
      {"an element declaring 100,000 namespaces", document("", "<a" + manyNamespaces + "/>"),
       "the file declares more than 1,000 namespaces; at most 1,000 are read"},
      {"references to a one-letter entity", document("<!ENTITY e 'x'>", "<a>" + times(100'001, "&e;") + "</a>"),
       "the document's entity references, with those inside entities counted at each use, are more than 100,000; "
       "at most 100,000 are read"},
      {"empty entities nested",
       document("<!ENTITY e0 ''><!ENTITY e1 '" + times(400, "&e0;") + "'><!ENTITY e2 '" + times(400, "&e1;") + "'>",
                "<a>&e2;</a>"),
       ""},  // the parser's own amplification check may speak first
      // libxml2 2.9 reports a loop after about 10,000 of these uses and then
      // goes on over the document type without end.
      {"parameter entities, three levels of 24 uses of a blank",
       document(nestedParameterEntities(3, 24, " "), ""), kTooManyParameterEntityReferences},
      {"parameter entities, three levels of 24 uses of a declaration",
       document(nestedParameterEntities(3, 24, "<!ELEMENT a ANY>"), ""), ""},  // the redefinitions may speak first
      {"parameter entities, four levels of 10 uses of a blank",
       document(nestedParameterEntities(4, 10, " "), ""), kTooManyParameterEntityReferences},
  };
  // Three levels of 21 stay within the limit.
  EXPECT_EQ(refusal(document(nestedParameterEntities(3, 21, " "), "")), "");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const double start = processorSeconds();
    const std::string message = refusal(c.content);
    if (c.message.empty()) EXPECT_NE(message, "");
    else EXPECT_EQ(message, c.message);
    EXPECT_LT(processorSeconds() - start, 2.0);
  }
}

// A fatal error ends the parse: with the count of parameter-entity uses
// lifted, libxml2's own loop report refuses these shapes at once, where the
// parser would go on over the document type without end.
TEST_F(ConfigLimitsTest, TheParsersFirstFatalErrorEndsTheParse) {
  ConfigLimits unlimited;
  unlimited.maxParameterEntityReferences = SIZE_MAX;
  for (const auto& [levels, uses] : {std::pair{3, 24}, std::pair{4, 10}}) {
    SCOPED_TRACE(std::to_string(levels) + " levels of " + std::to_string(uses));
    const double start = processorSeconds();
    const std::string message = refusal(document(nestedParameterEntities(levels, uses, " "), ""), unlimited);
    EXPECT_NE(message.find("Detected an entity reference loop"), std::string::npos) << message;
    EXPECT_LT(processorSeconds() - start, 2.0);
  }
}

// After an error the parser still looks up an entity it has just read, with
// its raw text to keep: whatever the lookup answers frees it (the sanitizer's
// leak check tells).
TEST_F(ConfigLimitsTest, AnEntityDeclaredAfterAnErrorLeaksNothing) {
  EXPECT_NE(refusal("<?xml version=\"1.\xFA" "0\"?>\n<!DOCTYPE Quillbray_Preferences [<!ENTITY a \"in\">"
                    "<!ENTITY b \"t&a;eger\">]>\n<Quillbray_Preferences><Quillbray><PerUserRoam><G>"
                    "<A type=\"&b;\">3</A></G></PerUserRoam></Quillbray></Quillbray_Preferences>"),
            "");
}

// Sends this process's standard output and error to a file while it lives.
class CapturedOutput {
 public:
  explicit CapturedOutput(const std::string& file) {
    std::fflush(stdout);
    std::fflush(stderr);
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    for (const int target : {1, 2}) {
      saved_[target - 1] = ::dup(target);
      ::dup2(fd, target);
    }
    ::close(fd);
  }
  ~CapturedOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    for (const int target : {1, 2}) {
      ::dup2(saved_[target - 1], target);
      ::close(saved_[target - 1]);
    }
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

 private:
  int saved_[2] = {-1, -1};
};

void markHandler(void*, xmlErrorPtr) {}

// libxml2 prints some errors itself, whatever the parse options say (those of
// the encoding conversion have no parser context); all of them must end in the
// ImportError, the first real one with its line, and none on the streams.
TEST_F(ConfigLimitsTest, ParserMessagesGoToTheErrorNotToTheStreams) {
  std::string lonelySurrogate;
  for (const char c : std::string("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
                                  "<Quillbray_Preferences><a>")) {
    lonelySurrogate += c;
    lonelySurrogate += '\0';
  }
  lonelySurrogate += std::string("\x00\xD8<\0/\0a\0>\0", 10);
  const std::string head = "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences>\n";
  const std::string hugeText = head + "<a>" + std::string(6'000'000, 'x') + "&amp;" + std::string(6'000'000, 'y') +
                               "</a></Quillbray_Preferences>\n";
  const std::string plainHugeText = head + "<a>" + std::string(12'000'000, 'x') + "</a></Quillbray_Preferences>\n";
  const struct {
    const char* what;
    std::string content;
    std::string message;
  } cases[] = {
      {"invalid UTF-16", lonelySurrogate, "input conversion failed due to input error, bytes 0x00 0xD8 0x3C 0x00"},
      {"invalid Shift_JIS",
       "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences>\n"
       "<a>\x81\x7F</a></Quillbray_Preferences>\n",
       "input conversion failed due to input error, bytes 0x81 0x7F 0x3C 0x2F"},
      {"a text over 10 MB", hugeText, "line 4: a text is longer than 10,000,000 bytes; at most 10,000,000 bytes are read"},
      {"a plain text over 10 MB", plainHugeText,
       "line 4: a text is longer than 10,000,000 bytes; at most 10,000,000 bytes are read"},
      // One line number each: the one where the unclosed tag begins.
      {"an unclosed element", head + "<a>\n\n", "line 4: Premature end of data in tag a"},
      {"an unclosed start tag", head + "<notxml\n\n", "line 4: Couldn't find end of Start Tag notxml"},
  };
  const std::string output = dir.file("output.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string message;
    {
      CapturedOutput capture(output);
      message = refusal(c.content);
    }
    EXPECT_EQ(message, c.message);
    std::ifstream in(output);
    std::stringstream printed;
    printed << in.rdbuf();
    EXPECT_EQ(printed.str(), "");
  }
  // The handlers are the parse's only while it runs.
  xmlSetStructuredErrorFunc(nullptr, markHandler);
  EXPECT_EQ(refusal(cases[0].content), cases[0].message);
  EXPECT_EQ(xmlStructuredError, markHandler);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
}

}  // namespace
