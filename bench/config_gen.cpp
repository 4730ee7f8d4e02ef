// Writes a configuration file of N values for the import benchmark.
//
//   config_gen N FILE [GROUP_SIZE]
//
// The values are spread over groups of GROUP_SIZE values (default 100; known
// and unknown group names, all three scopes) with every type in turn, and one
// loose value in a thousand.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: config_gen N FILE [GROUP_SIZE]\n");
    return 2;
  }
  const long n = std::atol(argv[1]);
  const long groupSize = argc == 4 ? std::max(1L, std::atol(argv[3])) : 100;
  std::ofstream out(argv[2]);
  static const char* kScopes[] = {"PerUserRoam", "PerUserNonRoam", "PerMachine"};
  static const char* kKnown[] = {"General", "Logs", "Appearance", "Backup", "Delays", "Miscellaneous"};
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE Quillbray_Preferences>\n"
         "<Quillbray_Preferences>\n<Quillbray>\n";
  long written = 0;
  for (int block = 0; written < n; ++block) {
    const char* scope = kScopes[block % 3];
    out << " <" << scope << ">\n";
    for (int g = 0; g < 10 && written < n; ++g) {
      const std::string group = (g % 2) ? "Group_" + std::to_string(block) + "_" + std::to_string(g) : kKnown[g / 2 % 6];
      out << "  <" << group << ">\n";
      for (long v = 0; v < groupSize && written < n; ++v, ++written) {
        const std::string name = "Value_" + std::to_string(written) + "_0x5B_" + std::to_string(v) + "_0x5D_";
        switch (written % 4) {
          case 0: out << "   <" << name << " type=\"integer\">" << written << "</" << name << ">\n"; break;
          case 1: out << "   <" << name << " type=\"string\">Text_of_value_" << written << "_&amp;amp;_more</" << name << ">\n"; break;
          case 2: out << "   <" << name << " type=\"boolean\">" << (written % 3 ? 1 : 0) << "</" << name << ">\n"; break;
          case 3: out << "   <" << name << " type=\"binary\">0A 1B 2C 3D 4E 5F " << (written % 256 < 16 ? "0" : "") << std::hex << written % 256 << std::dec << "</" << name << ">\n"; break;
        }
      }
      out << "  </" << group << ">\n";
      if (written % 1000 == 0 && written < n) {
        out << "  <Loose_" << written << " type=\"integer\">1</Loose_" << written << ">\n";
        ++written;
      }
    }
    out << " </" << scope << ">\n";
  }
  out << "</Quillbray>\n</Quillbray_Preferences>\n";
  return 0;
}
