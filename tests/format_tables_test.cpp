// The date and time picture tables: the form of every entry, the pictures in
// their order, and each example checked against FormatDateTime's rendering of
// the sample moment (Monday 19 March 20##, 15:04:23) rather than against a
// second copy of the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "common/FormatSettings.h"
#include "settings/FormatTables.h"

namespace {

using namespace quillbray;
using platform::makeDateTime;

const std::vector<std::string> kDatePictures = {
    "MM/DD/YY",      "MM-DD-YY",      "MM.DD.YY",      "MM/DD/YYYY",     "MM-DD-YYYY",    "MM.DD.YYYY",
    "DD/MM/YY",      "DD-MM-YY",      "DD.MM.YY",      "DD/MM/YYYY",     "DD-MM-YYYY",    "DD.MM.YYYY",
    "YY/MM/DD",      "YY-MM-DD",      "YY.MM.DD",      "YYYY/MM/DD",     "YYYY-MM-DD",    "YYYY.MM.DD",
    "MMM YYYY",      "Mmm YYYY",      "DD MMM YY",     "DD Mmm YY",      "DD MMM YYYY",   "DD Mmm YYYY",
    "DD Mmmmm YY",   "DD Mmmmm YYYY", "Mmm DD YY",     "Mmm DD, YY",     "Mmm DD YYYY",   "Mmm DD, YYYY",
    "Mmmmm DD YY",   "Mmmmm DD, YY",  "Mmmmm DD YYYY", "Mmmmm DD, YYYY", "MMDDYY",        "MMDDYYYY",
    "DDMMYY",        "DDMMYYYY",      "YYMMDD",        "YYYYMMDD",       "DD",            "MM",
    "Mmm",           "MMM",           "Mmmmm",         "YY",             "YYYY",          "Day of Week 1",
    "Day of Week 2", "Day of Week 3", "Day of Week 4", "DDMmmYY",        "DDMMMYY",       "DDMmmYYYY",
    "DDMMMYYYY",
};

const std::vector<std::string> kTimePictures = {
    "hh:mm",       "hh.mm",    "hh,mm",    "hhmm",        "hh:mm:ss",    "hh.mm.ss",    "hh,mm,ss",
    "hhmmss",      "hh",       "mm",       "ss",          "hh:mm am",    "hh.mm am",    "hh,mm am",
    "hh:mm:ss am", "hh.mm.ss am", "hh,mm,ss am", "hh:mm AM", "hh.mm AM", "hh,mm AM", "hh:mm:ss AM",
    "hh.mm.ss AM", "hh,mm,ss AM", "hh:mma", "hh.mma", "hh,mma",
};

// The locale the examples are written for: English names, "/" and ":".
TFormatSettings sampleLocale() {
  TFormatSettings s;
  s.DateSeparator = "/";
  s.TimeSeparator = ":";
  s.TimeAMString = "am";
  s.TimePMString = "pm";
  s.ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  s.LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                      "July",    "August",   "September", "October", "November", "December"};
  s.ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  s.LongDayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return s;
}

// Every 20## year whose 19 March is a Monday; the hidden digits fit any of
// them, so each is checked.
std::vector<TDateTime> sampleMoments() {
  std::vector<TDateTime> out;
  for (int year = 2000; year <= 2099; ++year) {
    const TDateTime t = makeDateTime(year, 3, 19, 15, 4, 23);
    if (t.dayOfWeek == 2) out.push_back(t);
  }
  return out;
}

struct Entry {
  std::string picture;
  std::string example;
};

Entry split(const std::string& entry) {
  const std::string head = entry.substr(0, std::min(entry.size(), kFormatPictureColumn));
  const std::size_t end = head.find_last_not_of(' ');
  return {end == std::string::npos ? std::string() : head.substr(0, end + 1),
          entry.size() > kFormatPictureColumn ? entry.substr(kFormatPictureColumn) : std::string()};
}

