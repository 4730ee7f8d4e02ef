// Importing configuration files into real hives.
#include <fstream>
#include <optional>
#include <sstream>

#include "ImportFixture.h"
#include "import/ImportPlan.h"

namespace {

using namespace quillbray;
using namespace qbtest;

TEST_F(ImportTest, TheMinimalDocumentLandsWhereItSays) {
  ASSERT_TRUE(importText(product(
      roam(group("Logs", value("Log_Unusual_Events", "boolean", "1") + value("Macro_log_Warning_Size", "integer", "500")) +
           value("Uses", "integer", "12")) +
      "<PerMachine>\n" + group("My_Group", value("Data", "string", "x")) + "</PerMachine>\n")));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(user("Log Unusual Events"), dword(1));
  EXPECT_EQ(user("Macro log Warning Size"), dword(500));
  EXPECT_EQ(user("Uses", kProduct), dword(12));
  // The machine hive here is writable, so a machine-scope group goes there.
  EXPECT_EQ(machine("Data", kProduct + "\\$Unknown\\My Group"), sz("x"));
}

TEST_F(ImportTest, ForeignFilesAreRefusedByName) {
  const struct {
    const char* root;
    const char* doctype;
    const char* product;
  } cases[] = {
      {"Other_Tool_Preferences", "Other_Tool_Preferences", "Other Tool"},
      {"Quillbray_Preferences", "Some_App_Preferences", "Some App"},
      {"Some_App_Preferences", "Quillbray_Preferences", "Some App"},
      {"quillbray_preferences", "Quillbray_Preferences", "quillbray preferences"},  // letter case counts
      {"Root_X", "Doc_Preferences_Y", "Doc Y"},                         // the document type's name wins
      {"Quillbray_Preferences", "Other_Tool_Preferences SYSTEM \"other.dtd\"", "Other Tool"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.product);
    boxes.boxes.clear();
    EXPECT_TRUE(importText(std::string("<!DOCTYPE ") + c.doctype + ">\n<" + c.root + "><Quillbray>" +
                           roam(value("Uses", "integer", "1")) + "</Quillbray></" + c.root + ">"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0], (platform::MessageBoxRequest{std::string("This configuration file belongs to ") +
                                                               c.product + "\r\nand is not compatible with Quillbray.",
                                                           ApplicationTitle, platform::BoxOwner::ForegroundWindow,
                                                           kErrorStyle}));
  }
  EXPECT_TRUE(hiveUntouched());
}

TEST_F(ImportTest, AFileWithoutDocumentTypeIsAnError) {
  EXPECT_FALSE(importText("<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "integer", "1")) +
                          "</Quillbray></Quillbray_Preferences>"));
  EXPECT_EQ(onlyImportErrorMessage(),
            importError("the file has no document type declaration (<!DOCTYPE Quillbray_Preferences>)"));
  EXPECT_TRUE(hiveUntouched());
}

TEST_F(ImportTest, ProductsScopesAndGroupsAreWalkedInOrder) {
  ASSERT_TRUE(importText(
      kHead + "<Quillbray_Preferences>\n<!-- written by hand -->\n<Other>" + roam(value("Skipped", "integer", "1")) +
      "</Other>\n<QUILLBRAY>" + roam(group("logs", value("Order", "integer", "1"))) + "</QUILLBRAY>\n<quillbray>" +
      "<cfgAll>" + group("LOGS", value("Order", "integer", "2")) + "</cfgAll>" +
      "<PerUserNonRoam>" + group("Dialogs", value("Use_Advanced_File_Dialog", "boolean", "-1")) + "</PerUserNonRoam>" +
      "<Misspelt>" + group("cfgAll", value("In_Product_Key", "string", "p")) + "</Misspelt>" +
      "<PerUserRoam>" + group("Mine", value("Twice", "integer", "1") + value("Twice", "integer", "2")) +
      "<Empty_Scope_Value type=\"string\"></Empty_Scope_Value></PerUserRoam>"
      "<PerUserRoam/>" + "</quillbray>\n</Quillbray_Preferences>\n"));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_FALSE(user("Skipped", kProduct));
  EXPECT_EQ(user("Order"), dword(2));  // the second product element comes later
  EXPECT_EQ(user("Use Advanced File Dialog", kProduct + "\\Dialogs"), dword(1));
  EXPECT_EQ(user("In Product Key", kProduct), sz("p"));
  EXPECT_EQ(user("Twice", kProduct + "\\$Unknown\\Mine"), dword(2));
  // An empty element under a scope is an empty group, not a value.
  EXPECT_FALSE(user("Empty Scope Value", kProduct));
  EXPECT_FALSE(platform::registry().openKey(HKCU, kProduct + "\\$Unknown\\Empty Scope Value",
                                            platform::KeyAccess::Read, false));
}

TEST_F(ImportTest, SkippedGroupsAreNotImported) {
  ASSERT_TRUE(importText(product(roam(group("Schedules", value("A", "integer", "1")) +
                                      group("_0x24_Temp", value("B", "integer", "1")) +
                                      group("_0x24_unknown", value("C", "integer", "1")) +
                                      group("Old_0x24_tempfiles", value("D", "integer", "1")) +
                                      group("schedules", value("E", "integer", "1"))))));
  EXPECT_FALSE(user("A", kProduct + "\\$Unknown\\Schedules"));
  EXPECT_FALSE(user("B", kProduct + "\\$Temp"));
  EXPECT_FALSE(user("C", kProduct + "\\$Unknown"));
  EXPECT_FALSE(user("D", kProduct + "\\$Unknown\\Old $tempfiles"));
  EXPECT_EQ(user("E", kProduct + "\\$Unknown\\schedules"), dword(1));  // only the exact spelling is skipped
}

TEST_F(ImportTest, EveryTypeWithGoodAndBadText) {
  const struct {
    std::string element;
    std::optional<platform::RegistryValue> stored;
  } cases[] = {
      {value("Int", "integer", "  -42"), dword(static_cast<std::uint32_t>(-42))},
      {value("Int_Hex", "integer", "$FF"), dword(255)},
      {value("Int_Bad", "integer", "12 "), dword(0)},
      {value("Str", "string", "C:\\My_Files\\_0x5B_1_0x5D_ &amp;amp; x"), sz("C:\\My Files\\[1] & x")},
      {value("Str_Utf8", "string", "\xC3\xA4pfel"), sz("\xC3\xA4pfel")},
      {value("Str_Entity", "string", "a&#65;b"), sz("aAb")},
      {value("Bool_Word", "boolean", "true"), dword(0)},
      {value("Bool_One", "boolean", "1"), dword(1)},
      {value("Bool_Minus", "boolean", "-1"), dword(1)},
      {value("Bin", "binary", "0A 1B FF"), binary({0x0A, 0x1B, 0xFF})},
      {value("Bin_Odd", "binary", "0A1"), binary({0x0A})},
      {value("Bin_Five", "binary", "0A1B2"), binary({0x0A, 0x1B})},
      {value("Bin_Commas", "binary", "0A,1B,2C"), std::nullopt},
      {value("Bin_Empty", "binary", ""), binary({})},
      {value("Bin_Blanks", "binary", "0A_1B"), binary({0x0A, 0x1B})},
      {value("Bin_Accent", "binary", "0A1B\xC3\xA9"), binary({0x0A, 0x1B})},  // 5 characters: 2 bytes
      {value("Bin_Accents", "binary", "0A1B\xC3\xA9\xC3\xA9"), std::nullopt},  // 6 characters claim 3
      {value("CData", "string", "<![CDATA[text]]>"), sz("")},
      {value("CData_Int", "integer", "<![CDATA[5]]>"), dword(0)},
      {value("Comment_Beside", "integer", "5<!-- note -->"), dword(0)},
      {value("Blank_Only", "string", "   "), sz("")},
      {value("Word_Type", "Integer", "5"), std::nullopt},
      {"<No_Type>5</No_Type>\n", std::nullopt},
      {"<Extra type=\"integer\" other=\"x\">3</Extra>\n", dword(3)},
  };
  std::string values;
  for (const auto& c : cases) values += c.element;
  ASSERT_TRUE(importText(product(roam(group("Types", values)))));
  EXPECT_TRUE(boxes.boxes.empty());
  const std::string key = kProduct + "\\$Unknown\\Types";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.element);
    const std::string name = c.element.substr(1, c.element.find_first_of(" >") - 1);
    std::string decoded = name;
    std::replace(decoded.begin(), decoded.end(), '_', ' ');
    EXPECT_EQ(user(decoded, key), c.stored);
  }
}

