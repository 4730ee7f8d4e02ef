// The import's refusals that rest on Linux itself: named pipes, the system's
// error texts, file modes and a second process under another user id; and
// what another process sees of the hive files while the import waits.
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

#include "ImportFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

TEST_F(ImportTest, PipesAndMissingFilesAreNamedAsTheSystemSaysIt) {
  const std::string fifo = hives.dir().file("fifo.xml");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, std::string> cases[] = {
      {fifo, "cannot read '" + fifo + "': it is a named pipe (FIFO), not a regular file"},  // and no wait for a writer
      {hives.dir().file("missing.xml"), "cannot read '" + hives.dir().file("missing.xml") + "': No such file or directory"},
  };
  for (const auto& [file, message] : cases) {
    SCOPED_TRACE(file);
    boxes.boxes.clear();
    EXPECT_FALSE(ImportConfigFile(store, file));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not import the program configuration due to the following error:\r\n" +
                                       message + "\r\n\r\nFilename: " + file);
  }
}

TEST_F(ImportTest, AFileThisUserMayNotReadIsRefused) {
  const std::string file = hives.dir().file("private.xml");
  std::ofstream(file) << product(roam(value("Uses", "integer", "1")));
  ::chmod(file.c_str(), 0);
  const int result = runInChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
    BoxRecorder boxes;
    TConfigBase store;
    if (ImportConfigFile(store, file)) return 11;
    return boxes.boxes.size() == 1 && boxes.boxes[0].text.find("Permission denied") != std::string::npos ? 0 : 12;
  });
  EXPECT_EQ(result, 0);
}

// While the import's own box waits for the user, what the walk wrote so far is
// saved and no hive is locked: another process reads it at that moment.
TEST_F(ImportTest, AtTheImportsOwnBoxEarlierValuesAreSavedForOthers) {
  struct ReadingBoxes : platform::MessageBoxes {
    platform::BoxAnswer show(const platform::MessageBoxRequest&) override {
      const std::string command = std::string("'") + QB_REG_TOOL + "' export 'HKCU\\Software\\Corvellan' 2>&1";
      FILE* pipe = ::popen(command.c_str(), "r");
      if (!pipe) return platform::BoxAnswer::Ok;
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) seen.append(buffer, n);
      ::pclose(pipe);
      return platform::BoxAnswer::Ok;
    }
    std::string seen;
  } reading;
  platform::ScopedMessageBoxes scope(reading);
  ASSERT_TRUE(importText(product(roam(group("Logs", value("Before", "integer", "1")) +
                                      group("Bin", value("Same_Group", "integer", "2") +
                                                       value("Too_Big", "binary", std::string(2 * 32769, 'a')))))));
  EXPECT_NE(reading.seen.find("[HKEY_CURRENT_USER\\Software\\Corvellan\\Quillbray 4\\Logs]\n\"Before\"=dword:00000001\n"),
            std::string::npos)
      << reading.seen;
  EXPECT_NE(reading.seen.find("\"Same Group\"=dword:00000002\n"), std::string::npos) << reading.seen;
}

}  // namespace

namespace {

using namespace quillbray;
using namespace qbtest;

// A write past the file-size limit fails as a disk error that both programs
// report (the import's --strict exits 2, the reg tool 1), where the signal
// for it would end them without a word; the hive keeps what it held. The
// programs ignore the signal themselves: the shell that starts them leaves
// it as it is.
TEST_F(ImportTest, AFileSizeLimitIsReportedNotASilentEnd) {
  seed(HKCU, kLogsKey, "Kept", dword(7));
  const std::string big(200'000, 'x');  // past the limit in 512- or 1024-byte blocks
  const std::string config = hives.dir().file("big.xml");
  std::ofstream(config, std::ios::binary) << product(roam(group("Logs", value("Big", "string", big))));
  const std::string reg = hives.dir().file("big.reg");
  std::ofstream(reg, std::ios::binary) << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\" + kLogsKey +
                                              "]\n\"Big\"=\"" + big + "\"\n";
  const std::string home = hives.dir().path().string();
  const std::string limited = "export HOME='" + home + "' XDG_CONFIG_HOME='" + home + "/c' XDG_DATA_HOME='" + home +
                              "/d' XDG_STATE_HOME='" + home + "/s'; ulimit -f 64; exec ";
  const struct {
    std::string command;
    int status;
  } cases[] = {
      {limited + QB_IMPORT_TOOL + " --strict /IC '" + config + "'", 2},
      {limited + QB_REG_TOOL + " import '" + reg + "'", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const ProcessRun run = runShell(c.command);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_NE(run.err.find("disk I/O error"), std::string::npos) << run.err;
    EXPECT_EQ(user("Kept"), dword(7));
    EXPECT_EQ(user("Big"), std::nullopt);
  }
}

}  // namespace
