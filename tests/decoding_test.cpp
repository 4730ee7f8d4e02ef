// The encodings of configuration files, as pure functions.
#include <gtest/gtest.h>

#include "import/Decoding.h"
#include "import/ImpExpRegXML.h"

namespace {

using namespace quillbray;

TEST(Decoding, Names) {
  const std::pair<const char*, const char*> cases[] = {
      {"My_Value_0x5B_2_0x5D_", "My Value[2]"},
      {"_0x24_Temp", "$Temp"},
      {"Log_Unusual_Events", "Log Unusual Events"},
      {"a_0x5b_b", "a 0x5b b"},    // letter case counts
      {"_0x5B_0x5D_", "[0x5D "},   // left to right; inserted text is not looked at again
      {"&amp;", "&amp;"},          // names have no entity steps
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(DecodeName(in), out);
  }
}

TEST(Decoding, Texts) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\My_Documents\\_0x5B_x_0x5D_", "C:\\My Documents\\[x]"},
      {"say_&#34;hi&#34;_&pos;x&pos;", "say \"hi\" 'x'"},
      {"a_&amp;_b", "a & b"},
      {"$lt;b$gt;", "<b>"},
      {"&#36;5", "$5"},
      {"&amp;#36;", "$"},  // "&amp;" first gives "&#36;", which a later step reads as "$"
      {"_0x24_", " 0x24 "},  // no "$" step for texts
      {"&amp;lt;", "&lt;"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(DecodeText(in), out);
  }
}

TEST(Decoding, Integers) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"500", 500},          {"  -12", -12},           {"+7", 7},
      {"$1F", 31},           {"x10", 16},              {"0X10", 16},
      {"-$10", -16},         {"$FFFFFFFF", -1},        {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},                      {"2147483648", 0},
      {"$100000000", 0},     {"12 ", 0},               {"", 0},
      {" ", 0},              {"-", 0},                 {"$", 0},
      {"true", 0},           {"1.5", 0},               {"0x", 0},
      {"\t5", 0},            {"00012", 12},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(ReadIntegerText(in), out);
  }
}

TEST(Decoding, HexToBytes) {
  struct Case {
    const char* text;
    std::size_t n;
    bool ok;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"0A1BFF", 3, true, {0x0A, 0x1B, 0xFF}},
      {"0a1bff", 3, true, {0x0A, 0x1B, 0xFF}},
      {"0A1", 1, true, {0x0A}},           // an odd last digit is dropped
      {"0A,1B", 2, true, {0x0A, 0x1B}},   // n from the length happens to fit
      {"0A,1B,2C", 4, false, {}},
      {"", 0, true, {}},
      {"zz", 1, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::uint8_t> buffer(8, 0xEE);
    EXPECT_EQ(HexToBytes(c.text, buffer, c.n), c.ok);
    if (c.ok) {
      EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + c.n), c.bytes);
    } else {
      EXPECT_EQ(buffer, std::vector<std::uint8_t>(8, 0xEE));  // untouched
    }
  }
}

TEST(Decoding, ReplaceAll) {
  const struct {
    const char* text;
    const char* from;
    const char* to;
    const char* result;
  } cases[] = {
      {"a_b_c", "_", " ", "a b c"},
      {"aaa", "aa", "b", "ba"},          // left to right, no overlap
      {"ab", "a", "aa", "aab"},          // inserted text is not looked at again
      {"abc", "", "x", "abc"},           // an empty find text replaces nothing
      {"", "", "x", ""},
      {"", "a", "x", ""},
      {"Other_Preferences", "_Preferences", "", "Other"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.from);
    EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.result);
  }
}

// Blanks are removed before these are asked.
TEST(Decoding, BinaryByteCountCountsCharacters) {
  const struct {
    const char* text;
    std::size_t n;
    bool countTest;
  } cases[] = {
      {"0A1BFF", 3, true},
      {"0A1", 1, true},
      {"0A1B\xC3\xA9", 2, true},          // "0A1Bé": five characters, not six bytes
      {"\xC3\xA9\xC3\xA9", 1, false},     // "éé": one byte claimed, no digits
      {"0A\xE2\x82\xAC" "1B", 2, true},   // "0A€1B": five characters
      {"0A\xF0\x9F\x98\x80", 1, true},   // a four-byte character counts once
      {"0A\x80\x80", 2, false},           // stray continuation bytes count one each
      {"0A,1B,2C", 4, false},
      {"0A,1B", 2, true},
      {"", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(BinaryByteCount(c.text), c.n);
    EXPECT_EQ(HexDigitsMake(c.text, c.n), c.countTest);
  }
}

TEST(Decoding, GroupKeysScopesAndQuotes) {
  const std::pair<const char*, const char*> keys[] = {
      {"cfgAll", ""},
      {"CFGALL", "$Unknown\\CFGALL"},
      {"logs", "Logs"},
      {"APPEARANCE", "Appearance"},
      {"cust commands", "Cust Commands"},
      {"My Group", "$Unknown\\My Group"},
  };
  for (const auto& [in, out] : keys) {
    SCOPED_TRACE(in);
    EXPECT_EQ(GroupKeyOf(in), out);
  }
  EXPECT_EQ(ScopeFromName("PerUserRoam"), cfgPerUserRoam);
  EXPECT_EQ(ScopeFromName("PerUserNonRoam"), cfgPerUserNonRoam);
  EXPECT_EQ(ScopeFromName("PerMachine"), cfgPerMachine);
  for (const char* other : {"permachine", "cfgAll", "PerMachin", ""}) EXPECT_EQ(ScopeFromName(other), cfgPerUserRoam);

  const std::pair<const char*, const char*> quotes[] = {
      {"\"a b.xml\"", "a b.xml"},
      {"\"a\"\"b\"tail", "a\"b"},
      {"\"open", "open"},  // no closing quote: the rest
      {"plain\"", "plain\""},
  };
  for (const auto& [in, out] : quotes) {
    SCOPED_TRACE(in);
    EXPECT_EQ(UnquoteFileName(in), out);
  }
}

}  // namespace