TEST_F(ImportTest, AGroupThatCannotBeOpenedIsSkippedAndTheNextImports) {
  const std::string tooLong(300, 'x');
  ASSERT_TRUE(importText(product(roam(group(tooLong, value("A", "integer", "1")) +
                                      group("Logs", value("B", "integer", "2"))))));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, qbtest::storeCaption("OpenPref Error"));
  EXPECT_NE(boxes.boxes[0].text.find("key name too long"), std::string::npos);
  EXPECT_EQ(user("B"), dword(2));
}

// On a desktop a file of many failing groups gives ten boxes and one that
// sums up the rest; the console keeps every one.
TEST_F(ImportTest, ADesktopSeesAtMostTenStoreBoxesAndASummary) {
  std::string groups;
  for (int i = 0; i < 25; ++i) groups += group(std::string(300, 'a' + i % 26), value("A", "integer", "1"));
  groups += group("Logs", value("B", "integer", "2"));
  const std::string file = product(roam(groups));
  for (bool desktop : {true, false}) {
    SCOPED_TRACE(desktop ? "desktop" : "console");
    boxes.boxes.clear();
    boxes.desktop = desktop;
    ASSERT_TRUE(importText(file));
    ASSERT_EQ(boxes.boxes.size(), desktop ? 11u : 25u);
    EXPECT_EQ(boxes.boxes[9].caption, qbtest::storeCaption("OpenPref Error"));
    if (desktop) {
      EXPECT_NE(boxes.boxes[10].text.find("... and 15 more"), std::string::npos) << boxes.boxes[10].text;
    }
    EXPECT_EQ(user("B"), dword(2));
  }
}

