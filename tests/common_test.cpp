// Special folders by CSIDL number: the Linux stand-ins (XDG and FHS folders).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "TestSupport.h"
#include "common/Globals.h"

namespace {

using namespace quillbray;
using qbtest::ScopedEnv;

// Sets and unsets environment variables, and restores them when it ends.
// The folder variables the lookup reads; nullopt unsets one.
struct FolderEnv {
  std::optional<std::string> home, configHome, dataHome, configDirs;
  void apply(ScopedEnv& env) const {
    env.set("HOME", home);
    env.set("XDG_CONFIG_HOME", configHome);
    env.set("XDG_DATA_HOME", dataHome);
    env.set("XDG_CONFIG_DIRS", configDirs);
  }
};

TEST(SpecialFolderTest, HomeAndXdgFoldersByCsidl) {
  // The folders need not exist: the lookup only names them.
  const struct {
    const char* name;
    FolderEnv env;
    std::map<int, std::string> expected;  // documents, desktop, roaming, local, all users
  } cases[] = {
      {"XDG variables set",
       {"/h/me", "/cfg", "/data", "/sys1:/sys2"},
       {{5, "/h/me/Documents/"}, {0, "/h/me/Desktop/"}, {26, "/cfg/"}, {28, "/data/"}, {35, "/sys1/"}}},
      {"nothing but HOME",
       {"/h/me", std::nullopt, std::nullopt, std::nullopt},
       {{5, "/h/me/Documents/"}, {0, "/h/me/Desktop/"}, {26, "/h/me/.config/"}, {28, "/h/me/.local/share/"},
        {35, "/etc/xdg/"}}},
      {"empty and relative XDG values are ignored",
       {"/h/me", "", "rel/data", "rel:/sys2/"},
       {{26, "/h/me/.config/"}, {28, "/h/me/.local/share/"}, {35, "/sys2/"}}},
      {"folders already ending with / get no second one",
       {"/h/me/", "/cfg/", "/", "/"},
       {{5, "/h/me/Documents/"}, {26, "/cfg/"}, {28, "/"}, {35, "/"}}},
      {"no HOME",
       {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
       {{5, ""}, {0, ""}, {26, ""}, {28, ""}, {35, "/etc/xdg/"}}},
      {"relative HOME",
       {"me", std::nullopt, "/data", std::nullopt},
       {{5, ""}, {26, ""}, {28, "/data/"}}},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    ScopedEnv env;
    tc.env.apply(env);
    for (const auto& [csidl, folder] : tc.expected) EXPECT_EQ(GetSpecialFolderDir(csidl), folder) << "CSIDL " << csidl;
  }
}

TEST(SpecialFolderTest, MachineFoldersAndUnknownNumbers) {
  const std::map<int, std::string> expected = {
      {38, "/opt/"}, {43, "/usr/local/share/"}, {46, "/srv/"},
      {1, ""},       {27, ""},                  {-1, ""},      {0x7fffffff, ""},
  };
  for (const auto& [csidl, folder] : expected) EXPECT_EQ(GetSpecialFolderDir(csidl), folder) << "CSIDL " << csidl;
}

TEST(SpecialFolderTest, UserDirsFileNamesDocumentsAndDesktop) {
  qbtest::TempDir dir;
  const std::string home = dir.file("home");
  ScopedEnv env;
  FolderEnv{home, dir.path().string(), std::nullopt, std::nullopt}.apply(env);
  const std::string fallback = home + "/Documents/";

  const struct {
    const char* name;
    std::string text;
    std::string documents;
  } cases[] = {
      {"$HOME value", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n", home + "/Docs/"},
      {"absolute value with blanks, CR LF, comment after",
       "XDG_DOCUMENTS_DIR=\"/srv/My Docs/\" # mine\r\n", "/srv/My Docs/"},
      {"home itself: xdg-user-dirs' mark of a folder turned off", "XDG_DOCUMENTS_DIR=\"$HOME\"", ""},
      {"comments, blank lines and other names around",
       "# XDG_DOCUMENTS_DIR=\"/commented\"\n\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n  XDG_DOCUMENTS_DIR=\"/d\"\n"
       "XDG_DOCUMENTS_DIRS=\"/other\"\n",
       "/d/"},
      {"escapes", R"(XDG_DOCUMENTS_DIR="$HOME/a \"q\" \$x \\ \`")", home + "/a \"q\" $x \\ `/"},
      {"the last assignment wins", "XDG_DOCUMENTS_DIR=\"/first\"\nXDG_DOCUMENTS_DIR=\"/second\"\n", "/second/"},
      {"a malformed line does not undo a good one", "XDG_DOCUMENTS_DIR=\"/good\"\nXDG_DOCUMENTS_DIR=\"/bad\n",
       "/good/"},
      {"unquoted", "XDG_DOCUMENTS_DIR=$HOME/Docs\n", fallback},
      {"unterminated quote", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\n", fallback},
      {"relative", "XDG_DOCUMENTS_DIR=\"Docs\"\n", fallback},
      {"empty", "XDG_DOCUMENTS_DIR=\"\"\n", fallback},
      {"escaped $HOME is text", R"(XDG_DOCUMENTS_DIR="\$HOME/Docs")", fallback},
      {"another variable", "XDG_DOCUMENTS_DIR=\"$HOMEDIR/Docs\"\n", fallback},
      {"a variable inside", "XDG_DOCUMENTS_DIR=\"/home/$USER\"\n", fallback},
      {"a command", "XDG_DOCUMENTS_DIR=\"/`id`\"\n", fallback},
      {"text after the value", "XDG_DOCUMENTS_DIR=\"/d\" /e\n", fallback},
      {"beyond the size limit", std::string(70000, '#') + "\nXDG_DOCUMENTS_DIR=\"/far\"\n", fallback},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    std::ofstream(dir.file("user-dirs.dirs"), std::ios::binary | std::ios::trunc) << tc.text;
    EXPECT_EQ(GetSpecialFolderDir(5), tc.documents);
  }
  EXPECT_EQ(GetSpecialFolderDir(0), home + "/Desktop/");  // the last file names no desktop

  // Without XDG_CONFIG_HOME the file is looked for in $HOME/.config.
  std::filesystem::create_directories(home + "/.config");
  std::ofstream(home + "/.config/user-dirs.dirs") << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  env.set("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(GetSpecialFolderDir(0), home + "/Schreibtisch/");
}

}  // namespace
