// The reg tool's text forms, in process: the data add and query take and
// show, and .reg files parsed into their changes.
#include <gtest/gtest.h>

#include <algorithm>

#include "RegValues.h"
#include "tools/RegData.h"
#include "tools/RegImport.h"

namespace {

using namespace qbtest;
using platform::RegistryValue;
using quillbray::RegChange;

TEST(RegData, AddTextBecomesTheStoredBytes) {
  const struct {
    const char* type;
    std::string text;
    RegistryValue value;
  } cases[] = {
      {"REG_SZ", "Größe €", sz("Größe €")},
      {"reg_sz", "", sz("")},
      {"REG_EXPAND_SZ", "%A%", typed(2, {'%', 'A', '%', 0})},
      {"REG_MULTI_SZ", "a\\0bc", typed(7, {'a', 0, 'b', 'c', 0, 0})},
      {"REG_MULTI_SZ", "a\\0b\\0", typed(7, {'a', 0, 'b', 0, 0})},
      {"REG_MULTI_SZ", "", typed(7, {0})},
      {"REG_DWORD", "12", dword(12)},
      {"REG_DWORD", "0xFFFFFFFF", dword(0xFFFFFFFF)},
      {"REG_DWORD", "4294967295", dword(0xFFFFFFFF)},
      {"REG_QWORD", "0x1122334455667788", typed(11, {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11})},
      {"REG_QWORD", "18446744073709551615", typed(11, std::vector<std::uint8_t>(8, 0xFF))},
      {"REG_BINARY", "0aFF", binary({0x0a, 0xff})},
      {"REG_BINARY", "", binary({})},
      {"REG_BINARY", "abc", binary({0x0a, 0xbc})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.text);
    EXPECT_EQ(quillbray::valueFromText(*quillbray::addType(c.type), c.text), c.value);
  }
  for (const auto& [type, text] : std::vector<std::pair<std::string, std::string>>{
           {"REG_DWORD", "4294967296"}, {"REG_DWORD", "0x100000000"}, {"REG_DWORD", "12x"}, {"REG_DWORD", ""},
           {"REG_DWORD", "-1"}, {"REG_QWORD", "18446744073709551616"}, {"REG_QWORD", "0x"},
           {"REG_BINARY", "zz"}}) {
    SCOPED_TRACE(type + " " + text);
    EXPECT_THROW(quillbray::valueFromText(*quillbray::addType(type), text), quillbray::BadValueData);
  }
  EXPECT_FALSE(quillbray::addType("REG_LINK"));
}

TEST(RegData, QueryShowsDataAsRegExeDoes) {
  EXPECT_EQ(quillbray::valueText(sz("x y")), "x y");
  EXPECT_EQ(quillbray::valueText(typed(7, {'a', 0, 'b', 0, 0})), "a\\0b");
  EXPECT_EQ(quillbray::valueText(dword(255)), "0xff");
  EXPECT_EQ(quillbray::valueText(typed(11, {1, 0, 0, 0, 0, 0, 0, 1})), "0x100000000000001");
  EXPECT_EQ(quillbray::valueText(binary({0x0a, 0xbc})), "0ABC");
  EXPECT_EQ(quillbray::typeName(11), "REG_QWORD");
  EXPECT_EQ(quillbray::typeName(0x1f), "REG_UNKNOWN(0x1f)");
}

// Hand-written files in each encoding and form, with what they ask for.
TEST(RegImport, ReadsEachEncodingAndForm) {
  const std::string v5body =
      "\r\n; a comment\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n"
      "\"Größe €\"=\"w \\\"q\\\" \\\\\"\r\n@=\"\"\r\n\"D\"=dword:0000000c\r\n"
      "\"B\"=hex:0a,\\\r\n  ff\r\n"
      "\"S\"=hex(1):41,00,e4,00,00,00\r\n\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
      "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n\"Old\"=-\r\n[-HKCU\\Software\\Gone]\r\n[hklm\\Software\\B]\r\n";
  const std::vector<RegChange> expected = {
      {RegChange::Kind::CreateKey, HKCU, "Software\\A", "", {}},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "Größe €", sz("w \"q\" \\")},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "", sz("")},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "D", dword(12)},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "B", binary({0x0a, 0xff})},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "S", sz("Aä")},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "M", typed(7, {'a', 0, 'b', 0, 0})},
      {RegChange::Kind::SetValue, HKCU, "Software\\A", "Q", typed(11, {1, 0, 0, 0, 0, 0, 0, 0})},
      {RegChange::Kind::DeleteValue, HKCU, "Software\\A", "Old", {}},
      {RegChange::Kind::DeleteKey, HKCU, "Software\\Gone", "", {}},
      {RegChange::Kind::CreateKey, HKLM, "Software\\B", "", {}},
  };
  const std::string v5 = "Windows Registry Editor Version 5.00" + v5body;
  EXPECT_EQ(quillbray::parseRegText(utf16(v5), "f"), expected);
  EXPECT_EQ(quillbray::parseRegText(v5, "f"), expected);
  EXPECT_EQ(quillbray::parseRegText("\xEF\xBB\xBF" + v5, "f"), expected);
  // Unix line ends too.
  std::string lf = v5;
  std::erase(lf, '\r');
  EXPECT_EQ(quillbray::parseRegText(lf, "f"), expected);

  // REGEDIT4: hex(1) holds the text's own bytes.
  const auto old = quillbray::parseRegText(
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"S\"=hex(1):41,c3,a4,00\n\"E\"=hex(2):25,00\n", "f");
  ASSERT_EQ(old.size(), 3u);
  EXPECT_EQ(old[1].value, sz("Aä"));
  EXPECT_EQ(old[2].value, typed(2, {'%', 0}));
}

