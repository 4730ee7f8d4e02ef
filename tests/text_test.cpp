#include <gtest/gtest.h>

#include "platform/Text.h"

TEST(TextCase, FoldsAsciiAndNonAsciiLettersAndKeepsOtherBytes) {
  struct Case {
    const char* in;
    const char* upper;
    const char* lower;
  } cases[] = {
      {"Quillbray 4", "QUILLBRAY 4", "quillbray 4"},
      {"\xC3\xA4rger", "\xC3\x84RGER", "\xC3\xA4rger"},        // ärger
      {"\xCE\xB1\xCE\x92", "\xCE\x91\xCE\x92", "\xCE\xB1\xCE\xB2"},  // αΒ
      {"\xD0\xB4\xD0\x9C", "\xD0\x94\xD0\x9C", "\xD0\xB4\xD0\xBC"},  // дМ
      {"a\xFF" "b\xC3", "A\xFF" "B\xC3", "a\xFF" "b\xC3"},    // invalid bytes stay
      {"$Temp_0x5B_", "$TEMP_0X5B_", "$temp_0x5b_"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(platform::upperCase(c.in), c.upper);
    EXPECT_EQ(platform::lowerCase(c.in), c.lower);
  }
}

TEST(TextCase, FoldedNamesMatchWhateverTheLocale) {
  EXPECT_EQ(platform::foldName("\xC3\x84pfel"), platform::foldName("\xC3\xA4PFEL"));
}
