// The configuration schema, checked through libxml2's own XSD validator:
// it takes the example and what export-config writes, and refuses a known
// value of the wrong type, for every value of the catalogue.
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CatalogueFill.h"
#include "ProgramRun.h"
#include "StoreFixture.h"
#include "import/ConfigSchema.h"
#include "import/Decoding.h"
#include "import/Encoding.h"
#include "import/ExportConfig.h"
#include "import/ImpExpRegXML.h"
#include "settings/Catalogue.h"

namespace {

using namespace quillbray;
using namespace qbtest;

struct SchemaParserFree {
  void operator()(xmlSchemaParserCtxt* p) const { xmlSchemaFreeParserCtxt(p); }
};
struct SchemaFree {
  void operator()(xmlSchema* s) const { xmlSchemaFree(s); }
};
struct ValidCtxtFree {
  void operator()(xmlSchemaValidCtxt* v) const { xmlSchemaFreeValidCtxt(v); }
};
struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct XmlFree {
  void operator()(xmlChar* c) const { xmlFree(c); }
};

void collect(void* messages, const xmlError* error) {
  if (error && error->message) *static_cast<std::string*>(messages) += error->message;
}

// The schema, compiled once; errors() validates one document's text.
class Validator {
 public:
  explicit Validator(const std::string& xsd) {
    std::unique_ptr<xmlSchemaParserCtxt, SchemaParserFree> parser(
        xmlSchemaNewMemParserCtxt(xsd.data(), static_cast<int>(xsd.size())));
    if (!parser) throw std::runtime_error("no schema parser");
    xmlSchemaSetParserStructuredErrors(parser.get(), reinterpret_cast<xmlStructuredErrorFunc>(collect), &problems);
    schema_.reset(xmlSchemaParse(parser.get()));
  }
  bool compiled() const { return schema_ != nullptr; }
  std::string problems;  // the schema's own

  // The validator's messages; empty when the document is valid.
  std::string errors(const std::string& xml) const {
    std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "doc.xml", nullptr,
                                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) return "not well-formed";
    std::unique_ptr<xmlSchemaValidCtxt, ValidCtxtFree> valid(xmlSchemaNewValidCtxt(schema_.get()));
    std::string messages;
    xmlSchemaSetValidStructuredErrors(valid.get(), reinterpret_cast<xmlStructuredErrorFunc>(collect), &messages);
    const int result = xmlSchemaValidateDoc(valid.get(), doc.get());
    return result == 0 ? "" : messages.empty() ? "invalid" : messages;
  }

 private:
  std::unique_ptr<xmlSchema, SchemaFree> schema_;
};

const Validator& validator() {
  static const Validator v(ConfigSchemaText());
  return v;
}

// A whole document around the content of a Quillbray element.
std::string document(const std::string& inProduct, const std::string& rootAttributes = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences" +
         rootAttributes + ">\n<Quillbray>" + inProduct + "</Quillbray>\n</Quillbray_Preferences>\n";
}
std::string value(const std::string& name, const std::string& type, const std::string& text) {
  return "<" + name + " type=\"" + type + "\">" + text + "</" + name + ">";
}
std::string inGroup(const std::string& group, const std::string& values) {
  return "<PerUserRoam><" + group + ">" + values + "</" + group + "></PerUserRoam>";
}
// How a file names its schema for an editor.
const std::string kSchemaHint =
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:noNamespaceSchemaLocation=\"quillbray.xsd\"";

TEST(ConfigSchema, IsAValidSchema) { EXPECT_TRUE(validator().compiled()) << validator().problems; }

TEST(ConfigSchema, AcceptsTheExample) {
  ASSERT_TRUE(validator().compiled());
  EXPECT_EQ(validator().errors(readFile(QB_EXAMPLE_CONFIG)), "");
}

