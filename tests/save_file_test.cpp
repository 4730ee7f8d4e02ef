// A full save into the settings files through each system's writer (the
// Linux one, or Windows' profile routines): the same sections, names and
// values as the checked-in files. The Linux-only tests compare the bytes.
#include <map>
#include <sstream>

#include "CatalogueFill.h"
#include "StoreFixture.h"
#include "platform/ShellFolders.h"

namespace {

using namespace qbtest;
using namespace qbtest::catalogue;

// Section -> name -> value; the order of lines aside, and the blanks at a
// value's ends, which every reader of the file drops: Wine's profile routines
// drop the leading ones when they write.
using IniMap = std::map<std::string, std::map<std::string, std::string>>;

std::string trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

IniMap parseIni(const std::string& text) {
  IniMap sections;
  std::string section, line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with("[") && line.ends_with("]")) {
      section = line.substr(1, line.size() - 2);
      sections[section];
    } else if (const auto eq = line.find('='); eq != std::string::npos) {
      EXPECT_TRUE(sections[section].emplace(line.substr(0, eq), trimmed(line.substr(eq + 1))).second) << line;
    } else {
      EXPECT_EQ(line, "") << "a line that is neither a section nor a value";
    }
  }
  return sections;
}

TEST(SaveToFiles, AFullSaveHoldsWhatTheCheckedInFilesHold) {
  const std::string sep = kOnWindows ? "\\" : "/";
  TempDir dir;
  const std::string roaming = dir.file("roaming") + sep, local = dir.file("local") + sep;
  platform::ScopedShellFolders folders({{platform::CSIDL_APPDATA, roaming},
                                        {platform::CSIDL_LOCAL_APPDATA, local},
                                        {platform::CSIDL_COMMON_APPDATA, dir.file("machine") + sep}});
  ScopedHives hives;
  BoxRecorder boxes;
  PrefLocation = plFile;
  {
    TConfigManager c;
    fill(c, allRows(c), 0);
    c.saveSettings(cgAll);
  }
  PrefLocation = plRegistry;
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text;
  const std::string file = "Corvellan" + sep + "Quillbray 4" + sep + "Quillbray.ini";

  IniMap user = parseIni(readFile(roaming + file));
  // The window-layout section carries this test program's name; the
  // checked-in file names it Quillbray.
  ASSERT_TRUE(user.contains(windowsKey()));
  user["Windows\\Quillbray_MainWin"] = user.extract(windowsKey()).mapped();
  EXPECT_EQ(user, parseIni(readFile(std::string(QB_FIXTURES) + "/save-all.ini")));
  // The file paths belong to this machine: the local file holds them.
  EXPECT_EQ(parseIni(readFile(local + file)), parseIni(readFile(std::string(QB_FIXTURES) + "/save-all-local.ini")));
}

}  // namespace
