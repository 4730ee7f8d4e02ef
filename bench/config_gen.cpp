// Writes a configuration file of N values for the import benchmark.
//
//   config_gen N FILE [GROUP_SIZE] [--distinct-names] [--compact]
//
// The values are spread over groups of GROUP_SIZE values (default 100; known
// and unknown group names, all three scopes) with every type in turn, and one
// loose value in a thousand. As in a real file (an export of the settings
// catalogue), the same value names recur group after group: a value is named
// after its place in its group and a small index, "Value_<place>_0x5B_<k>_0x5D_"
// with k = block % 6, so a file holds GROUP_SIZE * 6 distinct value names
// whatever its length; every unknown group has a name of its own. k follows
// the scope (block % 3), so a machine-wide value never shares its name with a
// user's value in the same known group: no user write is left out because the
// machine hive holds the same value, and the import writes one row per name.
//
// --distinct-names gives every value a name of its own, "Value_<n>_...", as no
//   real file has: the hostile case for a parser's name table.
// --compact writes short names and texts and no indentation, so that
//   1,000,000 values fit within the import's 64 MiB size limit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> args;
  bool distinct = false;
  bool compact = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--distinct-names") distinct = true;
    else if (arg == "--compact") compact = true;
    else args.push_back(arg);
  }
  if (args.size() != 2 && args.size() != 3) {
    std::fprintf(stderr, "usage: config_gen N FILE [GROUP_SIZE] [--distinct-names] [--compact]\n");
    return 2;
  }
  const long n = std::atol(args[0].c_str());
  const long groupSize = args.size() == 3 ? std::max(1L, std::atol(args[2].c_str())) : 100;
  std::ofstream out(args[1]);
  static const char* kScopes[] = {"PerUserRoam", "PerUserNonRoam", "PerMachine"};
  static const char* kKnown[] = {"General", "Logs", "Appearance", "Backup", "Delays", "Miscellaneous"};
  const char* indent1 = compact ? "" : " ";
  const char* indent2 = compact ? "" : "  ";
  const char* indent3 = compact ? "" : "   ";
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
         "<Quillbray_Preferences>\n<Quillbray>\n";
  long written = 0;
  for (int block = 0; written < n; ++block) {
    const char* scope = kScopes[block % 3];
    out << indent1 << "<" << scope << ">\n";
    for (int g = 0; g < 10 && written < n; ++g) {
      std::string unknown = compact ? "G" : "Group_";
      unknown += std::to_string(block);
      unknown += '_';
      unknown += std::to_string(g);
      const std::string group = (g % 2) ? unknown : kKnown[g / 2 % 6];
      out << indent2 << "<" << group << ">\n";
      for (long v = 0; v < groupSize && written < n; ++v, ++written) {
        // Appended piece by piece: "literal" + std::string trips GCC 12's -Wrestrict at -O2.
        std::string name = compact ? "V" : "Value_";
        name += std::to_string(distinct ? written : v);
        name += compact ? "_" : "_0x5B_";
        name += std::to_string(distinct ? v : block % 6);
        if (!compact) name += "_0x5D_";
        out << indent3 << "<" << name;
        switch (written % 4) {
          case 0: out << " type=\"integer\">" << (compact ? written % 1000 : written); break;
          case 1:
            if (compact) out << " type=\"string\">t_&amp;amp;" << written % 100;
            else out << " type=\"string\">Text_of_value_" << written << "_&amp;amp;_more_text_of_a_real_setting";
            break;
          case 2: out << " type=\"boolean\">" << (written % 3 ? 1 : 0); break;
          case 3:
            out << " type=\"binary\">" << (compact ? "" : "0A 1B 2C 3D 4E 5F 6A 7B 8C 9D ") << (written % 256 < 16 ? "0" : "")
                << std::hex << written % 256 << std::dec;
            break;
        }
        out << "</" << name << ">\n";
      }
      out << indent2 << "</" << group << ">\n";
      if (written % 1000 == 0 && written < n) {
        out << indent2 << "<Loose_" << written << " type=\"integer\">1</Loose_" << written << ">\n";
        ++written;
      }
    }
    out << indent1 << "</" << scope << ">\n";
  }
  out << "</Quillbray>\n</Quillbray_Preferences>\n";
  return out.good() ? 0 : 1;
}