TEST_F(ImportTest, NothingIsDeleted) {
  seed(HKCU, kLogsKey, "Untouched", dword(9));
  seed(HKCU, kLogsKey, "Changed", dword(1));
  seed(HKCU, kLogsKey + "\\Sub", "Deeper", dword(3));
  ASSERT_TRUE(importText(product(roam(group("Logs", value("Changed", "integer", "2"))))));
  EXPECT_EQ(user("Untouched"), dword(9));
  EXPECT_EQ(user("Changed"), dword(2));
  EXPECT_EQ(user("Deeper", kLogsKey + "\\Sub"), dword(3));
}

// Identifiers on the document type, and external entities that nothing uses,
// play no part: nothing is read for them and the file imports.
TEST_F(ImportTest, ExternalDefinitionsThatNothingUsesAreIgnored) {
  const std::string body = "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "string", "a&amp;b&#65;&i;")) +
                           "</Quillbray></Quillbray_Preferences>";
  ASSERT_TRUE(importText("<!DOCTYPE Quillbray_Preferences PUBLIC \"-//Corvellan//Prefs//EN\" \"/nonexistent/x.dtd\" [\n"
                         "<!ENTITY unused SYSTEM \"/etc/passwd\">\n<!ENTITY i \"in\">\n]>\n" + body));
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(user("Uses", kProduct), sz("a&bAin"));
}

// What the walk reads of a value is what a tree of the document would hold:
// a "type" the document type defaults, text from entities, and a text only
// when it is the element's one content node.
TEST_F(ImportTest, ValuesAreReadAsTheDocumentHoldsThem) {
  ASSERT_TRUE(importText(
      "<!DOCTYPE Quillbray_Preferences [<!ATTLIST A type CDATA \"integer\"><!ENTITY t \"te\">"
      "<!ENTITY v \"<V type='string'>&t;xt</V>\">]>\n<Quillbray_Preferences><Quillbray>" +
      roam(group("G", "<A>5</A><B type=\"string\">a<!--c-->b</B><C type=\"string\"><![CDATA[c]]></C>"
                      "<D type=\"string\">&t;&#65;<!---->  </D><E type=\"string\">  &t;  </E>&v;")) +
      "</Quillbray></Quillbray_Preferences>"));
  EXPECT_TRUE(boxes.boxes.empty());
  const std::string key = kProduct + "\\$Unknown\\G";
  EXPECT_EQ(user("A", key), dword(5));
  EXPECT_EQ(user("B", key), sz(""));
  EXPECT_EQ(user("C", key), sz(""));
  EXPECT_EQ(user("D", key), sz(""));
  EXPECT_EQ(user("E", key), sz("  te  "));
  EXPECT_EQ(user("V", key), sz("text"));
}

