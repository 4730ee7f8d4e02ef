// The names the legacy encodings go by (iconv's, the XML declarations' and
// the web's) and the Windows code pages that read them.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace platform::win32 {

struct CodePageName {
  UINT codePage;
  // For the XML parser: a single byte the code page leaves unassigned is no
  // character, as iconv reads it (see CodePageTable).
  bool strict;
  // The user-defined double-byte areas are private-use characters, as iconv
  // reads them; else they are no characters (see CodePageTable).
  bool privatePairs;
  const char* name;
  std::initializer_list<const char*> aliases;
};

inline const CodePageName kCodePageNames[] = {
    {1250, true, true, "windows-1250", {"CP1250", "x-cp1250"}},
    {1251, true, true, "windows-1251", {"CP1251", "x-cp1251"}},
    {1252, true, true, "windows-1252", {"CP1252", "x-cp1252"}},
    {1253, true, true, "windows-1253", {"CP1253"}},
    {1254, true, true, "windows-1254", {"CP1254"}},
    {1255, true, true, "windows-1255", {"CP1255"}},
    {1256, true, true, "windows-1256", {"CP1256"}},
    {1257, true, true, "windows-1257", {"CP1257"}},
    {1258, true, true, "windows-1258", {"CP1258"}},
    {874, true, true, "windows-874", {"CP874", "x-windows-874"}},
    {932, true, true, "Shift_JIS", {"Shift-JIS", "SJIS", "MS_Kanji", "csShiftJIS", "x-sjis", "CP932", "windows-31j"}},
    {20932, false, true, "EUC-JP", {"EUCJP", "x-euc-jp", "csEUCPkdFmtJapanese"}},
    {936, true, false, "GBK", {"CP936", "MS936", "windows-936", "GB2312", "csGB2312", "EUC-CN", "x-gbk"}},
    {950, true, false, "Big5", {"Big-5", "CP950", "csBig5", "x-x-big5"}},
    {949, true, false, "EUC-KR", {"CP949", "UHC", "ks_c_5601-1987", "csEUCKR", "windows-949"}},
    {20866, true, true, "KOI8-R", {"csKOI8R", "CP20866"}},
    {21866, true, true, "KOI8-U", {"CP21866"}},
    {437, true, true, "IBM437", {"CP437", "437", "csPC8CodePage437"}},
    {850, true, true, "IBM850", {"CP850", "850", "csPC850Multilingual"}},
    {852, true, true, "IBM852", {"CP852", "852", "csPCp852"}},
    {866, true, true, "IBM866", {"CP866", "866", "csIBM866"}},
};

}  // namespace platform::win32
