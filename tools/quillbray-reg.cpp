// quillbray-reg: shows the preference hives as Windows .reg text.
//
//   quillbray-reg export [HKCU|HKLM] [KEY]
//
// The hives are the ones the program uses (QUILLBRAY_USER_HIVE,
// QUILLBRAY_MACHINE_HIVE or their defaults). Exit status: 0 done, 1 the key
// does not exist or a hive cannot be read, 2 wrong arguments.
#include <iostream>
#include <sstream>
#include <string>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "tools/RegExport.h"

namespace {

int usage() {
  std::cerr << "usage: quillbray-reg export [HKCU|HKLM] [KEY]\n"
               "  Prints KEY (default: the whole hive) and everything below it as\n"
               "  Windows .reg text. HKCU is the user hive, HKLM the machine hive.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) != "export" || argc > 4) return usage();
  platform::RegistryRoot root = platform::RegistryRoot::CurrentUser;
  int next = 2;
  if (argc > next) {
    const std::string word = platform::upperCase(argv[next]);
    if (word == "HKCU" || word == "HKEY_CURRENT_USER") {
      ++next;
    } else if (word == "HKLM" || word == "HKEY_LOCAL_MACHINE") {
      root = platform::RegistryRoot::LocalMachine;
      ++next;
    } else if (argc == 4) {
      return usage();
    }
  }
  const std::string key = argc > next ? argv[next] : "";
  try {
    std::ostringstream text;
    if (!quillbray::exportRegText(text, root, key)) {
      std::cerr << "quillbray-reg: no such key: " << quillbray::rootName(root) << (key.empty() ? "" : "\\")
                << key << '\n';
      return 1;
    }
    std::cout << text.str();
  } catch (const std::exception& e) {
    std::cerr << "quillbray-reg: " << e.what() << '\n';
    return 1;
  }
  return 0;
}
