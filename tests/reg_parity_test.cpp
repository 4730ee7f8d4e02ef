// quillbray-reg against reg.exe: command lines as reg.exe takes them, with
// what each prints and its exit status, and .reg files as Windows' and
// Wine's exporters (and people) write them.
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "StoreFixture.h"
#include "tools/RegData.h"
#include "tools/RegImport.h"

namespace {

using namespace qbtest;
using platform::RegistryValue;

RegistryValue typed(std::uint32_t type, std::string bytes) { return {type, {bytes.begin(), bytes.end()}}; }

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// One command line. `input` is what standard input holds: nullopt gives the
// program /dev/null, a string is piped to it (so no run can wait for input).
// `out` must be all of standard output when `exact`, else a part of it; `err`
// a part of standard error.
struct Line {
  std::string args;
  std::string out;
  int status;
  bool exact = false;
  std::optional<std::string> input = std::nullopt;
  std::string err = "";
};

ProcessRun regRun(const Line& l) {
  if (!l.input) return runShell(std::string(QB_REG_TOOL) + " " + l.args + " </dev/null");
  std::string quoted = "'";
  for (char c : *l.input) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return runShell("printf '%s' " + quoted + "' | " + QB_REG_TOOL + " " + l.args);
}

// The rows run in order on one pair of hives: a row may look at what an
// earlier row stored.
void runLines(const std::vector<Line>& lines) {
  for (const Line& l : lines) {
    SCOPED_TRACE("quillbray-reg " + l.args.substr(0, 160));
    const ProcessRun run = regRun(l);
    EXPECT_EQ(run.status, l.status) << run.out << run.err;
    if (l.exact) EXPECT_EQ(run.out, l.out);
    else EXPECT_NE(run.out.find(l.out), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(l.err), std::string::npos) << run.err;
  }
}

constexpr const char* kDone = "The operation completed successfully.\n";

TEST(RegParity, CommandLinesAsRegExeTakesThem) {
  ScopedHives hives;
  const TempDir dir;
  const std::string d = dir.path().string() + "/";
  seed(HKCU, "Software\\P", "v", dword(1));
  seed(HKCU, "Software\\P", "nul", typed(platform::REG_SZ, std::string("ab\0cd\0", 6)));
  seed(HKCU, "Software\\P", "enul", typed(platform::REG_EXPAND_SZ, std::string("%x%\0tail\0", 9)));
  platform::registry().openKey(HKCU, "Software\\P\\NoDefault", platform::KeyAccess::ReadWrite, true)->close();
  seed(HKCU, "Software\\Del", "a", dword(1));
  seed(HKCU, "Software\\Del", "b", dword(2));
  seed(HKCU, "Software\\Del", "c", dword(3));
  seed(HKCU, kLogsKey, "Has_Underscore", dword(1));  // export-config leaves it out
  seed(HKCU, "Software\\E", "z", typed(platform::REG_SZ, ""));
  for (const char* sub : {"Software\\Q\\s1", "Software\\Q\\s2"})
    platform::registry().openKey(HKCU, sub, platform::KeyAccess::ReadWrite, true)->close();
  writeBytes(d + "cp1251.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Cp]\r\n\"\xCF\xF0\xE8\"=\"\xE2\xE5\xF2\"\r\n");
  writeBytes(d + "bad.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Bad]\n\"ok\"=dword:1\n\"h\"=hex:01,\\\n; c\n  0g\n");
  const std::string nulKey = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Nul]\n";
  writeBytes(d + "keep.reg", nulKey + "\"a\"=\"keep me\"\n");
  writeBytes(d + "nul.reg", nulKey + "\"b\"=\"new\"\n\"a\\0evil\"=\"overwritten\"\n");

