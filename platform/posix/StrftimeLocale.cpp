// strftime formats to the picture language and the Windows time-format
// language. Both describe the same few parts (day, month, year, hour, minute,
// second, AM/PM marker); what a picture cannot say (time zones, week numbers)
// is left out.
#include "platform/posix/StrftimeLocale.h"

#include <cctype>
#include <vector>

namespace platform {
namespace {

// One piece of a format: literal text, or a conversion reduced to one of the
// basic letters d m b B y Y a A H I M S p (others are kept and later dropped).
struct Token {
  bool conversion = false;
  char letter = 0;
  bool unpadded = false;  // "%-d", "%e", "%k": no leading zero
  std::string text;       // literal text
};

bool isTimeLetter(char c) { return c == 'H' || c == 'I' || c == 'M' || c == 'S' || c == 'p' || c == 'Z' || c == 'z'; }
bool isDateLetter(char c) {
  return c == 'd' || c == 'm' || c == 'b' || c == 'B' || c == 'y' || c == 'Y' || c == 'a' || c == 'A';
}
bool isHourLetter(char c) { return c == 'H' || c == 'I'; }

void addLiteral(std::vector<Token>& tokens, const std::string& text) {
  if (text.empty()) return;
  if (!tokens.empty() && !tokens.back().conversion) tokens.back().text += text;
  else tokens.push_back({false, 0, false, text});
}

void tokenize(const std::string& format, const StrftimeLocale& locale, int depth, std::vector<Token>& tokens) {
  // %c inside D_T_FMT (or %x inside D_FMT) would never end.
  if (depth > 3) return;
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      addLiteral(tokens, std::string(1, format[i++]));
      continue;
    }
    std::size_t j = i + 1;
    bool unpadded = false;
    while (j < format.size() && (format[j] == '-' || format[j] == '_' || format[j] == '0' || format[j] == '^' ||
                                 format[j] == '#')) {
      if (format[j] == '-' || format[j] == '_') unpadded = true;
      if (format[j] == '0') unpadded = false;
      ++j;
    }
    while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
    if (j < format.size() && (format[j] == 'E' || format[j] == 'O')) ++j;
    if (j >= format.size()) {  // a lone "%" at the end is text
      addLiteral(tokens, format.substr(i));
      break;
    }
    const char c = format[j];
    i = j + 1;
    switch (c) {
      case 'D': tokenize("%m/%d/%y", locale, depth + 1, tokens); break;
      case 'F': tokenize("%Y-%m-%d", locale, depth + 1, tokens); break;
      case 'T': tokenize("%H:%M:%S", locale, depth + 1, tokens); break;
      case 'R': tokenize("%H:%M", locale, depth + 1, tokens); break;
      case 'r':
        tokenize(locale.timeFormatAmPm.empty() ? "%I:%M:%S %p" : locale.timeFormatAmPm, locale, depth + 1, tokens);
        break;
      case 'x': tokenize(locale.dateFormat, locale, depth + 1, tokens); break;
      case 'X': tokenize(locale.timeFormat, locale, depth + 1, tokens); break;
      case 'c': tokenize(locale.dateTimeFormat, locale, depth + 1, tokens); break;
      case 'n': addLiteral(tokens, "\n"); break;
      case 't': addLiteral(tokens, "\t"); break;
      case '%': addLiteral(tokens, "%"); break;
      case 'h': tokens.push_back({true, 'b', false, {}}); break;
      case 'e': tokens.push_back({true, 'd', true, {}}); break;
      case 'k': tokens.push_back({true, 'H', true, {}}); break;
      case 'l': tokens.push_back({true, 'I', true, {}}); break;
      case 'P': tokens.push_back({true, 'p', false, {}}); break;
      default: tokens.push_back({true, c, unpadded, {}}); break;
    }
  }
}

std::vector<Token> tokenize(const std::string& format, const StrftimeLocale& locale) {
  std::vector<Token> tokens;
  tokenize(format, locale, 0, tokens);
  return tokens;
}

// Literal text in a picture: letters and quotes would be read as elements, so
// such text is quoted ("de" => "\"de\""); a double quote itself goes in single
// quotes. "/" and ":" stand for the locale's separators, so they stay bare
// only where they are those separators.
std::string pictureLiteral(const std::string& text, const std::string& dateSep, const std::string& timeSep) {
  bool needsQuotes = false;
  for (char c : text) {
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '"' || c == '\'' || (c == '/' && dateSep != "/") ||
        (c == ':' && timeSep != ":"))
      needsQuotes = true;
  }
  if (!needsQuotes) return text;
  std::string out;
  std::string run;
  const auto flush = [&] {
    if (!run.empty()) out += '"' + run + '"';
    run.clear();
  };
  for (char c : text) {
    if (c == '"') {
      flush();
      out += "'\"'";
    } else {
      run += c;
    }
  }
  flush();
  return out;
}

std::string toPicture(const std::vector<Token>& tokens, const std::string& dateSep, const std::string& timeSep) {
  std::string out;
  for (const Token& t : tokens) {
    if (!t.conversion) {
      out += pictureLiteral(t.text, dateSep, timeSep);
      continue;
    }
    switch (t.letter) {
      case 'd': out += t.unpadded ? "d" : "dd"; break;
      case 'm': out += t.unpadded ? "m" : "mm"; break;
      case 'b': out += "mmm"; break;
      case 'B': out += "mmmm"; break;
      case 'y': out += "yy"; break;
      case 'Y': out += "yyyy"; break;
      case 'a': out += "ddd"; break;
      case 'A': out += "dddd"; break;
      case 'H':
      case 'I': out += t.unpadded ? "h" : "hh"; break;
      case 'M': out += t.unpadded ? "n" : "nn"; break;
      case 'S': out += t.unpadded ? "s" : "ss"; break;
      case 'p': out += "ampm"; break;
      default: break;  // time zones, week and day numbers: no picture element
    }
  }
  return out;
}

