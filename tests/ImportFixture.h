// The import's test fixture: a store over private hives, documents built
// from their parts, and the import-error box.
#pragma once

#include <fstream>

#include "StoreFixture.h"
#include "common/Application.h"
#include "import/ImpExpRegXML.h"

namespace qbtest {

using namespace quillbray;

inline const std::string kProduct = ProductKey;
inline const std::string kHead = "<?xml version=\"1.0\"?>\n<!DOCTYPE Quillbray_Preferences>\n";

// A document with the right header around a product element's content.
inline std::string product(const std::string& scopes) {
  return kHead + "<Quillbray_Preferences>\n<Quillbray>\n" + scopes + "</Quillbray>\n</Quillbray_Preferences>\n";
}
inline std::string roam(const std::string& content) { return "<PerUserRoam>\n" + content + "</PerUserRoam>\n"; }
inline std::string group(const std::string& name, const std::string& values) {
  return "<" + name + ">\n" + values + "</" + name + ">\n";
}
inline std::string value(const std::string& name, const std::string& type, const std::string& text) {
  return "<" + name + " type=\"" + type + "\">" + text + "</" + name + ">\n";
}

class ImportTest : public StoreTest {
 protected:
  bool importText(const std::string& content) {
    const std::string file = hives.dir().file("prefs.xml");
    std::ofstream(file, std::ios::binary) << content;
    return ImportConfigFile(store, file);
  }
  std::string importError(const std::string& message) {
    return "Could not import the program configuration due to the following error:\r\n" + message +
           "\r\n\r\nFilename: " + hives.dir().file("prefs.xml");
  }
  // The one box shown, which must be the import-error box.
  std::string onlyImportErrorMessage() {
    EXPECT_EQ(boxes.boxes.size(), 1u);
    if (boxes.boxes.empty()) return "";
    const auto& box = boxes.boxes[0];
    EXPECT_EQ(box.caption, ApplicationTitle);
    EXPECT_EQ(box.owner, platform::BoxOwner::ForegroundWindow);
    EXPECT_EQ(box.style, kErrorStyle);
    const std::string head = "Could not import the program configuration due to the following error:\r\n";
    EXPECT_EQ(box.text.rfind(head, 0), 0u) << box.text;
    return box.text;
  }
  bool hiveUntouched() { return !std::filesystem::exists(hives.user()) && !std::filesystem::exists(hives.machine()); }
};

}  // namespace qbtest