  const std::string notSet = "    (Default)    REG_SZ    (value not set)\n";
  runLines({
      // export KEY FILE always writes FILE; one KEY, or FILE "-", prints.
      {"export HKCU '" + d + "saved.reg'", kDone, 0, true},
      {"export HKCU '" + d + "saved.reg'", "", 1, true, std::nullopt, "the file '" + d + "saved.reg' exists; nothing was written (use /y to overwrite it)"},
      {"export HKCU '" + d + "saved.reg' /y", kDone, 0, true},
      {"export 'HKCU\\Software\\P' '" + d + "p.reg'", kDone, 0, true},
      {"export 'HKCU\\Software\\P'", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\P]\n\"v\"=dword:00000001\n", 0},
      {"export 'HKCU\\Software\\P' -", "[HKEY_CURRENT_USER\\Software\\P]\n\"v\"=dword:00000001\n", 0},
      {"export 'Software\\P'", "[HKEY_CURRENT_USER\\Software\\P]\n", 0},
      {"export HKLM", "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE]\n\n", 0, true},
      {"export HKCU -", "[HKEY_CURRENT_USER\\Software\\P\\NoDefault]\n", 0},
      {"export", "", 1, true, std::nullopt, "export takes KEY and FILE"},
      {"export HKCU - /y", "", 1, true, std::nullopt, "/y goes with export KEY FILE"},
      {"export 'Software\\P' '" + d + "nope.reg'", "", 1, true, std::nullopt, "does not begin with a root"},
      // query /ve of a key without a default value.
      {"query 'HKCU\\Software\\P\\NoDefault' /ve", "\nHKEY_CURRENT_USER\\Software\\P\\NoDefault\n" + notSet + "\n", 0, true},
      {"query HKLM /ve", "\nHKEY_LOCAL_MACHINE\n" + notSet + "\n", 0, true},
      {"query 'HKCU\\Software\\P\\NoDefault' /v nope", "\n", 1, true, std::nullopt, "has no value nope"},
      // Text that holds a NUL shows up to it.
      {"query 'HKCU\\Software\\P' /v nul", "\nHKEY_CURRENT_USER\\Software\\P\n    nul    REG_SZ    ab\n\n", 0, true},
      {"query 'HKCU\\Software\\P' /v enul", "    enul    REG_EXPAND_SZ    %x%\n", 0},
      {"export 'HKCU\\Software\\P'", "\"nul\"=hex(1):61,00,62,00,00,00,63,00,64,00,00,00\n", 0},
      // add: /s, the separator of REG_MULTI_SZ items.
      {"add 'HKCU\\Software\\A' /v m /t REG_MULTI_SZ /s '#' /d 'a#b'", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v m", "    m    REG_MULTI_SZ    a\\0b\n", 0},
      {"add 'HKCU\\Software\\A' /v m2 /t REG_MULTI_SZ /s '#' /d 'x#y#'", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v m2", "    m2    REG_MULTI_SZ    x\\0y\n", 0},
      {"add 'HKCU\\Software\\A' /v m3 /t REG_MULTI_SZ /s '#' /d 'a\\0b'", kDone, 0, true},
      {"export 'HKCU\\Software\\A'", "\"m3\"=hex(7):61,00,5c,00,30,00,62,00,00,00,00,00\n", 0},
      {"add 'HKCU\\Software\\A' /v m4 /t REG_MULTI_SZ /s '##' /d 'a##b'", "", 1, true, std::nullopt, "/s takes one character"},
      {"add 'HKCU\\Software\\A' /v m4 /t REG_MULTI_SZ /s '' /d 'a'", "", 1, true, std::nullopt, "/s takes one character"},
      {"add 'HKCU\\Software\\A' /v m4 /t REG_MULTI_SZ /s", "", 1, true, std::nullopt, "/s needs a value after it"},
      // An empty item is refused; one closing separator is not an item.
      {"add 'HKCU\\Software\\A' /v e /t REG_MULTI_SZ /d 'a\\0\\0b'", "", 1, true, std::nullopt,
       "quillbray-reg: 'a\\0\\0b' holds an empty item, which a REG_MULTI_SZ cannot hold"},
      {"add 'HKCU\\Software\\A' /v e /t REG_MULTI_SZ /d '\\0a'", "", 1, true, std::nullopt, "holds an empty item"},
      {"add 'HKCU\\Software\\A' /v e /t REG_MULTI_SZ /d 'a\\0b\\0\\0'", "", 1, true, std::nullopt, "holds an empty item"},
      {"add 'HKCU\\Software\\A' /v e /t REG_MULTI_SZ /s '#' /d 'a##b'", "", 1, true, std::nullopt, "holds an empty item"},
      {"query 'HKCU\\Software\\A' /v e", "\n", 1, true},
      {"add 'HKCU\\Software\\A' /v e /t REG_MULTI_SZ /d 'a\\0b\\0'", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v e", "    e    REG_MULTI_SZ    a\\0b\n", 0},
      // The other types.
      {"add 'HKCU\\Software\\A' /v n /t REG_NONE /d hi", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v n", "    n    REG_NONE    680069000000\n", 0},
      {"add 'HKCU\\Software\\A' /v be /t reg_dword_big_endian /d 0x12345678", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v be", "    be    REG_DWORD_BIG_ENDIAN    0x12345678\n", 0},
      {"add 'HKCU\\Software\\A' /v le /t REG_DWORD_LITTLE_ENDIAN /d 0x12345678", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v le", "    le    REG_DWORD    0x12345678\n", 0},
      {"add 'HKCU\\Software\\A' /v be2 /t REG_DWORD_BIG_ENDIAN /d 4294967296", "", 1, true, std::nullopt,
       "does not fit a REG_DWORD_BIG_ENDIAN"},
      {"export 'HKCU\\Software\\A'",
       "\"n\"=hex(0):68,00,69,00,00,00\n\"be\"=hex(5):78,56,34,12\n\"le\"=dword:12345678\n", 0},
      // /d or /t without /v: the default value.
      {"add 'HKCU\\Software\\A' /d dflt", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /ve", "\nHKEY_CURRENT_USER\\Software\\A\n    (Default)    REG_SZ    dflt\n\n", 0, true},
      {"add 'HKCU\\Software\\X' /t REG_EXPAND_SZ", kDone, 0, true},
      {"query 'HKCU\\Software\\X' /ve", "    (Default)    REG_EXPAND_SZ    \n", 0},
      {"add 'HKCU\\Software\\X' /t REG_DWORD", "", 1, true, std::nullopt, "is not a REG_DWORD number"},
      // add KEY alone sets the default value to an empty REG_SZ, replacing one
      // of another type; it asks only when the key has one.
      {"add 'HKCU\\Software\\D' /t REG_DWORD /d 5 /f", kDone, 0, true},
      {"add 'HKCU\\Software\\D' /f", kDone, 0, true},
      {"query 'HKCU\\Software\\D' /ve", "\nHKEY_CURRENT_USER\\Software\\D\n    (Default)    REG_SZ    \n\n", 0, true},
      {"add 'HKCU\\Software\\D\\New'", kDone, 0, true},
      {"query 'HKCU\\Software\\D\\New' /ve", "    (Default)    REG_SZ    \n", 0},
      {"add 'HKCU\\Software\\D\\New'", "", 1, false, std::nullopt, "exists; nothing was changed"},
      // No value goes into a root; one closing "\" is taken, an empty key name is not.
      {"add 'HKCU\\' /v X /d 1 /f", "", 1, true, std::nullopt,
       "quillbray-reg: invalid system key HKEY_CURRENT_USER: a value cannot be written into a root\n"},
      {"add HKLM /f", "", 1, true, std::nullopt, "invalid system key HKEY_LOCAL_MACHINE"},
      {"add 'HKCU\\Software\\D\\K\\\\' /f", "", 1, true, std::nullopt, "it holds an empty key name"},
      {"add 'HKCU\\Software\\D\\\\K' /f", "", 1, true, std::nullopt, "it holds an empty key name"},
      {"query 'HKCU\\Software\\D\\K'", "", 1, true},
      {"add 'HKCU\\Software\\D\\T\\' /f", kDone, 0, true},
      {"query 'HKCU\\Software\\D\\T' /ve", "    (Default)    REG_SZ    \n", 0},
      // REG_QWORD: 0 without /d, "-1" all ones, a negative hex number refused.
      {"add 'HKCU\\Software\\D' /v q /t REG_QWORD /f", kDone, 0, true},
      {"query 'HKCU\\Software\\D' /v q", "    q    REG_QWORD    0x0\n", 0},
      {"add 'HKCU\\Software\\D' /v q /t REG_QWORD /d -1 /f", kDone, 0, true},
      {"query 'HKCU\\Software\\D' /v q", "    q    REG_QWORD    0xffffffffffffffff\n", 0},
      {"add 'HKCU\\Software\\D' /v q /t REG_QWORD /d -0x1 /f", "", 1, true, std::nullopt, "is not a REG_QWORD number"},
      {"add 'HKCU\\Software\\D' /v b /t REG_BINARY /d DeAdBeEf0DD /f", kDone, 0, true},
      {"query 'HKCU\\Software\\D' /v b", "    b    REG_BINARY    0DEADBEEF0DD\n", 0},
      // A key without values shows only its sub-keys; /s shows each key below.
      {"query 'HKCU\\Software\\Q'", "\nHKEY_CURRENT_USER\\Software\\Q\\s1\nHKEY_CURRENT_USER\\Software\\Q\\s2\n", 0, true},
      {"query 'HKCU\\Software\\Q\\' /s",
       "\nHKEY_CURRENT_USER\\Software\\Q\\s1\n\nHKEY_CURRENT_USER\\Software\\Q\\s2\n\n", 0, true},
      {"query 'HKCU\\Software\\Q\\s1'", "\n", 0, true},
      // A REG_SZ of no bytes exports as "".
      {"export 'HKCU\\Software\\E' -", "[HKEY_CURRENT_USER\\Software\\E]\n\"z\"=\"\"\n", 0},
      // reg.exe's "-" spelling of every switch; data and "-" words keep their meaning.
      {"add 'HKCU\\Software\\A' -v dash -t REG_DWORD -d 1 -F", kDone, 0, true},
      {"query 'HKCU\\Software\\A' -V dash", "    dash    REG_DWORD    0x1\n", 0},
      {"add 'HKCU\\Software\\A' -v neg -d -1 -f", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v neg -reg:64", "    neg    REG_SZ    -1\n", 0},
      {"add 'HKCU\\Software\\A' -ve -d -f -f", kDone, 0, true},
      {"query 'HKCU\\Software\\A' -ve", "    (Default)    REG_SZ    -f\n", 0},
      {"export 'HKCU\\Software\\A' -", "\"dash\"=dword:00000001\n", 0},
      {"delete 'HKCU\\Software\\A' -v dash -f", kDone, 0, true},
      {"add 'HKCU\\Software\\A' -x 1", "", 1, true, std::nullopt, ""},
      // /reg:32 and /reg:64 with every verb; not both.
      {"add 'HKCU\\Software\\A' /v r /d 1 /reg:32", kDone, 0, true},
      {"query 'HKCU\\Software\\A' /v r /REG:64", "    r    REG_SZ    1\n", 0},
      {"export 'HKCU\\Software\\A' '" + d + "a.reg' /reg:64", kDone, 0, true},
      {"import '" + d + "a.reg' /reg:32", kDone, 0, true},
      {"delete 'HKCU\\Software\\A' /v r /f /reg:64", kDone, 0, true},
      {"export-config '" + d + "r.xml' /reg:32", "", 1, true},
      {"query 'HKCU\\Software\\A' /reg:32 /reg:64", "", 1, true, std::nullopt, "give one of /reg:32 and /reg:64, once"},
      // The Yes/No answer from a pipe; input that ends unanswered refuses.
      {"delete 'HKCU\\Software\\Del' /v a", "Delete the registry value a (Yes/No)? \n" + std::string(kDone), 0, true,
       "y\n"},
      {"query 'HKCU\\Software\\Del' /v a", "\n", 1, true},
      {"delete 'HKCU\\Software\\Del' /v b", "(Yes/No)? ", 1, false, "n\n"},
      {"query 'HKCU\\Software\\Del' /v b", "    b    REG_DWORD    0x2\n", 0},
      {"delete 'HKCU\\Software\\Del' /v b", "(Yes/No)? \nDelete the registry value b (Yes/No)? \n", 0, false,
       "maybe\r\nYES\r\n"},
      {"delete 'HKCU\\Software\\Del' /v c", "", 1, false, std::nullopt,
       "quillbray-reg: nothing was deleted: use /f to delete without asking"},
      {"delete 'HKCU\\Software\\Del' /v c", "", 1, false, "", "nothing was deleted"},
      {"delete 'HKCU\\Software\\Del' /v c", "", 1, false, "perhaps", "nothing was deleted"},
      {"query 'HKCU\\Software\\Del' /v c", "    c    REG_DWORD    0x3\n", 0},
      {"add 'HKCU\\Software\\Del' /v c /t REG_DWORD /d 9", kDone, 0, false, "y\n"},
      {"query 'HKCU\\Software\\Del' /v c", "    c    REG_DWORD    0x9\n", 0},
      {"delete 'HKCU\\Software\\Del'", kDone, 0, false, "yes\n"},
      {"query 'HKCU\\Software\\Del'", "", 1, true},
      // export-config: what it leaves out fails the run; an existing file needs /y.
      {"export-config '" + d + "c.xml'", "", 1, true, std::nullopt, "quillbray-reg: left out: "},
      {"export-config '" + d + "c.xml'", "", 1, true, std::nullopt,
       "quillbray-reg: the file '" + d + "c.xml' exists; nothing was written (use /y to overwrite it)"},
      {"delete 'HKCU\\" + kLogsKey + "' /v Has_Underscore /f", kDone, 0, true},
      {"export-config '" + d + "c.xml' /Y", kDone, 0, true},
      // import: a code page for REGEDIT4 text, and a bad line with its number.
      {"import '" + d + "cp1251.reg' /cp 1251", kDone, 0, true},
      {"query 'HKCU\\Software\\Cp'", "    \xD0\x9F\xD1\x80\xD0\xB8    REG_SZ    \xD0\xB2\xD0\xB5\xD1\x82\n", 0},
      {"import '" + d + "cp1251.reg' /cp NO-SUCH-PAGE", "", 1, true, std::nullopt, "unknown code page 'NO-SUCH-PAGE'"},
      {"import '" + d + "bad.reg'", "", 1, true, std::nullopt, "quillbray-reg: " + d + "bad.reg: line 5: bad hex digits '0g'"},
      {"import '" + d + "cp1251.reg' /cp ''", "", 1, true, std::nullopt,
       "quillbray-reg: unknown code page '' (no name was given;"},
      // A \0 in a name is refused, as reg.exe refuses it: the whole file is
      // refused.
      {"import '" + d + "keep.reg'", kDone, 0, true},
      {"import '" + d + "nul.reg'", "", 1, true, std::nullopt,
       "quillbray-reg: " + d + "nul.reg: line 5: a NUL (\\0) in a string: text that holds one is written as hex(1):, "
       "hex(2): or hex(7):\n"},
      {"query 'HKCU\\Software\\Nul' /v a", "    a    REG_SZ    keep me\n", 0},
      {"query 'HKCU\\Software\\Nul' /v b", "", 1},
      {"query 'HKCU\\Software\\Bad'", "", 1, true},
  });
  // The files the rows wrote.
  EXPECT_EQ(quillbray::parseRegText(readFile(d + "saved.reg"), "saved.reg").front().path, "");
  EXPECT_EQ(quillbray::parseRegText(readFile(d + "p.reg"), "p.reg").front().path, "Software\\P");
  EXPECT_NE(readFile(d + "c.xml").find("<Quillbray_Preferences>"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(d + "nope.reg"));
}

// The bytes add stores for each type.
TEST(RegParity, AddStoresWhatRegExeStores) {
  const struct {
    const char* type;
    std::string text;
    std::string separator;
    RegistryValue value;
  } cases[] = {
      {"REG_NONE", "hi", "", typed(0, std::string("h\0i\0\0\0", 6))},
      {"REG_NONE", "", "", typed(0, std::string("\0\0", 2))},
      {"REG_NONE", "\xC3\xA9", "", typed(0, std::string("\xE9\0\0\0", 4))},
      // Windows' reg.exe stores a big-endian dword's number little-endian.
      {"REG_DWORD_BIG_ENDIAN", "0x12345678", "", typed(5, "\x78\x56\x34\x12")},
      {"REG_DWORD_BIG_ENDIAN", "1", "", typed(5, std::string("\x01\0\0\0", 4))},
      {"REG_DWORD_LITTLE_ENDIAN", "0x12345678", "", dword(0x12345678)},
      {"REG_DWORD", "0123", "", dword(123)},
      {"REG_QWORD", "-1", "", typed(11, std::string(8, '\xFF'))},
      {"REG_QWORD", "-2", "", typed(11, "\xFE" + std::string(7, '\xFF'))},
      {"REG_QWORD", "0X123", "", typed(11, std::string("\x23\x01\0\0\0\0\0\0", 8))},
      {"REG_BINARY", "DeAdBeEf0DD", "", typed(3, "\x0d\xea\xdb\xee\xf0\xdd")},
      {"REG_MULTI_SZ", "a#bc", "#", typed(7, std::string("a\0bc\0\0", 6))},
      {"REG_MULTI_SZ", "a#", "#", typed(7, std::string("a\0\0", 3))},
      // A separator alone is one empty item; no text at all is no item.
      {"REG_MULTI_SZ", "#", "#", typed(7, std::string("\0\0", 2))},
      {"REG_MULTI_SZ", "\\0", "", typed(7, std::string("\0\0", 2))},
      {"REG_MULTI_SZ", "", "", typed(7, std::string("\0", 1))},
      {"REG_MULTI_SZ", "two\\0#strings", "#", typed(7, std::string("two\\0\0strings\0\0", 15))},
      {"REG_MULTI_SZ", "a\xC2\xA7" "b", "\xC2\xA7", typed(7, std::string("a\0b\0\0", 5))},
      {"REG_MULTI_SZ", "a\\0b", "", typed(7, std::string("a\0b\0\0", 5))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.text);
    EXPECT_EQ(quillbray::valueFromText(*quillbray::addType(c.type), c.text, c.separator), c.value);
  }
  for (const auto& [text, separator] : std::vector<std::pair<std::string, std::string>>{
           {"a\\0\\0b", ""}, {"\\0a", ""}, {"a\\0\\0", ""}, {"\\0\\0", ""}, {"a##b", "#"}, {"#a", "#"}, {"a##", "#"},
           {"##", "#"}}) {
    SCOPED_TRACE(text);
    EXPECT_THROW(quillbray::valueFromText(7, text, separator), quillbray::BadValueData);
  }
  for (const char* qword : {"-0x1", "0x01ffffffffffffffff", "18446744073709551616", "00x123", "-", "1-"}) {
    SCOPED_TRACE(qword);
    EXPECT_THROW(quillbray::valueFromText(quillbray::REG_QWORD, qword), quillbray::BadValueData);
  }
  EXPECT_THROW(quillbray::valueFromText(quillbray::REG_DWORD_BIG_ENDIAN, ""), quillbray::BadValueData);
  EXPECT_EQ(quillbray::valueText(typed(5, "\x78\x56\x34\x12")), "0x12345678");
  EXPECT_EQ(quillbray::valueText(typed(1, std::string("ab\0cd\0", 6))), "ab");
  EXPECT_EQ(quillbray::valueText(typed(1, std::string("\0x", 2))), "");
}

// .reg files as Windows, Wine and people write them: imported by the tool,
// then what the hive holds below HKCU\Software\I.
TEST(RegParity, ImportReadsWhatExportersAndPeopleWrite) {
  const std::string k = "[HKEY_CURRENT_USER\\Software\\I]\r\n";
  const struct {
    const char* what;
    std::string bytes;
    std::string options;
    std::vector<std::pair<std::string, RegistryValue>> values;  // nothing: the file is refused
    std::string error;                                          // the message after "quillbray-reg: FILE: "
  } cases[] = {
      {"REGEDIT4 in windows-1252", "REGEDIT4\r\n\r\n" + k + "\"Caf\xE9\"=\"cr\xE8me \x80\"\r\n\"H\"=hex(2):25,e9,00\r\n",
       "", {{"Caf\xC3\xA9", sz("cr\xC3\xA8me \xE2\x82\xAC")}, {"H", typed(2, std::string("%\xC3\xA9\0", 4))}}, ""},
      {"REGEDIT4 in UTF-8", "REGEDIT4\n\n" + k + "\"Caf\xC3\xA9\"=\"cr\xC3\xA8me\"\n\"H\"=hex(2):25,c3,a9,00\n", "",
       {{"Caf\xC3\xA9", sz("cr\xC3\xA8me")}, {"H", typed(2, std::string("%\xC3\xA9\0", 4))}}, ""},
      {"REGEDIT4 in a code page given", "REGEDIT4\n" + k + "\"\xCF\"=\"\xE2\"\n\"H\"=hex(1):e2,00\n", "/cp CP1251",
       {{"\xD0\x9F", sz("\xD0\xB2")}, {"H", sz("\xD0\xB2")}}, ""},
      {"windows-1252's unassigned bytes", "REGEDIT4\n" + k + "\"u\"=\"\x81\x9D\"\n", "", {{"u", sz("\xC2\x81\xC2\x9D")}}, ""},
      {"Wine's escapes", "Windows Registry Editor Version 5.00\n\n" + k +
                             "\"a\"=\"x\\r\\ny\"\n\"c\"=\"p\\\\q\\\"r\"\n\"n\\n\"=\"\"\n",
       "", {{"a", sz("x\r\ny")}, {"c", sz("p\\q\"r")}, {"n\n", sz("")}}, ""},
      {"reg.exe refuses a NUL (\\0) in a string", "REGEDIT4\n" + k + "\"b\"=\"y\\0z\"\n", "", {},
       "line 3: a NUL (\\0) in a string: text that holds one is written as hex(1):, hex(2): or hex(7):"},
      {"comments and blank lines inside a hex list",
       "Windows Registry Editor Version 5.00\n\n" + k + "\"h\"=hex:01,\\\n; a comment\n\n  02,\\\n  ;another\n  03\n\"d\"=dword:00000002\n",
       "", {{"h", binary({1, 2, 3})}, {"d", dword(2)}}, ""},
      {"a comma alone is no list", "Windows Registry Editor Version 5.00\n\n" + k + "\"t\"=hex:01,02,\n\"u\"=hex:0a,\\\n  0b,\n\"v\"=hex(0):,\n",
       "", {}, "line 7: bad hex digits ''"},
      {"a trailing comma alone", "Windows Registry Editor Version 5.00\n\n" + k + "\"t\"=hex:01,02,\n\"u\"=hex:0a,\\\n  0b,\n", "",
       {{"t", binary({1, 2})}, {"u", binary({0x0a, 0x0b})}}, ""},
      {"a comment after a value",
       "REGEDIT4\n\n" + k + "\"d\"=dword:00000001 ; note\n\"s\"=\"a;b\" ; note \"q\"\n\"h\"=hex:0a ;c\n\"e\"=\"\";\n@=\"x\"\t; tab\n",
       "", {{"d", dword(1)}, {"s", sz("a;b")}, {"h", binary({0x0a})}, {"e", sz("")}, {"", sz("x")}}, ""},
      {"reg.exe takes '#' comment lines; no comment line continues", "REGEDIT4\n" + k +
       "#\"c\"=\"v\"\n  #c\n#c\\\n\"a\"=\"1\"\n;c\\\n\"b\"=\"2\"\n", "", {{"a", sz("1")}, {"b", sz("2")}}, ""},
      {"reg.exe continues a list after ',\\' with a comment, or right after the colon",
       "REGEDIT4\n" + k + "\"h\"=hex:01,\\;c\n  02,  \\\t;c\n\n \t\n  03\n\"w\"=hex(2):\\\n  41,00\n", "",
       {{"h", binary({1, 2, 3})}, {"w", typed(2, std::string("A\0", 2))}}, ""},
      {"reg.exe ends a list at the end of the file after its '\\'", "REGEDIT4\n" + k + "\"h\"=hex:01,02,\\", "",
       {{"h", binary({1, 2})}}, ""},
      {"reg.exe takes blanks before the header, around '=' and after dword:",
       " \tREGEDIT4\n \t" + k + "\"a\"=dword:  00000008\n\t@\t=\tdword:\t8\t\n\"b\" \t= \t\"x\"\n", "",
       {{"a", dword(8)}, {"", dword(8)}, {"b", sz("x")}}, ""},
      {"reg.exe continues no dword", "REGEDIT4\n" + k + "\"d\"=dword:1234\\\n5678\n", "", {},
       "line 3: bad hex digits in dword:1234\\"},
      {"reg.exe continues no string", "REGEDIT4\n" + k + "\"s\"=\"a \\\nb\"\n", "", {},
       "line 3: a '\\' in a string that is not"},
      {"reg.exe refuses a continued line that starts with a comma", "REGEDIT4\n" + k + "\"h\"=hex:01,02\\\n,03\n", "",
       {}, "line 3: a '\\' continues a hex list only after a ','"},
      {"reg.exe refuses a byte split by '\\'", "REGEDIT4\n" + k + "\"h\"=hex:01,0\\\n2,03\n", "", {},
       "line 3: a '\\' continues a hex list only after a ','"},
      {"reg.exe refuses a line of only '\\' in a list", "REGEDIT4\n" + k + "\"h\"=hex:01,\\\n\\\n  02\n", "", {},
       "line 3: a '\\' continues a hex list only after a ','"},
      {"reg.exe ends hex(2) and hex(7) text with a NUL; empty data stays empty",
       "REGEDIT4\n" + k + "\"e\"=hex(2):25,50\n\"m\"=hex(7):4c,69,\\\n  6e\n\"n\"=hex(7):4c,00\n\"z\"=hex(2):\n\"s\"=hex(1):41\n",
       "",
       {{"e", typed(2, std::string("%P\0", 3))}, {"m", typed(7, std::string("Lin\0", 4))},
        {"n", typed(7, std::string("L\0", 2))}, {"z", typed(2, "")}, {"s", typed(1, "A")}},
       ""},
      {"reg.exe ends UTF-16 hex(2) and hex(7) text with a NUL",
       "Windows Registry Editor Version 5.00\n" + k + "\"e\"=hex(2):25,00\n\"m\"=hex(7):4c,00,00,00\n\"z\"=hex(7):\n", "",
       {{"e", typed(2, std::string("%\0", 2))}, {"m", typed(7, std::string("L\0", 2))}, {"z", typed(7, "")}}, ""},
      {"Windows stores UTF-16 text of an odd number of bytes; the hive cannot",
       "Windows Registry Editor Version 5.00\n" + k + "\"o\"=hex(1):61,00,62,00,63\n", "", {},
       "line 3: hex(1) text of an odd number of bytes (5): the hive keeps text as UTF-8 and cannot hold half a UTF-16 "
       "character\n"},
      {"an escape Wine does not write", "REGEDIT4\n\n" + k + "\"ok\"=\"1\"\n\"t\"=\"q\\tw\"\n", "", {},
       "line 5: a '\\' in a string that is not"},
      {"a doubled comma", "REGEDIT4\n\n" + k + "\"h\"=hex:01,,02\n", "", {}, "line 4: bad hex digits ''"},
      {"text after a string", "REGEDIT4\n\n" + k + "\"s\"=\"v\" junk\n", "", {}, "line 4: text after the closing '\"'"},
      {"text after a dword", "REGEDIT4\n\n" + k + "\"d\"=dword:1 x\n", "", {}, "line 4: bad hex digits in dword:1 x"},
      {"a bad byte after comments in a list", "REGEDIT4\n\n" + k + "\"a\"=dword:1\n\"h\"=hex:01,\\\n; c\n\n  zz\n", "", {},
       "line 5: bad hex digits 'zz'"},
      {"a version 5 file that is not UTF-8", "Windows Registry Editor Version 5.00\n\n" + k + "\"a\"=\"\xE9\"\n", "", {},
       "line 4: not UTF-8 or UTF-16LE text"},
      {"bytes the code page given has no character for", "REGEDIT4\n\n" + k + "\"a\"=\"ok\"\n\"b\"=\"\xE9\"\n", "/cp ASCII",
       {}, "line 5: bytes that are no ASCII character"},
  };
  const TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedHives hives;
    const std::string file = dir.file("i.reg");
    writeBytes(file, c.bytes);
    const ProcessRun run = runShell(std::string(QB_REG_TOOL) + " import '" + file + "' " + c.options + " </dev/null");
    std::vector<std::pair<std::string, RegistryValue>> got;
    if (auto key = platform::registry().openKey(HKCU, "Software\\I", platform::KeyAccess::Read, false))
      for (const std::string& name : key->valueNames()) got.emplace_back(name, *key->queryValue(name));
    EXPECT_EQ(got, c.values);
    if (c.error.empty()) {
      EXPECT_EQ(run.status, 0) << run.err;
    } else {
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.err.rfind("quillbray-reg: " + file + ": " + c.error, 0), 0u) << run.err;
    }
  }
}

}  // namespace