// The Windows time-format language quotes text in single quotes and doubles
// a quote inside it.
std::string windowsTime(const std::vector<Token>& tokens) {
  std::string out;
  for (const Token& t : tokens) {
    if (!t.conversion) {
      bool letters = false;
      for (char c : t.text) letters = letters || std::isalpha(static_cast<unsigned char>(c)) || c == '\'';
      if (!letters) {
        out += t.text;
        continue;
      }
      out += '\'';
      for (char c : t.text) out += c == '\'' ? std::string("''") : std::string(1, c);
      out += '\'';
      continue;
    }
    switch (t.letter) {
      case 'H': out += t.unpadded ? "H" : "HH"; break;
      case 'I': out += t.unpadded ? "h" : "hh"; break;
      case 'M': out += t.unpadded ? "m" : "mm"; break;
      case 'S': out += t.unpadded ? "s" : "ss"; break;
      case 'p': out += "tt"; break;
      default: break;
    }
  }
  return out;
}

// The first ASCII punctuation in the literal text: the locale's separator.
std::optional<std::string> firstSeparator(const std::vector<Token>& tokens) {
  for (const Token& t : tokens) {
    if (t.conversion) continue;
    for (char c : t.text)
      if (std::ispunct(static_cast<unsigned char>(c)) && c != '%') return std::string(1, c);
  }
  return std::nullopt;
}

// The date-and-time format without its time: each time conversion goes with
// the text that follows it ("%a %d %b %Y %H:%M:%S %Z" => "%a %d %b %Y").
std::vector<Token> withoutTime(const std::vector<Token>& tokens) {
  std::vector<Token> kept;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i].conversion && isTimeLetter(tokens[i].letter)) {
      if (i + 1 < tokens.size() && !tokens[i + 1].conversion) ++i;
      continue;
    }
    if (!tokens[i].conversion && !kept.empty() && !kept.back().conversion) kept.back().text += tokens[i].text;
    else kept.push_back(tokens[i]);
  }
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  if (!kept.empty() && !kept.back().conversion) {
    std::string& s = kept.back().text;
    while (!s.empty() && blank(s.back())) s.pop_back();
    if (s.empty()) kept.pop_back();
  }
  if (!kept.empty() && !kept.front().conversion) {
    std::string& s = kept.front().text;
    std::size_t n = 0;
    while (n < s.size() && blank(s[n])) ++n;
    s.erase(0, n);
    if (s.empty()) kept.erase(kept.begin());
  }
  return kept;
}

bool hasDate(const std::vector<Token>& tokens) {
  for (const Token& t : tokens)
    if (t.conversion && isDateLetter(t.letter)) return true;
  return false;
}

// Where the AM/PM marker stands against the hour: "1" in front, "0" behind,
// nothing when the format has no marker or no hour.
std::optional<std::string> markerPosition(const std::vector<Token>& tokens) {
  bool hourSeen = false;
  for (const Token& t : tokens) {
    if (!t.conversion) continue;
    if (isHourLetter(t.letter)) hourSeen = true;
    if (t.letter == 'p') return std::string(hourSeen ? "0" : "1");
  }
  return std::nullopt;
}

}  // namespace

LocaleInfo translateStrftimeLocale(const StrftimeLocale& locale) {
  LocaleInfo info;
  const std::vector<Token> date = tokenize(locale.dateFormat, locale);
  const std::vector<Token> time = tokenize(locale.timeFormat, locale);
  const std::vector<Token> dateTime = tokenize(locale.dateTimeFormat, locale);

  info.dateSeparator = firstSeparator(date);
  info.timeSeparator = firstSeparator(time);
  const std::string dateSep = info.dateSeparator.value_or("/");
  const std::string timeSep = info.timeSeparator.value_or(":");

  if (!date.empty()) info.shortDate = toPicture(date, dateSep, timeSep);
  if (!dateTime.empty()) {
    const std::vector<Token> longDate = withoutTime(dateTime);
    if (hasDate(longDate)) info.longDate = toPicture(longDate, dateSep, timeSep);
    else info.longDate = info.shortDate;
  }

  for (const Token& t : time) {
    if (t.conversion && isHourLetter(t.letter)) {
      // emplace, not "=": GCC 12 at -O2 misreads the optional's assignment
      // from a literal as an overlapping copy (-Wrestrict).
      info.leadingZeroHour.emplace(1, t.unpadded ? '0' : '1');
      info.timeKind.emplace(1, t.letter == 'I' ? '0' : '1');
      break;
    }
  }
  info.markerPosition = markerPosition(time);
  if (!info.markerPosition) info.markerPosition = markerPosition(tokenize(locale.timeFormatAmPm, locale));
  if (const std::string format = windowsTime(time); !format.empty()) info.timeFormat = format;

  info.amDesignator = locale.am;
  info.pmDesignator = locale.pm;
  info.shortMonthNames = locale.shortMonthNames;
  info.longMonthNames = locale.longMonthNames;
  info.shortDayNames = locale.shortDayNames;
  info.longDayNames = locale.longDayNames;
  return info;
}

}  // namespace platform
