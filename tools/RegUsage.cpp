#include "tools/RegUsage.h"

#include "platform/Text.h"
#include "platform/UsageNotes.h"

namespace quillbray {
namespace {

struct VerbUsage {
  const char* verb;
  const char* usage;  // after "quillbray-reg "
  const char* help;   // indented lines
};

constexpr VerbUsage kVerbs[] = {
    {"query", "query KEY [/v NAME | /ve] [/s]",
     "      Shows the values of KEY (or the one named) and its sub-keys; /s walks\n"
     "      every key below it. /ve shows \"(value not set)\" for a key without one.\n"},
    {"add", "add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]",
     "      Creates KEY and sets a value: the one named, else the default value\n"
     "      (without /t and /d an empty REG_SZ, as reg.exe sets it).\n"
     "      TYPE: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ (items separated by\n"
     "      \\0, or by the one character of /s), REG_DWORD (= REG_DWORD_LITTLE_ENDIAN),\n"
     "      REG_DWORD_BIG_ENDIAN (stored as REG_DWORD is, as reg.exe stores it),\n"
     "      REG_QWORD (decimal or 0x hex; without /d 0), REG_BINARY (hex digits; an\n"
     "      odd count takes a leading 0), REG_NONE (text). /f overwrites without\n"
     "      asking.\n"},
    {"delete", "delete KEY [/v NAME | /ve | /va] [/f]",
     "      Deletes KEY and everything below it, one value, or all its values.\n"
     "      /f deletes without asking.\n"},
    {"export", "export KEY [FILE [/y] | -]",
     "      With FILE, writes KEY and everything below it to FILE as a .reg file\n"
     "      (UTF-16LE); /y overwrites an existing FILE. Without FILE, or with -,\n"
     "      prints KEY as .reg text (UTF-8). KEY may be a bare HKCU or HKLM (the\n"
     "      whole hive); a path without a root is below HKCU.\n"},
    {"import", "import FILE [/cp CODEPAGE]",
     "      Applies a .reg file (version 5 or REGEDIT4), all or nothing: a faulty\n"
     "      file, or a hive it touches that cannot be written, changes nothing.\n"
     "      A REGEDIT4 file is read as UTF-8, else windows-1252, or in CODEPAGE.\n"},
    {"export-config", "export-config FILE [/y]",
     "      Writes the product's values as a program-configuration file.\n"
     "      /y overwrites an existing FILE.\n"},
    {"export-schema", "export-schema FILE [/y]",
     "      Writes an XML Schema of the program-configuration file, made from the\n"
     "      product's catalogue, for XML editors and xmllint --schema. It reads no\n"
     "      store: every location writes the same file. /y overwrites FILE.\n"},
};

constexpr const char* kCommonNotes =
    "--location registry|flat|file|usb (before or after the verb; default registry)\n"
    "      registry and flat both work on the hives. file and usb work on the\n"
    "      settings file Quillbray.ini through the program's own store (query,\n"
    "      add, delete, export, import): KEY is HKCU\\Software\\Corvellan\\Quillbray 4\n"
    "      or a key below it, each key a section; HKCU is the per-user file (with\n"
    "      /nonroam the non-roaming one), HKLM the machine's; usb is the file beside\n"
    "      the program. Values are REG_SZ, REG_DWORD or REG_BINARY, kept as text;\n"
    "      export KEY (or KEY -) prints, export KEY FILE writes FILE.\n"
    "KEY begins with a root: HKCU (HKEY_CURRENT_USER) or HKLM (HKEY_LOCAL_MACHINE).\n"
    "Every switch may be written with \"-\" as well (-v, -d, -f), as reg.exe takes it.\n"
    "Every verb takes /reg:32 or /reg:64: on Windows the 32-bit or the 64-bit registry\n"
    "view (without them the 32-bit one, which the product uses); Linux's hives have one.\n"
    "add and delete ask (Yes/No) on standard output and read the answer from\n"
    "standard input; when it ends unanswered they change nothing, unless /f is\n"
    "given. VERB /? prints the help of one verb; --version the program's version.\n"
    "Exit status: 0 done; 1 failed, refused or wrong arguments, as reg.exe's.\n";

const VerbUsage* find(const std::string& verb) {
  for (const VerbUsage& v : kVerbs)
    if (verb == v.verb) return &v;
  return nullptr;
}

}  // namespace

std::string wholeHelp() {
  std::string text = "usage: quillbray-reg VERB ...\n";
  for (const VerbUsage& v : kVerbs) ((text += "  ") += v.usage) += '\n', text += v.help;
  return text + kCommonNotes;
}

std::string verbHelp(const std::string& verb) {
  const VerbUsage* v = find(verb);
  return v ? std::string("usage: quillbray-reg ") + v->usage + '\n' + v->help : std::string();
}

std::string usageError(const std::string& verb, const std::string& why) {
  std::string text;
  if (!why.empty()) text = "quillbray-reg: " + why + '\n';
  const VerbUsage* v = find(verb);
  text += std::string("usage: quillbray-reg ") +
          (v ? v->usage : "VERB ... (query, add, delete, export, import, export-config, export-schema)") + '\n';
  return text + "quillbray-reg " + std::string(platform::helpOption()) + " for help\n";
}

bool isHelpSwitch(const std::string& word) {
  const std::string lower = platform::lowerCase(word);
  return lower == "/?" || lower == "-?" || lower == "/h" || lower == "-h" || lower == "--help";
}

}  // namespace quillbray
