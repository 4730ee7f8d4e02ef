// The import's refusals that rest on Linux itself: named pipes, the system's
// error texts, file modes and a second process under another user id.
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

}  // namespace
