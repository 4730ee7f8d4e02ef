// The event log on Linux only: a named pipe (FIFO) at the log's name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "EventLogFixture.h"

namespace {

using namespace quillbray;
using namespace qbtest;

// A pipe at the file name is neither waited on nor written to, whether or not
// something reads it.
TEST_F(EventLogTest, APipeIsNotWritten) {
  catalogue.LogUnusualEvents = false;
  ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
  LogEvent("m", log, 1, "");
  const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  LogEvent("m", log, 1, "");
  char buf[8];
  EXPECT_EQ(::read(reader, buf, sizeof buf), 0);  // nothing was written
  ::close(reader);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  const std::string noReader = "Cannot open file \"" + log + "\": No such device or address";
  const std::string notRegular = "Cannot open file \"" + log + "\": not a regular file";
  EXPECT_EQ(boxes.boxes[0].text, report("m", log, std::vector<std::string>(6, noReader)));
  EXPECT_EQ(boxes.boxes[1].text, report("m", log, std::vector<std::string>(6, notRegular)));
}

}  // namespace
