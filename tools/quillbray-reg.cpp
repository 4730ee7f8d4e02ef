// quillbray-reg: shows the preference hives as Windows .reg text.
//
//   quillbray-reg export [HKCU|HKLM] [KEY]
//
// The hives are the ones the program uses (QUILLBRAY_USER_HIVE,
// QUILLBRAY_MACHINE_HIVE or their defaults). Exit status: 0 done, 1 the key
// does not exist or a hive cannot be read or is damaged, 2 wrong arguments.
#include <iostream>
#include <stdexcept>
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

// export [HKCU|HKLM] [KEY]: the text goes out as it is made, so a large hive
// is never held in memory, and what was printed before an error stays printed.
int exportCommand(int argc, char** argv) {
  if (argc > 2) return usage();
  platform::RegistryRoot root = platform::RegistryRoot::CurrentUser;
  int next = 0;
  if (argc > 0) {
    const std::string word = platform::upperCase(argv[0]);
    if (word == "HKCU" || word == "HKEY_CURRENT_USER") {
      ++next;
    } else if (word == "HKLM" || word == "HKEY_LOCAL_MACHINE") {
      root = platform::RegistryRoot::LocalMachine;
      ++next;
    } else if (argc == 2) {
      return usage();
    }
  }
  quillbray::exportRegText(std::cout, root, next < argc ? argv[next] : "");
  if (!std::cout.flush()) throw std::runtime_error("cannot write the exported text");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string verb = argv[1];
  try {
    if (verb == "export") return exportCommand(argc - 2, argv + 2);
  } catch (const std::exception& e) {
    std::cout.flush();  // the text printed so far comes before the message
    std::cerr << "quillbray-reg: " << e.what() << '\n';
    return 1;
  }
  return usage();
}
