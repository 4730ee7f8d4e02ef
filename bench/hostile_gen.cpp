// Writes the hostile configuration files of the import's limits benchmark,
// and the hostile .reg files of quillbray-reg import.
//
//   hostile_gen KIND FILE
//
// Each is well-formed and within the 64 MiB size limit; each would cost
// minutes or gigabytes if the import did not bound its markup.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

const char* kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char* kOpen = "<Quillbray_Preferences><Quillbray><PerUserRoam><General>\n";
const char* kClose = "</General></PerUserRoam></Quillbray></Quillbray_Preferences>\n";

void repeat(std::ofstream& out, const std::string& piece, long times) {
  std::string block;
  for (int i = 0; i < 4096; ++i) block += piece;
  for (; times >= 4096; times -= 4096) out << block;
  for (; times > 0; --times) out << piece;
}

// References to one entity inside one value.
void references(std::ofstream& out, const char* text, long count) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [<!ENTITY e \"" << text << "\">]>\n" << kOpen
      << "<Uses type=\"string\">";
  repeat(out, "&e;", count);
  out << "</Uses>\n" << kClose;
}

void attributes(std::ofstream& out, long count) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences>\n" << kOpen << "<Uses type=\"integer\"";
  for (long i = 0; i < count; ++i) out << " a" << i << "=\"\"";
  out << ">1</Uses>\n" << kClose;
}

// `count` value elements of different names, each with a different attribute
// and short text (every name and short text is a new entry in the parser's
// name table), and one entity reference (which once made the import parse
// the file twice).
void distinctNames(std::ofstream& out, long count) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [<!ENTITY e \"x\">]>\n" << kOpen << "<Uses type=\"string\">&e;</Uses>\n";
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (long i = 0; i < count; ++i) {
    const char text[] = {kDigits[i % 62], kDigits[i / 62 % 62], kDigits[i / 3844 % 62], '\0'};
    out << "<V" << i << " t" << i << "=\"\">" << text << "</V" << i << ">\n";
  }
  out << kClose;
}

// `count` integer values of different names in one group, parsed once: past
// the import's cap on distinct names, which is meant to refuse the file
// before libxml2's name table (it stops growing at 4,608 buckets) makes the
// parse quadratic.
void distinctNamesCap(std::ofstream& out, long count) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences>\n" << kOpen;
  for (long i = 0; i < count; ++i) out << "<N" << i << " type=\"integer\">1</N" << i << ">\n";
  out << kClose;
}

// Empty entities nested ten by ten: no text at all, 10^depth references.
void nestedEmpty(std::ofstream& out, int depth) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [\n<!ENTITY e0 \"\">\n";
  for (int d = 1; d <= depth; ++d) {
    out << "<!ENTITY e" << d << " \"";
    for (int i = 0; i < 10; ++i) out << "&e" << d - 1 << ";";
    out << "\">\n";
  }
  out << "]>\n" << kOpen << "<Uses type=\"string\">&e" << depth << ";</Uses>\n" << kClose;
}

// Attribute defaults for <a>, weighed at every <a>.
void attributeDefaults(std::ofstream& out, long defaults, long elements) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [\n<!ATTLIST a";
  for (long i = 0; i < defaults; ++i) out << " d" << i << " CDATA \"\"";
  out << ">\n]>\n" << kOpen;
  repeat(out, "<a/>", elements);
  out << kClose;
}

// An entity of ten elements, used `uses` times: the expanded tree has ten
// times as many elements as the file shows.
void entityElements(std::ofstream& out, long uses) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [<!ENTITY e \"<a/><a/><a/><a/><a/><a/><a/><a/><a/><a/>\">]>\n"
      << kOpen << "<x>";
  repeat(out, "&e;", uses);
  out << "</x>\n" << kClose;
}

// One entity whose text holds `count` elements of different names.
void entityNames(std::ofstream& out, long count) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [<!ENTITY e \"";
  for (long i = 0; i < count; ++i) out << "<n" << i << "/>";
  out << "\">]>\n" << kOpen << "<x>&e;</x>\n" << kClose;
}

// A parameter entity of 1 MB used `uses` times: the parser reads its text
// again at each use.
void parameterEntities(std::ofstream& out, long uses) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [<!ENTITY % p \"<!--" << std::string(1'000'000, 'x') << "-->\">";
  repeat(out, "%p;", uses);
  out << "]>\n<Quillbray_Preferences/>\n";
}

// Parameter entities `levels` deep, each using the one below `uses` times
// (written "&#37;"), the innermost a blank; the document type uses the
// outermost `uses` times: uses to the power of levels uses of the blank.
void nestedParameterEntities(std::ofstream& out, int levels, int uses) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences [<!ENTITY % e0 \" \">";
  for (int level = 1; level < levels; ++level) {
    out << "<!ENTITY % e" << level << " \"";
    for (int i = 0; i < uses; ++i) out << "&#37;e" << level - 1 << ';';
    out << "\">";
  }
  for (int i = 0; i < uses; ++i) out << "%e" << levels - 1 << ';';
  out << "]>\n<Quillbray_Preferences/>\n";
}

