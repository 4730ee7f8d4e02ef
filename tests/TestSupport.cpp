#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace qbtest {
namespace {

std::filesystem::path& runRoot() {
  static std::filesystem::path root;
  return root;
}

// Every test process works in a private folder: HOME and the XDG folders point
// there, so nothing touches the real home folder.
class IsolatedEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    runRoot() = makeUniqueFolder(std::filesystem::temp_directory_path(), "qbtest-");
    // Tests that give up root in a child must be able to reach their folders.
    std::filesystem::permissions(runRoot(), std::filesystem::perms(0755));
    const auto set = [](const char* name, const std::filesystem::path& p) {
      std::filesystem::create_directories(p);
      setEnv(name, p.string());
    };
    set("HOME", runRoot() / "home");
    set("XDG_CONFIG_HOME", runRoot() / "home/.config");
    set("XDG_DATA_HOME", runRoot() / "home/.local/share");
    set("XDG_CACHE_HOME", runRoot() / "home/.cache");
    setEnv("QUILLBRAY_USER_HIVE", (runRoot() / "default-user.hive").string());
    setEnv("QUILLBRAY_MACHINE_HIVE", (runRoot() / "default-machine.hive").string());
    setEnv("QUILLBRAY_DIALOGS", "console");
    unsetEnv("DISPLAY");
    unsetEnv("WAYLAND_DISPLAY");
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(runRoot(), ec);
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new IsolatedEnvironment);

}  // namespace

TempDir::TempDir() {
  path_ = makeUniqueFolder(runRoot().empty() ? std::filesystem::temp_directory_path() : runRoot(), "t-");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace qbtest

namespace platform {
void PrintTo(const MessageBoxRequest& box, std::ostream* os) {
  *os << "{text=\"" << box.text << "\", caption=\"" << box.caption << "\", owner=" << static_cast<int>(box.owner)
      << ", style=0x" << std::hex << box.style << std::dec << "}";
}
}  // namespace platform