TEST(ConfigSchema, TakesUnknownNamesAndChecksKnownOnes) {
  ASSERT_TRUE(validator().compiled());
  const struct {
    std::string inProduct;
    bool valid;
  } cases[] = {
      {inGroup("Logs", value("Log_Format", "string", "yyyy")), true},
      {inGroup("Logs", value("Log_Format", "integer", "1")), false},
      {inGroup("Logs", "<Log_Format>yyyy</Log_Format>"), false},  // the import passes over a value without a type
      {"<PerUserRoam>" + value("Uses", "integer", "12") + "</PerUserRoam>", true},
      {"<PerUserRoam>" + value("Uses", "string", "12") + "</PerUserRoam>", false},
      {"<PerUserRoam>" + value("Uses", "boolean", "1") + "</PerUserRoam>", true},  // typed reads take either
      {"<PerUserRoam>" + value("Uses", "binary", "0A") + "</PerUserRoam>", false},
      {"<PerUserRoam>" + value("Uses", "integer", "true") + "</PerUserRoam>", false},  // reads as 0
      {"<PerUserRoam>" + value("Uses", "integer", "") + "</PerUserRoam>", false},      // an empty group, not a value
      {inGroup("cfgAll", value("First_Time", "boolean", "0")), true},
      {inGroup("Logs", value("Log_Unusual_Events", "integer", "1")), true},
      {inGroup("Logs", value("Event_Notification_Color", "boolean", "1")), true},
      {inGroup("MRU", value("file_3", "string", "/a.qbr")), true},
      {inGroup("MRU", value("file_3", "integer", "1")), false},
      {inGroup("Files", value("file_300", "integer", "1")), true},  // past every slot a schema names
      {inGroup("Team_Settings", value("Anything", "binary", "0A1B") + value("Other", "bogus", "x")), true},
      {inGroup("Team_Settings", value("Log_Format", "integer", "1")), false},  // a name has one type everywhere
      {inGroup("logs", value("Anything", "integer", "1")), true},  // letter case: not the group the schema names
      {inGroup("Logs", "stray text"), false},
      {"<permachine>" + value("Uses", "integer", "1") + "</permachine><Other/>", true},
      {"<PerMachine><_0x24_Temp>" + value("Whatever", "string", "x") + "</_0x24_Temp></PerMachine>", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.inProduct);
    EXPECT_EQ(validator().errors(document(c.inProduct)).empty(), c.valid) << validator().errors(document(c.inProduct));
  }
  // The editors' hint to the schema is an attribute XSD always takes.
  EXPECT_EQ(validator().errors(document("", kSchemaHint)), "");
}

// A file that names its schema for an editor imports as before.
TEST(ConfigSchema, AFileNamingItsSchemaImportsAsBefore) {
  ScopedHives hives;
  BoxRecorder boxes;
  const TempDir dir;
  const std::string file = dir.file("prefs.xml");
  std::ofstream(file) << document(inGroup("Logs", value("Log_Format", "string", "yyyy")), kSchemaHint);
  TConfigBase store;
  ImportStats stats;
  EXPECT_TRUE(ImportConfigFile(store, file, stats));
  EXPECT_EQ(stats.values, 1u);
  EXPECT_EQ(stored(HKCU, kLogsKey, "Log Format"), sz("yyyy"));
  EXPECT_TRUE(boxes.boxes.empty());
}

// An integer's or a boolean's text is taken exactly when the product reads a
// number from it (the range aside): the texts as they stand in the file.
TEST(ConfigSchema, NumberTextsAreThoseTheImportReads) {
  ASSERT_TRUE(validator().compiled());
  const char* const texts[] = {
      "500", "00012", "  -12", "+7", "$1F", "x1F", "X1F", "0x1F", "0X1F", "-$10", "$FFFFFFFF", "_12", "__-0x1f",
      "&amp;#36;1F", "4294967296", "", " ", "$", "0x", "-", "12 ", "1.5", "true", "\t1", "12_", "00x1F", "+-1",
      "$1G", "_0x5B_1"};
  for (const std::string text : texts) {
    SCOPED_TRACE(text);
    // The text the import reads, after the XML layer and the text decoding.
    const std::string element = "<t>" + text + "</t>";
    std::unique_ptr<xmlDoc, DocFree> doc(
        xmlReadMemory(element.data(), static_cast<int>(element.size()), nullptr, nullptr, XML_PARSE_NONET));
    ASSERT_TRUE(doc);
    std::unique_ptr<xmlChar, XmlFree> content(xmlNodeGetContent(xmlDocGetRootElement(doc.get())));
    const IntegerFault fault = IntegerTextFault(DecodeText(reinterpret_cast<const char*>(content.get())));
    const bool number = fault == IntegerFault::None || fault == IntegerFault::OutOfRange;
    const std::string xml = document("<PerUserRoam>" + value("Uses", "integer", text) + "</PerUserRoam>");
    EXPECT_EQ(validator().errors(xml).empty(), number) << validator().errors(xml);
  }
}

