// The date and time picture tables and the command-name lists.
#include "settings/FormatTables.h"

namespace quillbray {

// Picture (to column 16), then Monday 19 March 20## 15:04:23 in it.
const std::array<const char*, 55> DateFormats = {
    "MM/DD/YY        03/19/##",        // 0
    "MM-DD-YY        03-19-##",        // 1
    "MM.DD.YY        03.19.##",        // 2
    "MM/DD/YYYY      03/19/20##",      // 3
    "MM-DD-YYYY      03-19-20##",      // 4
    "MM.DD.YYYY      03.19.20##",      // 5
    "DD/MM/YY        19/03/##",        // 6
    "DD-MM-YY        19-03-##",        // 7
    "DD.MM.YY        19.03.##",        // 8
    "DD/MM/YYYY      19/03/20##",      // 9
    "DD-MM-YYYY      19-03-20##",      // 10
    "DD.MM.YYYY      19.03.20##",      // 11
    "YY/MM/DD        ##/03/19",        // 12
    "YY-MM-DD        ##-03-19",        // 13
    "YY.MM.DD        ##.03.19",        // 14
    "YYYY/MM/DD      20##/03/19",      // 15
    "YYYY-MM-DD      20##-03-19",      // 16
    "YYYY.MM.DD      20##.03.19",      // 17
    "MMM YYYY        MAR 20##",        // 18
    "Mmm YYYY        Mar 20##",        // 19
    "DD MMM YY       19 MAR ##",       // 20
    "DD Mmm YY       19 Mar ##",       // 21
    "DD MMM YYYY     19 MAR 20##",     // 22
    "DD Mmm YYYY     19 Mar 20##",     // 23
    "DD Mmmmm YY     19 March ##",     // 24
    "DD Mmmmm YYYY   19 March 20##",   // 25
    "Mmm DD YY       Mar 19 ##",       // 26
    "Mmm DD, YY      Mar 19, ##",      // 27
    "Mmm DD YYYY     Mar 19 20##",     // 28
    "Mmm DD, YYYY    Mar 19, 20##",    // 29
    "Mmmmm DD YY     March 19 ##",     // 30
    "Mmmmm DD, YY    March 19, ##",    // 31
    "Mmmmm DD YYYY   March 19 20##",   // 32
    "Mmmmm DD, YYYY  March 19, 20##",  // 33
    "MMDDYY          0319##",          // 34
    "MMDDYYYY        031920##",        // 35
    "DDMMYY          1903##",          // 36
    "DDMMYYYY        190320##",        // 37
    "YYMMDD          ##0319",          // 38
    "YYYYMMDD        20##0319",        // 39
    "DD              19",              // 40
    "MM              03",              // 41
    "Mmm             Mar",             // 42
    "MMM             MAR",             // 43
    "Mmmmm           March",           // 44
    "YY              ##",              // 45
    "YYYY            20##",            // 46
    "Day of Week 1   Mon",             // 47
    "Day of Week 2   MON",             // 48
    "Day of Week 3   Monday",          // 49
    "Day of Week 4   MONDAY",          // 50
    "DDMmmYY         19Mar##",         // 51
    "DDMMMYY         19MAR##",         // 52
    "DDMmmYYYY       19Mar20##",       // 53
    "DDMMMYYYY       19MAR20##",       // 54
};

// "hh" is the 12-hour hour where the picture has a day-half marker; the
// marker shows as written.
const std::array<const char*, 26> TimeFormats = {
    "hh:mm           15:04",        // 0
    "hh.mm           15.04",        // 1
    "hh,mm           15,04",        // 2
    "hhmm            1504",         // 3
    "hh:mm:ss        15:04:23",     // 4
    "hh.mm.ss        15.04.23",     // 5
    "hh,mm,ss        15,04,23",     // 6
    "hhmmss          150423",       // 7
    "hh              15",           // 8
    "mm              04",           // 9
    "ss              23",           // 10
    "hh:mm am        03:04 am",     // 11
    "hh.mm am        03.04 am",     // 12
    "hh,mm am        03,04 am",     // 13
    "hh:mm:ss am     03:04:23 am",  // 14
    "hh.mm.ss am     03.04.23 am",  // 15
    "hh,mm,ss am     03,04,23 am",  // 16
    "hh:mm AM        03:04 AM",     // 17
    "hh.mm AM        03.04 AM",     // 18
    "hh,mm AM        03,04 AM",     // 19
    "hh:mm:ss AM     03:04:23 AM",  // 20
    "hh.mm.ss AM     03.04.23 AM",  // 21
    "hh,mm,ss AM     03,04,23 AM",  // 22
    "hh:mma          03:04a",       // 23
    "hh.mma          03.04a",       // 24
    "hh,mma          03,04a",       // 25
};

const std::array<const char*, 6> CommandNames = {
    "Date/Time", "Delay", "Insert Hyperlink", "Insert Image", "Symbols", "Wait for Keypress",
};

const std::array<const char*, 2> ShortCommandNames = {"Date/Time", "Symbols"};

}  // namespace quillbray
