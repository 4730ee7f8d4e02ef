// The date-time formatting operation: a picture turned into text.
//
// The picture is first split into elements, because two rules look at the
// neighbours of an element: "m" after an hour element is the minute, and an
// hour is shown in 12-hour form when an AM/PM element follows it.
#include <algorithm>
#include <vector>

#include "common/FormatSettings.h"

namespace quillbray {
namespace {

enum class Kind {
  Text,         // copied as it stands
  Year,         // y, yy; yyy...
  Month,        // m, mm; mmm; mmmm...
  Day,          // d, dd; ddd; dddd; ddddd; dddddd...
  Hour,         // h, hh
  Minute,       // n, nn (and m, mm after an hour)
  Second,       // s, ss
  Millisecond,  // z, zz, zzz
  Time,         // t; tt...
  DateAndTime,  // c
  AmPmWritten,  // am/pm, a/p: the element's own letters
  AmPmLocale,   // ampm: the locale's designators
  DayName,      // aaa; aaaa
  DateSeparator,
  TimeSeparator,
};

struct Element {
  explicit Element(Kind k, std::size_t n = 1, std::string t = {}) : kind(k), count(n), text(std::move(t)) {}
  Kind kind;
  std::size_t count;  // letters in the run; aaa/aaaa: 3 or 4
  std::string text;   // Text; the written am/pm or a/p
  bool twelveHour = false;
};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool startsWithIgnoreCase(const std::string& s, std::size_t at, const char* prefix) {
  for (std::size_t k = 0; prefix[k]; ++k)
    if (at + k >= s.size() || upper(s[at + k]) != upper(prefix[k])) return false;
  return true;
}

bool isLetterElement(Kind k) { return k != Kind::Text && k != Kind::DateSeparator && k != Kind::TimeSeparator; }

std::vector<Element> parse(const std::string& picture) {
  std::vector<Element> out;
  const auto text = [&](std::string s) {
    if (!out.empty() && out.back().kind == Kind::Text) out.back().text += s;
    else out.push_back(Element{Kind::Text, 0, std::move(s)});
  };
  std::size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    const char u = upper(c);
    if (c == '"' || c == '\'') {
      const std::size_t end = picture.find(c, i + 1);
      text(picture.substr(i + 1, (end == std::string::npos ? picture.size() : end) - i - 1));
      i = end == std::string::npos ? picture.size() : end + 1;
      continue;
    }
    if (c == '/') {
      out.push_back(Element{Kind::DateSeparator});
      ++i;
      continue;
    }
    if (c == ':') {
      out.push_back(Element{Kind::TimeSeparator});
      ++i;
      continue;
    }
    if (u == 'A') {
      if (startsWithIgnoreCase(picture, i, "am/pm")) {
        out.push_back(Element{Kind::AmPmWritten, 5, picture.substr(i, 5)});
        i += 5;
      } else if (startsWithIgnoreCase(picture, i, "a/p")) {
        out.push_back(Element{Kind::AmPmWritten, 3, picture.substr(i, 3)});
        i += 3;
      } else if (startsWithIgnoreCase(picture, i, "ampm")) {
        out.push_back(Element{Kind::AmPmLocale, 4});
        i += 4;
      } else if (startsWithIgnoreCase(picture, i, "aaaa")) {
        out.push_back(Element{Kind::DayName, 4});
        i += 4;
      } else if (startsWithIgnoreCase(picture, i, "aaa")) {
        out.push_back(Element{Kind::DayName, 3});
        i += 3;
      } else {
        text(std::string(1, c));
        ++i;
      }
      continue;
    }
    Kind kind;
    switch (u) {
      case 'Y': kind = Kind::Year; break;
      case 'M': kind = Kind::Month; break;
      case 'D': kind = Kind::Day; break;
      case 'H': kind = Kind::Hour; break;
      case 'N': kind = Kind::Minute; break;
      case 'S': kind = Kind::Second; break;
      case 'Z': kind = Kind::Millisecond; break;
      case 'T': kind = Kind::Time; break;
      case 'C': kind = Kind::DateAndTime; break;
      default:
        text(std::string(1, c));
        ++i;
        continue;
    }
    std::size_t end = i + 1;
    while (end < picture.size() && upper(picture[end]) == u) ++end;
    out.push_back(Element{kind, end - i});
    i = end;
  }