TEST(RegImport, BadInputNamesItsLine) {
  const std::string head = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n";
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"", "f: line 1: not a .reg file"},
      {"REGEDIT5\n", "f: line 1: not a .reg file"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\.txt]\n", "f: line 2: unknown root 'HKEY_CLASSES_ROOT'"},
      {head + "\"a\"=hex:0a,zz\n", "f: line 4: bad hex digits 'zz'"},
      {head + "\"a\"=hex:0a,\\\n  1,\\\n  123\n", "f: line 4: bad hex digits '123'"},
      {head + "\"a\"=dword:123456789\n", "f: line 4: a dword needs 1 to 8 hex digits"},
      {head + "\"a\"=dword:-1\n", "f: line 4: bad hex digits in dword:-1"},
      {head + "[HKEY_CURRENT_USER\\Y\n\"a\"=\"b\"\n", "f: line 4: the key line is not closed with ']'"},
      {head + "\"a\"=\"b\n", "f: line 4: a string without its closing '\"'"},
      {head + "\"a\"=\"C:\\Data\"\n", "f: line 4: a '\\' in a string"},
      {head + "\"a\"\"b\"\n", "f: line 4: expected '='"},
      {head + "\"a\"=text\n", "f: line 4: unknown data 'text'"},
      {head + "\"a\"=hex(1):00,d8\n", "f: line 4: hex(1) text: UTF-16 text with a lone surrogate"},
      {head + "[-HKCU]\n", "f: line 4: a root cannot be deleted"},
      {head + "[-HKCU\\Y]\n\"a\"=\"b\"\n", "f: line 5: a value below a [-KEY] line"},
      {"Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n", "f: line 2: a value before the first [KEY] line"},
      {head + "[HKCU\\" + std::string(256, 'k') + "]\n", "f: line 4: "},
      {head + "\"a\x80\"=\"b\"\n", "f: line 4: not UTF-8 or UTF-16LE text"},
      {head + std::string("\"a\"=\"b\0\"\n", 9), "f: line 4: a NUL character"},
      {head + "\"a\"=\"keep me\"\n\"a\\0evil\"=\"overwritten\"\n", "f: line 5: a NUL (\\0) in a string"},
      {std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), "f: line 1: "},
      {"\xFF\xFE" + std::string("W\0\0\xD8\n\0", 6), "f: line 1: UTF-16 text with a lone surrogate"},
      {"\xFF\xFE" + std::string("W\0\n\0X", 5), "f: line 2: the file ends in the middle of a UTF-16 character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 120));
    try {
      quillbray::parseRegText(c.text, "f");
      ADD_FAILURE() << "accepted";
    } catch (const quillbray::BadRegFile& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
  // Deeper than 512 levels.
  std::string deep = "Windows Registry Editor Version 5.00\n[HKCU";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  EXPECT_THROW(quillbray::parseRegText(deep + "]\n", "f"), quillbray::BadRegFile);
}

}  // namespace