TEST_F(ImportTest, AnAcceptedFileWithNothingToImportIsQuiet) {
  for (const std::string& doc : {kHead + "<Quillbray_Preferences/>",
                                 kHead + "<Quillbray_Preferences><Other/>text</Quillbray_Preferences>",
                                 product("<PerUserRoam>   </PerUserRoam>")}) {
    SCOPED_TRACE(doc);
    EXPECT_TRUE(importText(doc));
  }
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(hiveUntouched());
}

TEST_F(ImportTest, AQuotedFileNameIsUnquoted) {
  const std::string file = hives.dir().file("my prefs.xml");
  std::ofstream(file) << product(roam(value("Uses", "integer", "3")));
  EXPECT_TRUE(ImportConfigFile(store, "\"" + file + "\""));
  EXPECT_EQ(user("Uses", kProduct), dword(3));
}

// Bad input: each is refused with the import-error box, quickly, writing
// nothing from the file.
TEST_F(ImportTest, BadFilesAreRefusedQuicklyWithTheImportErrorBox) {
  const std::string secret = hives.dir().file("secret.txt");
  std::ofstream(secret) << "SECRET";
  const std::string laughs =
      "<!DOCTYPE Quillbray_Preferences [\n<!ENTITY a \"aaaaaaaaaa\">\n"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">\n<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">\n"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">\n<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">\n"
      "<!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">\n<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">\n]>\n";
  std::string refs;
  for (int i = 0; i < 20000; ++i) refs += "&big;";
  const std::string quadratic = "<!DOCTYPE Quillbray_Preferences [\n<!ENTITY big \"" + std::string(50000, 'x') + "\">\n]>\n";
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<d>";
  const std::string gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);

  const struct {
    const char* what;
    std::string content;
  } cases[] = {
      {"not XML", "just some text"},
      {"empty file", ""},
      {"truncated", product(roam(group("Logs", value("A", "integer", "1")))).substr(0, 120)},
      {"wrong encoding declaration",
       "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<!DOCTYPE Quillbray_Preferences><Quillbray_Preferences/>"},
      {"invalid UTF-8", product(roam(value("Uses", "string", "bad \xC3\x28 bytes")))},
      {"external entity to a local file",
       "<!DOCTYPE Quillbray_Preferences [<!ENTITY x SYSTEM \"file://" + secret + "\">]>\n"
       "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "string", "&x;")) + "</Quillbray></Quillbray_Preferences>"},
      {"external entity by relative path",
       "<!DOCTYPE Quillbray_Preferences [<!ENTITY x SYSTEM \"secret.txt\">]>\n"
       "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "string", "&x;")) + "</Quillbray></Quillbray_Preferences>"},
      {"an entity only the external document type could declare",
       "<!DOCTYPE Quillbray_Preferences SYSTEM \"file://" + secret + "\">\n"
       "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "string", "&x;")) + "</Quillbray></Quillbray_Preferences>"},
      {"external parameter entity",
       "<!DOCTYPE Quillbray_Preferences [<!ENTITY % p SYSTEM \"file://" + secret + "\"> %p;]>\n"
       "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "integer", "1")) + "</Quillbray></Quillbray_Preferences>"},
      {"billion laughs",
       laughs + "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "string", "&i;")) + "</Quillbray></Quillbray_Preferences>"},
      {"quadratic blow-up in text",
       quadratic + "<Quillbray_Preferences><Quillbray>" + roam(value("Uses", "string", refs)) + "</Quillbray></Quillbray_Preferences>"},
      {"quadratic blow-up in an attribute",
       quadratic + "<Quillbray_Preferences><Quillbray>" + roam("<Uses type=\"" + refs + "\">1</Uses>") +
           "</Quillbray></Quillbray_Preferences>"},
      {"gzip-compressed file", gzip + std::string(100, '\0')},
      {"nesting thousands deep", kHead + "<Quillbray_Preferences><Quillbray>" + roam(deep)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.boxes.clear();
    const double start = processorSeconds();
    EXPECT_FALSE(importText(c.content));
    // Far below what any blow-up would take (a gigabyte of text, minutes),
    // with room for a sanitized build on a busy machine.
    EXPECT_LT(processorSeconds() - start, 2.0);
    const std::string text = onlyImportErrorMessage();
    EXPECT_EQ(text.find("SECRET"), std::string::npos);
    EXPECT_TRUE(hiveUntouched());
  }
}

TEST_F(ImportTest, UnreadableAndOversizedFilesAreRefused) {
  const std::string folder = hives.dir().file("folder.xml");
  std::filesystem::create_directory(folder);
  const std::string huge = hives.dir().file("huge.xml");
  std::filesystem::resize_file((std::ofstream(huge), huge), 65 * 1024 * 1024);  // sparse: cheap
  const std::string missing = hives.dir().file("missing.xml");
  // The system's own text follows for a file that is not there.
  const std::pair<std::string, std::string> cases[] = {
      {folder, "cannot read '" + folder + "': it is a folder"},
      {huge, "cannot read '" + huge + "': the file is larger than 64 MiB"},
      {missing, "cannot read '" + missing + "': "},
  };
  for (const auto& [file, message] : cases) {
    SCOPED_TRACE(file);
    boxes.boxes.clear();
    EXPECT_FALSE(ImportConfigFile(store, file));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const std::string text = boxes.boxes[0].text;
    const std::string head = "Could not import the program configuration due to the following error:\r\n" + message;
    EXPECT_EQ(text.rfind(head, 0), 0u) << text;
    if (file != missing) {
      EXPECT_EQ(text, head + "\r\n\r\nFilename: " + file);
    }
  }
}

TEST_F(ImportTest, ABinaryValueOverTheLimitIsReportedAndTheRestImports) {
  const std::string bytes32k(2 * 32768, 'a');
  ASSERT_TRUE(importText(product(roam(group("Bin", value("Fits", "binary", bytes32k) +
                                                     value("Too_Big", "binary", bytes32k + "ab") +
                                                     value("After", "integer", "1"))))));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text,
            "Could not import the binary value 'Too Big' of the group 'Bin': it has 32769 bytes, and at most 32768 "
            "bytes can be imported.\r\n\r\nFilename: " +
                hives.dir().file("prefs.xml"));
  EXPECT_EQ(boxes.boxes[0].caption, ApplicationTitle);
  const std::string key = kProduct + "\\$Unknown\\Bin";
  EXPECT_EQ(user("Fits", key), binary(std::vector<std::uint8_t>(32768, 0xAA)));
  EXPECT_FALSE(user("Too Big", key));
  EXPECT_EQ(user("After", key), dword(1));
}

TEST_F(ImportTest, TheCountTestComesBeforeTheSizeLimit) {
  // 65,540 commas claim 32,770 bytes but carry no digit: passed over silently.
  ASSERT_TRUE(importText(product(roam(group("Bin", value("Commas", "binary", std::string(65540, ',')) +
                                                     value("After", "integer", "1"))))));
  EXPECT_TRUE(boxes.boxes.empty());
  const std::string key = kProduct + "\\$Unknown\\Bin";
  EXPECT_FALSE(user("Commas", key));
  EXPECT_EQ(user("After", key), dword(1));
}

TEST_F(ImportTest, TheStatsCountWhatLandedWhere) {
  const std::string longName(16384, 'V');
  ImportStats stats;
  stats.values = 99;  // reset by the import
  const std::string file = hives.dir().file("prefs.xml");
  std::ofstream(file) << product(
      roam(group("Logs", value("A", "integer", "1") + value("B", "string", "x") + value("D", "word", "1") +
                             "<No_Type>1</No_Type>" + value("Bin", "binary", "0A,1B,2C") +
                             value(longName, "integer", "1")) +
           group("LOGS", value("E", "binary", "0A")) + value("Uses", "integer", "5") +
           group("Mine", value("C", "boolean", "1")) + group("Schedules", value("S", "integer", "1")) +
           group(std::string(300, 'G'), value("G", "integer", "1"))) +
      "<PerMachine>" + group("Network", value("M", "integer", "1")) + group("Logs", value("N", "integer", "1")) +
      "</PerMachine>\n");
  ASSERT_TRUE(ImportConfigFile(store, file, stats));
  EXPECT_EQ(boxes.boxes.size(), 2u);  // the long value name and the long group name
  EXPECT_EQ(stats.outcome, ioImported);
  EXPECT_EQ(stats.values, 7u);         // A, B, E, Uses, C; M, N
  EXPECT_EQ(stats.userValues, 5u);
  EXPECT_EQ(stats.machineValues, 2u);
  EXPECT_EQ(stats.keys, 5u);           // user Logs, product key, $Unknown\Mine; machine Network, Logs
  EXPECT_EQ(stats.failed, 2u);
  EXPECT_EQ(machine("N"), dword(1));

  boxes.boxes.clear();
  std::ofstream(file, std::ios::trunc) << "<!DOCTYPE Other_Preferences><Other_Preferences/>";
  EXPECT_TRUE(ImportConfigFile(store, file, stats));
  EXPECT_EQ(stats.outcome, ioRefused);
  EXPECT_EQ(stats.values, 0u);

  std::ofstream(file, std::ios::trunc) << "<not xml";
  EXPECT_FALSE(ImportConfigFile(store, file, stats));
  EXPECT_EQ(stats.outcome, ioFailed);
  EXPECT_EQ(boxes.boxes.size(), 2u);
}

// The machine's store as a user who may not write it sees it (an
// administrator who forgot to elevate): it reads, and refuses every opening
// for writing, as Windows refuses it. Wine and root may write anything, so
// the tests make it so here.
class MachineStoreReadOnly : public platform::Registry {
 public:
  MachineStoreReadOnly() : inner_(platform::platformRegistry()), scope_(*this) {}
  std::unique_ptr<platform::RegistryKey> openKey(platform::RegistryRoot root, std::string_view path,
                                                 platform::KeyAccess access, bool create) override {
    if (root == HKLM && access == platform::KeyAccess::ReadWrite) throw platform::RegistryError("access denied");
    return inner_.openKey(root, path, access, create);
  }
  std::string location(platform::RegistryRoot root) override { return inner_.location(root); }
  bool mayWrite(platform::RegistryRoot root) override { return root != HKLM && inner_.mayWrite(root); }
  void beginBatch() override { inner_.beginBatch(); }
  void commitBatch() override { inner_.commitBatch(); }
  void endBatch() override { inner_.endBatch(); }

 private:
  platform::Registry& inner_;
  platform::ScopedRegistry scope_;
};

// Machine-wide values that land per user because the machine's store cannot
// be written are told once for each group, as not stored as written, by the
// import and by a dry run; where the store can be written, nothing is told.
TEST_F(ImportTest, MachineWideValuesStoredPerUserAreTold) {
  const std::string file = hives.dir().file("prefs.xml");
  std::ofstream(file) << product("<PerMachine>\n" + group("Network", value("M", "integer", "1") + value("O", "integer", "2")) +
                                 "</PerMachine>\n" + roam(group("Logs", value("U", "integer", "3"))));
  const std::string told = "prefs.xml:6: group \"Network\": machine-wide values stored per-user: the machine store "
                           "cannot be written; run elevated";
  for (const bool dryRun : {false, true}) {
    SCOPED_TRACE(dryRun ? "dry run" : "import");
    std::vector<std::string> notices;
    ImportOptions options;
    options.notice = [&](const ImportNotice& n) { notices.push_back(NoticeText("prefs.xml", n)); };
    std::ostringstream planned;
    std::optional<ImportPlan> plan;
    if (dryRun) options.plan = &plan.emplace(planned);
    ImportStats stats;
    {
      MachineStoreReadOnly readOnly;
      ASSERT_TRUE(ImportConfigFile(store, file, stats, options));
    }
    EXPECT_EQ(notices, std::vector<std::string>{told});
    EXPECT_EQ(stats.noticed, 1u);
    EXPECT_EQ(stats.machineValues, 0u);
    EXPECT_EQ(stats.userValues, 3u);
    if (!dryRun) {
      EXPECT_EQ(user("M", kProduct + "\\Network"), dword(1));
    }
  }
  std::vector<std::string> notices;
  ImportOptions options;
  options.notice = [&](const ImportNotice& n) { notices.push_back(NoticeText("prefs.xml", n)); };
  ImportStats stats;
  ASSERT_TRUE(ImportConfigFile(store, file, stats, options));
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(stats.machineValues, 2u);
}

}  // namespace
