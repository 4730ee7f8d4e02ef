// Configuration files in legacy encodings: the encoding the XML declaration
// names gives the same names and texts on every system (iconv on Linux, the
// system's code pages on Windows), and the same refusals.
#include <gtest/gtest.h>

#include "import/ConfigDocument.h"

namespace {

using namespace quillbray;

// A file whose one group holds one string value, its name and text in the
// file's encoding.
std::string file(const std::string& encoding, const std::string& group, const std::string& text) {
  return "<?xml version=\"1.0\" encoding=\"" + encoding +
         "\"?>\n<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray><PerUserRoam>\n<" + group +
         "><V type=\"string\">" + text + "</V></" + group + ">\n</PerUserRoam></Quillbray></Quillbray_Preferences>\n";
}

struct GroupText {
  std::string group;
  std::string text;
};

GroupText readBack(const std::string& content) {
  const ConfigDocument doc = ConfigDocument::FromContent(content);
  if (doc.Scopes().size() != 1) throw ImportError("not one scope");
  const auto entries = doc.Entries(doc.Scopes()[0]);
  if (entries.size() != 1 || doc.Values(entries[0]).size() != 1) throw ImportError("not one group of one value");
  return {std::string(doc.Text(entries[0].name)), std::string(doc.Text(doc.Values(entries[0])[0].text))};
}

std::string importError(const std::string& content) {
  try {
    readBack(content);
  } catch (const ImportError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(XmlEncodings, LegacyEncodingsReadTheSameEverywhere) {
  const struct {
    const char* encoding;
    std::string group;  // in the encoding
    std::string text;
    const char* groupUtf8;
    const char* textUtf8;
  } cases[] = {
      {"windows-1252", "Gr\xF6\xDF" "e", "\x80_5_\x9F_na\xEFve", "Größe", "€_5_Ÿ_naïve"},
      {"CP1252", "Gr\xF6\xDF" "e", "\x9C_\x85_\x89", "Größe", "œ_…_‰"},
      {"windows-1250", "\xA3\xF3" "d\x9F", "\x8Elu\x9Dou\xE8k\xFD_k\xF9\xF2", "Łódź", "Žluťoučký_kůň"},
      {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", "\xA8\xE6\xE8\xEA_\xB9" "5", "Привет", "Ёжик_№5"},
      {"windows-1253", "\xC5\xEB\xEB\xDC\xE4\xE1", "\xA2_\xFE", "Ελλάδα", "Ά_ώ"},
      {"windows-1254", "\xDDstanbul", "\xF0\xFC\xFE\xF6\xE7", "İstanbul", "ğüşöç"},
      {"windows-1255", "\xF9\xEC\xE5\xED", "\xA4_5", "שלום", "₪_5"},
      {"windows-1256", "\xE3\xD1\xCD\xC8\xC7", "\x90_\x81", "مرحبا", "گ_پ"},
      {"windows-1257", "R\xEEga", "\xC0\xE8\xE6\xEB\xE1\xF0\xF8\xFB\xFE", "Rīga", "Ąčęėįšųūž"},
      {"windows-874", "\xC0\xD2\xC9\xD2", "\xE4\xB7\xC2", "ภาษา", "ไทย"},
      // As Windows writes it: 0x5C is a backslash (also as a second byte:
      // 0x95 0x5C is 表), 0x7E a tilde.
      {"Shift_JIS", "\x93\xFA\x96{\x8C\xEA", "C:\x5CUsers\x5C\x96\xBC\x91O\x5C~_\xB6\xC5_\x95\x5C\x8E\xA6",
       "日本語", "C:\\Users\\名前\\~_ｶﾅ_表示"},
      {"EUC-JP", "\xC6\xFC\xCB\xDC\xB8\xEC", "\xB4\xC1\xBB\xFA_\xA4\xAB\xA4\xCA", "日本語", "漢字_かな"},
      {"GBK", "\xD6\xD0\xCE\xC4", "\xBC\xF2\xCC\xE5_\xD7\xD6", "中文", "简体_字"},
      {"GB2312", "\xD6\xD0\xCE\xC4", "\xBA\xBA\xD7\xD6", "中文", "汉字"},
      {"Big5", "\xA4\xA4\xA4\xE5", "\xC1" "c\xC5\xE9\xA6r", "中文", "繁體字"},
      {"EUC-KR", "\xC7\xD1\xB1\xDB", "\xB0\xA1\xB3\xAA\xB4\xD9", "한글", "가나다"},
      {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", "\xCD\xC9\xD2", "Привет", "мир"},
      {"KOI8-U", "\xF5\xCB\xD2\xC1\xA7\xCE\xC1", "\xA7\xD6\xC1\xCB_\xAD", "Україна", "їжак_ґ"},
      {"ISO-8859-2", "\xA3\xF3" "d\xBC", "\xF5_\xFB", "Łódź", "ő_ű"},
      {"ISO-8859-5", "\xBF\xE0\xD8\xD2\xD5\xE2", "\xF0", "Привет", "№"},
      {"ISO-8859-15", "Gr\xF6\xDF" "e", "\xA4_\xBD", "Größe", "€_œ"},
      {"ISO8859-15", "Gr\xF6\xDF" "e", "\xA4_\xBD", "Größe", "€_œ"},
      {"latin2", "\xA3\xF3" "d\xBC", "\xF5_\xFB", "Łódź", "ő_ű"},
      {"ISO_8859-7", "\xE1\xE2", "\xB6", "αβ", "Ά"},
      {"IBM437", "Gr\x94\xE1" "e", "\xAB_\xB0", "Größe", "½_░"},
      {"IBM850", "Gr\x94\xE1" "e", "\x9D_\xE7", "Größe", "Ø_þ"},
      {"IBM852", "\x9D\xA2" "d\xAB", "\x8A", "Łódź", "Ő"},
      {"IBM866", "\x8F\xE0\xA8\xA2\xA5\xE2", "\xF0", "Привет", "Ё"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoding);
    try {
      const GroupText got = readBack(file(c.encoding, c.group, c.text));
      EXPECT_EQ(got.group, c.groupUtf8);
      EXPECT_EQ(got.text, c.textUtf8);
    } catch (const ImportError& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

// The parser takes the file a few KiB at a time and converts what it has:
// a double-byte character cut by a boundary is read whole with the next part.
TEST(XmlEncodings, ACharacterSplitBetweenReadsIsReadWhole) {
  const struct {
    const char* encoding;
    std::string character;
    const char* utf8;
  } cases[] = {
      {"Shift_JIS", "\x93\xFA", "日"},
      {"Shift_JIS", "\x95\x5C", "表"},  // a second byte that is ASCII's backslash
      {"EUC-JP", "\xC6\xFC", "日"},
      {"GBK", "\xD6\xD0", "中"},
      {"Big5", "\xA4\xA4", "中"},
      {"EUC-KR", "\xC7\xD1", "한"},
  };
  for (const auto& c : cases) {
    // One of the two alignments puts a boundary inside a character.
    for (const std::string shift : {"", "x"}) {
      SCOPED_TRACE(std::string(c.encoding) + (shift.empty() ? " even" : " odd"));
      std::string text = shift, expected = shift;
      for (int i = 0; i < 20'000; ++i) {
        text += c.character;
        expected += c.utf8;
      }
      try {
        EXPECT_TRUE(readBack(file(c.encoding, "G", text)).text == expected);
      } catch (const ImportError& e) {
        ADD_FAILURE() << e.what();
      }
    }
  }
}

// Bytes that are no character of the encoding refuse the file with the
// parser's message, which shows them; so does an encoding it does not know.
TEST(XmlEncodings, BytesWithoutACharacterAreRefused) {
  const struct {
    const char* what;
    std::string content;
    std::string message;
  } cases[] = {
      {"unassigned in windows-1252", file("windows-1252", "G", "a\x81" "b"),
       "input conversion failed due to input error, bytes 0x81 0x62 0x3C 0x2F"},
      {"unassigned in windows-1253", file("windows-1253", "G", "\xAA"),
       "input conversion failed due to input error, bytes 0xAA 0x3C 0x2F 0x56"},
      {"no second byte in Shift_JIS", file("Shift_JIS", "G", "\x81 x"),
       "input conversion failed due to input error, bytes 0x81 0x20 0x78 0x3C"},
      {"the user-defined area of GBK", file("GBK", "G", "\xAA\xA1"),
       "input conversion failed due to input error, bytes 0xAA 0xA1 0x3C 0x2F"},
      {"a lone byte of KOI8-R is always a character", file("KOI8-R", "G", "\xFF"), "(no error)"},
      {"unknown encoding", file("x-no-such-encoding", "G", "a"), "line 1: Unsupported encoding x-no-such-encoding"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(importError(c.content), c.message);
  }
}

}  // namespace
