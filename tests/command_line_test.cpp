// The command line: how it splits into arguments, and how a switch's value is
// read from the complete line under each system's rule. One table, a column
// per system where the rules part.
#include "TestSupport.h"
#include "app/Main.h"
#include "platform/CommandLineRules.h"

namespace {

using namespace quillbray;

// Cases from the product's own description of its switches. `absent` is what
// switchValue answers when the line holds no switch that counts.
constexpr const char* kAbsent = "<absent>";

struct SwitchCase {
  const char* line;  // the program's path is "prog" unless the line says otherwise
  std::size_t programLength;
  char letter;
  const char* onLinux;
  const char* onWindows;
};

const SwitchCase kSwitchCases[] = {
    {"prog /IC C:\\Data\\prefs.xml", 4, 'C', "C:\\Data\\prefs.xml", "C:\\Data\\prefs.xml"},
    {"prog /ic C:\\Data\\prefs.xml", 4, 'C', "C:\\Data\\prefs.xml", "C:\\Data\\prefs.xml"},
    {"prog /ICC:\\My Files\\prefs.xml", 4, 'C', "C:\\My Files\\prefs.xml", "C:\\My Files\\prefs.xml"},
    // A quote written before the switch stays on the value's end; on Linux
    // the switch does not follow a blank there.
    {"prog \"/ICC:\\My Files\\prefs.xml\"", 4, 'C', kAbsent, "C:\\My Files\\prefs.xml\""},
    {"prog /ICprefs.xml /IPC:\\Program Files\\Quillbray\\Quillbray.exe", 4, 'P',
     "C:\\Program Files\\Quillbray\\Quillbray.exe", "C:\\Program Files\\Quillbray\\Quillbray.exe"},
    // On Windows a "/" ends the value; on Linux it separates folders.
    {"prog /ICC:/data/prefs.xml", 4, 'C', "C:/data/prefs.xml", "C:"},
    {"prog /IC /home/me/my prefs.xml /IP /opt/q/prog", 4, 'C', "/home/me/my prefs.xml", ""},
    {"prog /IC /home/me/my prefs.xml /IP /opt/q/prog", 4, 'P', "/opt/q/prog", ""},
    {"prog /ICa.xml /ICb.xml", 4, 'C', "a.xml", "a.xml"},
    {"prog /ICa.xml/IPC:\\x\\y.exe", 4, 'C', "a.xml/IPC:\\x\\y.exe", "a.xml"},
    // Windows finds the first occurrence anywhere, the program's path included.
    {"C:\\x/icons\\prog.exe /ICa.xml", 19, 'C', "a.xml", "ons\\prog.exe"},
    {"prog /IC", 4, 'C', "", ""},
    {"prog /IC \t a.xml \x01", 4, 'C', "a.xml", "a.xml"},
    {"prog /IC\xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC.xml", 4, 'C', "\xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC.xml",
     "\xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC.xml"},
    {"prog a.xml", 4, 'C', kAbsent, kAbsent},
    {"prog x/IC a.xml", 4, 'C', kAbsent, "a.xml"},
    {"prog /IC a.xml", 4, 'P', kAbsent, kAbsent},
};

TEST(CommandLine, SwitchValuesByEachSystemsRule) {
  for (const SwitchCase& c : kSwitchCases) {
    SCOPED_TRACE(std::string(c.line) + " /I" + c.letter);
    const std::optional<std::string> value = platform::switchValue(c.line, c.programLength, c.letter);
    EXPECT_EQ(value.value_or(kAbsent), qbtest::kOnWindows ? c.onWindows : c.onLinux);
  }
}

// The main form reads the value from the line the system handed over, not
// from the arguments, which only say which switch is meant.
TEST(CommandLine, TheMainFormReadsTheSystemsLine) {
  qbtest::ScopedHives hives;
  // One form at a time: the catalogue it creates is the process's one.
  {
    TMainWin form(CommandLine({"prog", "/IC", "ignored.xml"}, "prog /IC C:\\Data\\prefs.xml"));
    EXPECT_EQ(form.ConfigFileName, "C:\\Data\\prefs.xml");
  }
  TMainWin quoted(CommandLine({"prog", "/IC\"x y\""}, "prog /IC\"x y\" tail"));
  EXPECT_EQ(quoted.ConfigFileName, "x y");  // the quoted text, without what follows it
}

// Where the system hands the complete line, an option counts as a whole word
// outside double quotes wherever it stands: before the switches, inside or
// after an unquoted value (which would otherwise run on to the next "/"); a
// word in quotes is a name as written.
TEST(CommandLine, OptionsCountWhereverTheyStandOnTheSystemsLine) {
  const struct {
    const char* line;
    const char* left;  // the line without the options
    bool dryRun, strict, verbose;
    std::optional<TPrefLocation> location;
  } cases[] = {
      {"prog --dry-run /IC new.xml", "prog /IC new.xml", true, false, false, {}},
      {"prog /IC new.xml --dry-run", "prog /IC new.xml", true, false, false, {}},
      {"prog /IC \"new.xml\" --dry-run", "prog /IC \"new.xml\"", true, false, false, {}},
      {"prog /IC my --strict prefs.xml", "prog /IC my prefs.xml", false, true, false, {}},
      {"prog /IC a.xml --strict /IP C:\\q\\q.exe --verbose", "prog /IC a.xml /IP C:\\q\\q.exe", false, true, true, {}},
      {"prog /IC a.xml --location file", "prog /IC a.xml", false, false, false, plFile},
      {"prog /IC a.xml --location=usb --strict", "prog /IC a.xml", false, true, false, plOnUSB},
      {"prog /IC a.xml\t--dry-run\t", "prog /IC a.xml\t", true, false, false, {}},
      // Names, not options.
      {"prog /IC \"my --strict.xml\"", "prog /IC \"my --strict.xml\"", false, false, false, {}},
      {"prog /IC \"a.xml --dry-run\"", "prog /IC \"a.xml --dry-run\"", false, false, false, {}},
      {"prog /IC a--dry-run.xml", "prog /IC a--dry-run.xml", false, false, false, {}},
      {"prog /IC--dry-run", "prog /IC--dry-run", false, false, false, {}},
      {"\"C:\\x --dry-run\\prog.exe\" /IC a.xml", "\"C:\\x --dry-run\\prog.exe\" /IC a.xml", false, false, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    CommandLine line(platform::splitCommandLine(c.line), std::string(c.line));
    const ProgramOptions options = TakeOptions(line);
    EXPECT_EQ(line.complete(), c.left);
    EXPECT_EQ(line.argv, platform::splitCommandLine(c.left));
    EXPECT_EQ(options.dryRun, c.dryRun);
    EXPECT_EQ(options.strict, c.strict);
    EXPECT_EQ(options.verbose, c.verbose);
    EXPECT_EQ(options.location, c.location);
  }
  // --lint, and --undo-file with its file (quoted, it loses its quotes).
  const std::string undoLine = "prog /IC a.xml --lint /IP C:\\q\\q.exe --undo-file \"C:\\my undo.reg\"";
  CommandLine undo(platform::splitCommandLine(undoLine), undoLine);
  const ProgramOptions undoOptions = TakeOptions(undo);
  EXPECT_TRUE(undoOptions.lint);
  EXPECT_EQ(undoOptions.undoFile, "C:\\my undo.reg");
  EXPECT_EQ(undo.complete(), "prog /IC a.xml /IP C:\\q\\q.exe");
  CommandLine help(platform::splitCommandLine("prog /IC a.xml /?"), std::string("prog /IC a.xml /?"));
  EXPECT_TRUE(TakeOptions(help).help);
  CommandLine noName(platform::splitCommandLine("prog /IC a.xml --location"), std::string("prog /IC a.xml --location"));
  EXPECT_EQ(TakeOptions(noName).badLocation, "");
}

// The form reads the switches from the line without the options; a quoted
// /IP path loses its quotes as a quoted /IC name does.
TEST(CommandLine, TheMainFormTakesOptionsAndQuotedPathsFromTheLine) {
  qbtest::ScopedHives hives;
  {
    const std::string line = "prog /IC new.xml --dry-run";
    TMainWin form(CommandLine(platform::splitCommandLine(line), line));
    EXPECT_EQ(form.ConfigFileName, "new.xml");
    EXPECT_TRUE(form.DryRun);
  }
  const std::string line = "prog /IC \"prefs copy.xml\" /IP \"C:\\Admin Files\\quillbray.exe\"";
  TMainWin form(CommandLine(platform::splitCommandLine(line), line));
  EXPECT_EQ(form.ProductPath, "C:\\Admin Files\\quillbray.exe");
  if (qbtest::kOnWindows) {
    EXPECT_EQ(form.ConfigFileName, "C:\\Admin Files\\prefs copy.xml");
  }
}

// --help gives this system's rules for switches and options, and points to
// what this system's users have (the manual pages, or the Windows README).
TEST(CommandLine, TheHelpGivesThisSystemsRules) {
  const std::string help = UsageText();
  const struct {
    const char* text;
    bool onLinux, onWindows;
  } cases[] = {
      {"runs to the next \" /IC\" or \" /IP\" or the end", true, false},
      {"a path ending in \"/\", \".\" or \"..\" is that folder itself", true, false},
      {"Options (each counts only as a whole argument)", true, false},
      {"See quillbray-import(1) and quillbray-reg(1).", true, false},
      {"runs to the next \"/\" or the end of the line", false, true},
      {"anywhere on the line,\nbefore, inside or after a switch's value", false, true},
      {"See README-Windows.txt", false, true},
      {"HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(help.find(c.text) != std::string::npos, qbtest::kOnWindows ? c.onWindows : c.onLinux);
  }
}

TEST(CommandLine, FolderPartsByEachSystemsSeparators) {
  const struct {
    const char* name;
    bool onLinux, onWindows;
  } cases[] = {
      {"prefs.xml", false, false},     {"dir/prefs.xml", true, false}, {"dir\\prefs.xml", false, true},
      {"C:prefs.xml", false, true},    {"/abs/prefs.xml", true, false}, {"\\\\srv\\s\\p.xml", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::hasFolderPart(c.name), qbtest::kOnWindows ? c.onWindows : c.onLinux);
  }
}

TEST(CommandLine, SplitAtBlanksOutsideQuotesWithTheQuotesRemoved) {
  const struct {
    const char* line;
    std::vector<std::string> pieces;
  } cases[] = {
      {"prog", {"prog"}},
      {"  prog  a\t\"b c\"  d\"e f\"g  ", {"prog", "a", "b c", "de fg"}},
      {"\"C:\\Program Files\\q.exe\" /IC\"x y\"", {"C:\\Program Files\\q.exe", "/ICx y"}},
      {"prog a\x01" "b\x1F" "c", {"prog", "a", "b", "c"}},  // every code of 32 or less separates
      {"prog \"a\x01 b\"", {"prog", "a\x01 b"}},            // but not inside quotes
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog \"open", {"prog", "open"}},
      {"prog a\\\"b c\\\"", {"prog", "a\\b c\\"}},  // a backslash escapes nothing
      {"prog \xC3\x84rger.xml", {"prog", "\xC3\x84rger.xml"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(platform::splitCommandLine(c.line), c.pieces);
  }
}

}  // namespace