// The example with its hidden year digits filled in from the moment.
std::string withYear(std::string example, const TDateTime& t) {
  const std::string yy = FormatDateTime("yy", t);
  for (std::size_t at = example.find("##"); at != std::string::npos; at = example.find("##", at + 2))
    example.replace(at, 2, yy);
  return example;
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The tables' own elements, each shown through FormatDateTime: capitals for
// "MMM" and "Day of Week 2/4", "mm" as the minute in time pictures, the
// 12-hour hour beside a day-half marker, and the marker as written.
std::string renderTableElements(const std::string& picture, const TDateTime& t) {
  if (picture.rfind("Day of Week ", 0) == 0) {
    const char n = picture.back();
    const std::string name = FormatDateTime(n == '1' || n == '2' ? "ddd" : "dddd", t);
    return n == '2' || n == '4' ? upper(name) : name;
  }
  static const char* const kElements[] = {"Mmmmm", "YYYY", "MMM", "Mmm", "DD", "MM",
                                          "YY",    "hh",   "mm",  "ss",  "am", "AM", "a"};
  std::vector<std::string> parts;
  for (std::size_t i = 0; i < picture.size();) {
    std::string part(1, picture[i]);
    for (const char* e : kElements) {
      if (picture.compare(i, std::char_traits<char>::length(e), e) == 0) {
        part = e;
        break;
      }
    }
    parts.push_back(part);
    i += part.size();
  }
  bool marker = false;
  for (const std::string& p : parts) marker = marker || p == "am" || p == "AM" || p == "a";
  std::string out;
  for (const std::string& p : parts) {
    if (p == "Mmmmm") out += FormatDateTime("mmmm", t);
    else if (p == "YYYY") out += FormatDateTime("yyyy", t);
    else if (p == "MMM") out += upper(FormatDateTime("mmm", t));
    else if (p == "Mmm") out += FormatDateTime("mmm", t);
    else if (p == "DD") out += FormatDateTime("dd", t);
    else if (p == "MM") out += FormatDateTime("mm", t);
    else if (p == "YY") out += FormatDateTime("yy", t);
    else if (p == "hh") out += marker ? FormatDateTime("hh am/pm", t).substr(0, 2) : FormatDateTime("hh", t);
    else if (p == "mm") out += FormatDateTime("nn", t);
    else if (p == "ss") out += FormatDateTime("ss", t);
    else out += p;  // the markers as written, and punctuation
  }
  return out;
}

TEST(FormatTablesTest, SizesAndPicturesInOrder) {
  ASSERT_EQ(DateFormats.size(), 55u);
  ASSERT_EQ(TimeFormats.size(), 26u);
  ASSERT_EQ(kDatePictures.size(), DateFormats.size());
  ASSERT_EQ(kTimePictures.size(), TimeFormats.size());
  for (std::size_t i = 0; i < DateFormats.size(); ++i)
    EXPECT_EQ(split(DateFormats[i]).picture, kDatePictures[i]) << "date " << i;
  for (std::size_t i = 0; i < TimeFormats.size(); ++i)
    EXPECT_EQ(split(TimeFormats[i]).picture, kTimePictures[i]) << "time " << i;
}

TEST(FormatTablesTest, EveryEntryIsThePicturePaddedTo16ThenTheExample) {
  for (const auto table : {std::span<const char* const>(DateFormats), std::span<const char* const>(TimeFormats)}) {
    for (const char* text : table) {
      const std::string entry = text;
      SCOPED_TRACE("entry \"" + entry + "\"");
      const Entry e = split(entry);
      EXPECT_LE(e.picture.size(), 14u);
      EXPECT_EQ(entry.substr(0, kFormatPictureColumn), e.picture + std::string(16 - e.picture.size(), ' '));
      ASSERT_FALSE(e.example.empty());
      EXPECT_NE(e.example.front(), ' ');
      EXPECT_NE(e.example.back(), ' ');
    }
  }
}

TEST(FormatTablesTest, TheYearIsA20YearWithMonday19March) {
  const std::vector<TDateTime> moments = sampleMoments();
  ASSERT_FALSE(moments.empty());
  for (const TDateTime& t : moments) {
    EXPECT_EQ(t.dayOfWeek, 2) << t.year;
    EXPECT_EQ(FormatDateTime("dddd d mmmm", t, sampleLocale()), "Monday 19 March");
  }
}

// The pictures are written in the product's own picture language, which
// FormatDateTime shares only in part. These entries cannot match its
// rendering of the bare picture; the examples are kept as they stand.
const std::map<std::size_t, const char*> kDateNotFormatDateTime = {
    {18, "letters are case-insensitive: MMM gives the locale's short name Mar, not MAR"},
    {20, "letters are case-insensitive: MMM gives Mar, not MAR"},
    {22, "letters are case-insensitive: MMM gives Mar, not MAR"},
    {43, "letters are case-insensitive: MMM gives Mar, not MAR"},
    {47, "Day of Week n is no element: D, y are day and year, the rest is copied"},
    {48, "Day of Week n is no element; and no element gives capital day names"},
    {49, "Day of Week n is no element"},
    {50, "Day of Week n is no element; and no element gives capital day names"},
    {52, "letters are case-insensitive: MMM gives Mar, not MAR"},
    {54, "letters are case-insensitive: MMM gives Mar, not MAR"},
};
const char* const kMarker = "am, AM and a are no markers (am/pm, a/p, ampm are): the hour stays 24-hour and "
                            "the m after a is a month";
const std::map<std::size_t, const char*> kTimeNotFormatDateTime = {
    {9, "mm without an hour before it is the month (03), not the minute"},
    {11, kMarker}, {12, kMarker}, {13, kMarker}, {14, kMarker}, {15, kMarker}, {16, kMarker}, {17, kMarker},
    {18, kMarker}, {19, kMarker}, {20, kMarker}, {21, kMarker}, {22, kMarker},
    {23, "a is no marker (a/p is): the hour stays 24-hour, 15:04a"},
    {24, "a is no marker (a/p is): the hour stays 24-hour"},
    {25, "a is no marker (a/p is): the hour stays 24-hour"},
};

void checkAgainstFormatDateTime(std::span<const char* const> table, const std::map<std::size_t, const char*>& odd,
                                const char* name) {
  const ScopedFormatSettings locale(sampleLocale());
  for (const TDateTime& t : sampleMoments()) {
    for (std::size_t i = 0; i < table.size(); ++i) {
      const Entry e = split(table[i]);
      SCOPED_TRACE(std::string(name) + " " + std::to_string(i) + " \"" + table[i] + "\" in " +
                   std::to_string(t.year));
      const std::string rendered = FormatDateTime(e.picture, t);
      const auto known = odd.find(i);
      if (known == odd.end()) EXPECT_EQ(rendered, withYear(e.example, t));
      else EXPECT_NE(rendered, withYear(e.example, t)) << "listed as not matching: " << known->second;
    }
  }
}

TEST(FormatTablesTest, DateExamplesAreFormatDateTimesRenderingOfThePicture) {
  checkAgainstFormatDateTime(DateFormats, kDateNotFormatDateTime, "date");
}

TEST(FormatTablesTest, TimeExamplesAreFormatDateTimesRenderingOfThePicture) {
  checkAgainstFormatDateTime(TimeFormats, kTimeNotFormatDateTime, "time");
}

// Every example, the ones above included, read with the tables' own
// elements and each element shown by FormatDateTime.
TEST(FormatTablesTest, EveryExampleFollowsTheTablesOwnElements) {
  const ScopedFormatSettings locale(sampleLocale());
  for (const TDateTime& t : sampleMoments()) {
    for (const auto table : {std::span<const char* const>(DateFormats), std::span<const char* const>(TimeFormats)}) {
      for (const char* text : table) {
        const Entry e = split(text);
        SCOPED_TRACE(std::string("entry \"") + text + "\" in " + std::to_string(t.year));
        EXPECT_EQ(renderTableElements(e.picture, t), withYear(e.example, t));
      }
    }
  }
}

TEST(FormatTablesTest, TellingEntriesInFull) {
  EXPECT_STREQ(DateFormats[0], "MM/DD/YY        03/19/##");
  EXPECT_STREQ(DateFormats[18], "MMM YYYY        MAR 20##");
  EXPECT_STREQ(DateFormats[33], "Mmmmm DD, YYYY  March 19, 20##");
  EXPECT_STREQ(DateFormats[45], "YY              ##");
  EXPECT_STREQ(DateFormats[46], "YYYY            20##");
  EXPECT_STREQ(DateFormats[47], "Day of Week 1   Mon");
  EXPECT_STREQ(DateFormats[54], "DDMMMYYYY       19MAR20##");
  EXPECT_STREQ(TimeFormats[0], "hh:mm           15:04");
  EXPECT_STREQ(TimeFormats[3], "hhmm            1504");
  EXPECT_STREQ(TimeFormats[7], "hhmmss          150423");
  EXPECT_STREQ(TimeFormats[11], "hh:mm am        03:04 am");
  EXPECT_STREQ(TimeFormats[14], "hh:mm:ss am     03:04:23 am");
  EXPECT_STREQ(TimeFormats[23], "hh:mma          03:04a");
  EXPECT_STREQ(TimeFormats[25], "hh,mma          03,04a");
}

TEST(FormatTablesTest, CommandNameLists) {
  const std::vector<std::string> all(CommandNames.begin(), CommandNames.end());
  EXPECT_EQ(all, (std::vector<std::string>{"Date/Time", "Delay", "Insert Hyperlink", "Insert Image", "Symbols",
                                           "Wait for Keypress"}));
  const std::vector<std::string> two(ShortCommandNames.begin(), ShortCommandNames.end());
  EXPECT_EQ(two, (std::vector<std::string>{"Date/Time", "Symbols"}));
}

}  // namespace