// `levels` nested elements declaring 250 namespaces each, around 98,000
// elements whose prefix is declared outside them all: each prefix is looked
// up through every declaration in scope.
void namespaces(std::ofstream& out, int levels) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences xmlns:q=\"urn:q\"><Quillbray><PerUserRoam>\n";
  for (int d = 0; d < levels; ++d) {
    out << "<e" << d;
    for (int i = 0; i < 250; ++i) out << " xmlns:p" << i << "=\"urn:" << i << "\"";
    out << ">";
  }
  repeat(out, "<q:a/>", 98'000);
  for (int d = levels - 1; d >= 0; --d) out << "</e" << d << ">";
  out << "</PerUserRoam></Quillbray></Quillbray_Preferences>\n";
}

// Groups of one value each: every group is a store opening of its own.
void groups(std::ofstream& out, long count) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences>\n<Quillbray_Preferences><Quillbray><PerUserRoam>\n";
  for (long i = 0; i < count; ++i) out << "<G" << i << "><V type=\"integer\">1</V></G" << i << ">\n";
  out << "</PerUserRoam></Quillbray></Quillbray_Preferences>\n";
}

void hugeText(std::ofstream& out, long bytes) {
  out << kHead << "<!DOCTYPE Quillbray_Preferences>\n" << kOpen << "<Uses type=\"string\">";
  repeat(out, "x", bytes);
  out << "</Uses>\n" << kClose;
}

// .reg files for quillbray-reg import, each just under its 64 MiB limit.
const char* kRegHead = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Q]\n";

// 13.4 million default values, each line a change.
void regEmptyValues(std::ofstream& out) { out << kRegHead, repeat(out, "@=\"\"\n", 13'400'000); }

// 63 strings of 1 MiB.
void regLongStrings(std::ofstream& out) {
  out << kRegHead;
  for (int i = 0; i < 63; ++i) out << "\"s" << i << "\"=\"", repeat(out, "x", 1 << 20), out << "\"\n";
}

// 60 binary values of 340,000 bytes, 25 to a line continued with "\" as
// regedit writes them.
void regLongHex(std::ofstream& out) {
  out << kRegHead;
  std::string line;
  for (int i = 0; i < 25; ++i) line += "5a,";
  line += "\\\n  ";
  for (int i = 0; i < 60; ++i) out << "\"h" << i << "\"=hex:", repeat(out, line, 340'000 / 25), out << "00\n";
}

// 1.35 million keys, each with one value.
void regManyKeys(std::ofstream& out) {
  out << kRegHead;
  for (long i = 0; i < 1'350'000; ++i) out << "[HKEY_CURRENT_USER\\Software\\Q\\k" << i << "]\n@=dword:1\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: hostile_gen KIND FILE\n"
                 "KIND: letter-refs empty-refs attrs-40k attrs-1m elements comments distinct-names distinct-names-cap\n"
                 "      nested-empty attribute-defaults entity-elements entity-names parameter-entities\n"
                 "      parameter-entity-levels parameter-entity-levels-4 namespaces\n"
                 "      namespaces-at-limit groups huge-text\n"
                 "      reg-empty-values reg-long-strings reg-long-hex reg-many-keys (.reg files)\n");
    return 2;
  }
  const std::string kind = argv[1];
  std::ofstream out(argv[2], std::ios::binary);
  if (kind == "letter-refs") references(out, "x", 4'000'000);
  else if (kind == "empty-refs") references(out, "", 20'000'000);
  else if (kind == "attrs-40k") attributes(out, 40'000);
  else if (kind == "attrs-1m") attributes(out, 1'000'000);
  else if (kind == "elements") out << kHead << "<!DOCTYPE Quillbray_Preferences>\n" << kOpen, repeat(out, "<a/>", 15'500'000), out << kClose;
  else if (kind == "comments") out << kHead << "<!DOCTYPE Quillbray_Preferences>\n" << kOpen, repeat(out, "<!---->", 9'000'000), out << kClose;
  else if (kind == "distinct-names") distinctNames(out, 119'990);
  else if (kind == "distinct-names-cap") distinctNamesCap(out, 450'000);
  else if (kind == "nested-empty") nestedEmpty(out, 9);
  else if (kind == "attribute-defaults") attributeDefaults(out, 10'000, 99'000);
  else if (kind == "entity-elements") entityElements(out, 99'000);
  else if (kind == "entity-names") entityNames(out, 800'000);
  else if (kind == "parameter-entities") parameterEntities(out, 99'000);
  else if (kind == "parameter-entity-levels") nestedParameterEntities(out, 3, 24);
  else if (kind == "parameter-entity-levels-4") nestedParameterEntities(out, 4, 10);
  else if (kind == "namespaces") namespaces(out, 250);
  else if (kind == "namespaces-at-limit") namespaces(out, 3);
  else if (kind == "groups") groups(out, 59'990);
  else if (kind == "huge-text") hugeText(out, 60'000'000);
  else if (kind == "reg-empty-values") regEmptyValues(out);
  else if (kind == "reg-long-strings") regLongStrings(out);
  else if (kind == "reg-long-hex") regLongHex(out);
  else if (kind == "reg-many-keys") regManyKeys(out);
  else {
    std::fprintf(stderr, "hostile_gen: unknown kind '%s'\n", kind.c_str());
    return 2;
  }
  return out.good() ? 0 : 1;
}