// Every value of the catalogue a file can carry is declared from the
// catalogue: taken with its kind's types, refused with the other family's.
// A name the catalogue types both ways stays open.
TEST(ConfigSchema, EveryCatalogueValueHasItsKindsType) {
  ASSERT_TRUE(validator().compiled());
  using saving::ValueKind;
  const auto numeric = [](ValueKind k) { return k != ValueKind::String && k != ValueKind::Path; };
  std::map<std::string, std::set<bool>> families;  // by element name: numeric or not
  // A group's or a level's name is that element wherever it stands: no value's.
  std::set<std::string> groups = {"cfgAll", "Quillbray_Preferences", "Quillbray", "PerUserRoam", "PerUserNonRoam",
                                  "PerMachine"};
  for (const char* group : ConfigGroupNames) groups.insert(EncodeName(group));
  std::vector<std::pair<TConfigGroup, CatalogueValue>> values;
  for (const CatalogueGroup& g : CatalogueGroups()) {
    std::vector<CatalogueValue> own = g.values;
    for (int slot = 0; slot <= g.lastSlot; ++slot)
      own.push_back({saving::kListValuePrefix + std::to_string(slot), ValueKind::Path});
    for (const CatalogueValue& v : own) {
      const std::string name = EncodeName(v.name);
      if (v.name.find('_') != std::string::npos || !IsXmlElementName(name) || groups.contains(name)) continue;
      families[name].insert(numeric(v.kind));
      values.emplace_back(g.group, v);
    }
  }
  ASSERT_GT(values.size(), 200u);
  std::size_t checked = 0;
  for (const auto& [group, v] : values) {
    const std::string name = EncodeName(v.name);
    SCOPED_TRACE(name);
    const std::string groupName = group == cgProductKey ? "cfgAll" : EncodeName(ConfigGroupNames[group]);
    const bool number = numeric(v.kind);
    for (const char* type : number ? std::vector{"integer", "boolean"} : std::vector{"string"})
      EXPECT_EQ(validator().errors(document(inGroup(groupName, value(name, type, number ? "1" : "text")))), "");
    const std::string wrong = document(inGroup(groupName, value(name, number ? "string" : "integer", "1")));
    const bool open = families[name].size() == 2;
    EXPECT_EQ(validator().errors(wrong).empty(), open);
    checked += open ? 0 : 1;
  }
  EXPECT_GT(checked, 200u);
}

// What export-config writes from hives the product's own save filled, with
// values and groups it does not know beside them, in both hives.
TEST(ConfigSchema, AcceptsWhatExportConfigWrites) {
  ASSERT_TRUE(validator().compiled());
  ScopedHives hives;
  BoxRecorder boxes;
  TempDir dir;
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE("fill " + std::to_string(k));
    TConfigManager c;
    catalogue::fill(c, catalogue::allRows(c), k);
    c.saveSettings(cgAll);
    seed(HKCU, ProductKey, "Loose Text", sz("a <b> & [c] $d"));
    seed(HKCU, kLogsKey, "Not Known", binary({0x0A, 0xFF}));
    seed(HKCU, std::string(ProductKey) + "\\$Unknown\\Team Settings", "Shared Folder", sz("/srv/q"));
    seed(HKLM, std::string(ProductKey) + "\\Network", "Minutes", dword(15));
    seed(HKLM, std::string(ProductKey) + "\\File Paths", "Images Path", sz("/srv/img"));
    const std::string file = dir.file("export.xml");
    const ExportConfigResult result = ExportConfigFile(file);
    EXPECT_GT(result.values, 200u);
    EXPECT_EQ(validator().errors(readFile(file)), "");
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

// The verb writes the generated schema, replaces a file only with /y, and
// reads no store, so a settings-file location writes the same.
TEST(ConfigSchema, TheRegToolWritesIt) {
  const TempDir dir;
  const std::string file = dir.file("quillbray.xsd");
  const struct {
    std::vector<std::string> args;
    int status;
  } runs[] = {
      {{"export-schema", file}, 0},
      {{"export-schema", file}, 1},  // exists: not replaced without /y
      {{"export-schema", file, "/y"}, 0},
      {{"--location", "file", "export-schema", file, "/Y"}, 0},
      {{"--location", "usb", "export-schema", file}, 1},
      {{"export-schema"}, 1},
      {{"export-schema", file, "more"}, 1},
      {{"export-schema", dir.file("none/quillbray.xsd")}, 1},
  };
  for (const auto& r : runs) {
    const ProgramRun run = runProgram(QB_REG_TOOL, r.args, dir.path().string());
    SCOPED_TRACE(r.args.back());
    EXPECT_EQ(run.exitCode, r.status) << run.stderrText;
    EXPECT_EQ(run.stdoutText.empty(), r.status != 0) << run.stdoutText;
    EXPECT_EQ(readFile(file), ConfigSchemaText());
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

}  // namespace