  // m and mm right after an hour element (letter elements only; text and
  // separators between them do not count) give the minute.
  Kind last = Kind::Text;
  for (Element& e : out) {
    if (!isLetterElement(e.kind)) continue;
    if (e.kind == Kind::Month && e.count <= 2 && last == Kind::Hour) e.kind = Kind::Minute;
    last = e.kind;
  }
  // An hour is in 12-hour form when an AM/PM element follows before the next hour.
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (out[k].kind != Kind::Hour) continue;
    for (std::size_t j = k + 1; j < out.size() && out[j].kind != Kind::Hour; ++j) {
      if (out[j].kind == Kind::AmPmWritten || out[j].kind == Kind::AmPmLocale) {
        out[k].twelveHour = true;
        break;
      }
    }
  }
  return out;
}

std::string number(int value, std::size_t digits) {
  std::string s = std::to_string(value < 0 ? -value : value);
  if (s.size() < digits) s.insert(0, digits - s.size(), '0');
  return value < 0 ? "-" + s : s;
}

template <std::size_t N>
const std::string& pick(const std::array<std::string, N>& names, int oneBased) {
  static const std::string none;
  return oneBased >= 1 && oneBased <= static_cast<int>(N) ? names[static_cast<std::size_t>(oneBased - 1)] : none;
}

class Formatter {
 public:
  Formatter(const TDateTime& dt, const TFormatSettings& s) : dt_(dt), s_(s) {}

  // The picture and one level of the pictures it names; deeper, nothing, so
  // that a picture naming itself ("ddddd" in the short date) ends.
  void append(const std::string& picture, int level) {
    if (level >= 2) return;
    for (const Element& e : parse(picture)) appendElement(e, level);
  }

  std::string out;

 private:
  void appendElement(const Element& e, int level) {
    switch (e.kind) {
      case Kind::Text: out += e.text; break;
      case Kind::Year: out += e.count <= 2 ? number(dt_.year % 100, 2) : number(dt_.year, 4); break;
      case Kind::Month:
        if (e.count <= 2) out += number(dt_.month, e.count);
        else out += pick(e.count == 3 ? s_.ShortMonthNames : s_.LongMonthNames, dt_.month);
        break;
      case Kind::Day:
        if (e.count <= 2) out += number(dt_.day, e.count);
        else if (e.count == 3) out += pick(s_.ShortDayNames, dt_.dayOfWeek);
        else if (e.count == 4) out += pick(s_.LongDayNames, dt_.dayOfWeek);
        else append(e.count == 5 ? s_.ShortDatePicture : s_.LongDatePicture, level + 1);
        break;
      case Kind::Hour: {
        int h = dt_.hour;
        if (e.twelveHour) h = h == 0 ? 12 : h > 12 ? h - 12 : h;
        out += number(h, std::min<std::size_t>(e.count, 2));
        break;
      }
      case Kind::Minute: out += number(dt_.minute, std::min<std::size_t>(e.count, 2)); break;
      case Kind::Second: out += number(dt_.second, std::min<std::size_t>(e.count, 2)); break;
      case Kind::Millisecond: out += number(dt_.millisecond, std::min<std::size_t>(e.count, 3)); break;
      case Kind::Time: append(e.count == 1 ? s_.ShortTimePicture : s_.LongTimePicture, level + 1); break;
      case Kind::DateAndTime:
        append(s_.ShortDatePicture, level + 1);
        if (dt_.hour != 0 || dt_.minute != 0 || dt_.second != 0) {
          out += ' ';
          append(s_.LongTimePicture, level + 1);
        }
        break;
      case Kind::AmPmWritten:
        // "am/pm": the first two letters or the last two; "a/p": the first or the last.
        if (e.count == 5) out += dt_.hour < 12 ? e.text.substr(0, 2) : e.text.substr(3, 2);
        else out += dt_.hour < 12 ? e.text.substr(0, 1) : e.text.substr(2, 1);
        break;
      case Kind::AmPmLocale: out += dt_.hour < 12 ? s_.TimeAMString : s_.TimePMString; break;
      case Kind::DayName: out += pick(e.count == 3 ? s_.ShortDayNames : s_.LongDayNames, dt_.dayOfWeek); break;
      case Kind::DateSeparator: out += s_.DateSeparator; break;
      case Kind::TimeSeparator: out += s_.TimeSeparator; break;
    }
  }

  const TDateTime& dt_;
  const TFormatSettings& s_;
};

}  // namespace

std::string FormatDateTime(const std::string& picture, const TDateTime& dateTime, const TFormatSettings& settings) {
  Formatter f(dateTime, settings);
  f.append(picture.empty() ? std::string("c") : picture, 0);
  return std::move(f.out);
}

std::string FormatDateTime(const std::string& picture, const TDateTime& dateTime) {
  return FormatDateTime(picture, dateTime, FormatSettings());
}

}  // namespace quillbray
