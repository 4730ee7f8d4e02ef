// The rules for files in folders that other users may write, as two real
// users: the test process (root) and a second user who plants things.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "platform/Files.h"
#include "platform/posix/FileTrust.h"

namespace {

using platform::FileError;

// A sticky folder that everybody may write, as /tmp is.
struct SharedFolder {
  qbtest::TempDir dir;
  SharedFolder() { ::chmod(dir.path().c_str(), 01777); }
  std::string file(const std::string& name) const { return dir.file(name); }
};

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

struct stat statOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

TEST(FileTrust, OwnerAndWritersDecide) {
  QB_OTHER_USER_OR_SKIP(other);
  SharedFolder shared;
  const std::string mine = shared.file("mine"), theirs = shared.file("theirs");
  writeFile(mine, "x");
  ASSERT_EQ(qbtest::runAsUser(other, [&] {
              std::ofstream(theirs) << "planted";
              return ::chmod(theirs.c_str(), 0644);
            }),
            0);
  struct Case {
    const char* what;
    uid_t uid;
    gid_t gid;
    mode_t mode;
    const char* refusal;  // a part of the reason, or nullptr when trusted
  } cases[] = {
      {"own, 0644", 0, 0, 0644, nullptr},
      {"own, 0600", 0, 0, 0600, nullptr},
      {"own, everybody may write", 0, 0, 0666, "may be written by every user (mode 0666)"},
      {"own, another user's group may write", 0, other.gid, 0664, "members of its group"},
      {"own, own private group may write", 0, 0, 0664, nullptr},
      {"another user's", other.uid, other.gid, 0644, "is owned by user 'qbtest-other'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = c.uid == 0 ? mine : theirs;
    ASSERT_EQ(::chown(path.c_str(), c.uid, c.gid), 0);
    ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    const auto why = platform::distrust(statOf(path));
    if (!c.refusal) {
      EXPECT_FALSE(why) << *why;
      EXPECT_NO_THROW(platform::requireTrusted(path, statOf(path)));
    } else {
      ASSERT_TRUE(why);
      EXPECT_NE(why->find(c.refusal), std::string::npos) << *why;
      try {
        platform::requireTrusted(path, statOf(path));
        ADD_FAILURE() << "trusted";
      } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
      }
    }
  }
  // Root's files are trusted by every user.
  EXPECT_EQ(qbtest::runAsUser(other, [&] {
              ::chown(mine.c_str(), 0, 0);
              return platform::distrust(statOf(mine)) ? 1 : 0;
            }),
            0);
}

TEST(FileTrust, LinksAreFollowedOnlyWhenThisUserOrRootOwnsThem) {
  QB_OTHER_USER_OR_SKIP(other);
  SharedFolder shared;
  const std::string victim = shared.file("victim"), planted = shared.file("Quillbray.ini");
  writeFile(victim, "keep me");
  ASSERT_EQ(qbtest::runAsUser(other, [&] { return ::symlink(victim.c_str(), planted.c_str()); }), 0);

  EXPECT_THROW(platform::followTrustedLinks(planted), FileError);
  try {
    platform::openTrusted(planted, O_WRONLY | O_TRUNC);
    ADD_FAILURE() << "a planted link was followed";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("symbolic link owned by user 'qbtest-other'"), std::string::npos) << e.what();
  }
  EXPECT_EQ(qbtest::readFile(victim), "keep me");

  // The user's own links, relative ones from the link's folder, chains too.
  const std::string own = shared.file("own"), chain = shared.file("chain");
  ASSERT_EQ(::symlink("victim", own.c_str()), 0);
  ASSERT_EQ(::symlink(own.c_str(), chain.c_str()), 0);
  EXPECT_EQ(platform::followTrustedLinks(chain), shared.dir.path().string() + "/victim");
  EXPECT_EQ(platform::followTrustedLinks(shared.file("missing")), shared.file("missing"));
  std::string opened;
  EXPECT_GE(platform::openTrusted(chain, O_RDONLY, 0, &opened).get(), 0);
  EXPECT_EQ(opened, shared.dir.path().string() + "/victim");

  const std::string loop = shared.file("loop");
  ASSERT_EQ(::symlink("loop", loop.c_str()), 0);
  EXPECT_THROW(platform::followTrustedLinks(loop), FileError);
}

TEST(FileTrust, TemporaryFilesAreNewAndPrivate) {
  QB_OTHER_USER_OR_SKIP(other);
  SharedFolder shared;
  const std::string target = shared.file("out.reg"), victim = shared.file("victim");
  writeFile(victim, "keep me");
  std::string name;
  {
    platform::TempFileBeside a(target), b(target);
    EXPECT_NE(a.path(), b.path());
    EXPECT_EQ(statOf(a.path()).st_mode & 07777, 0600u);
    // Whatever another user plants under the name cannot be made to receive
    // the text: the name is taken already, and by this user.
    EXPECT_NE(qbtest::runAsUser(other, [&] { return ::symlink(victim.c_str(), a.path().c_str()) == 0 ? 0 : 1; }), 0);
    a.write("text");
    a.syncAndClose();
    a.renameOver(target);
    name = b.path();
  }
  EXPECT_FALSE(std::filesystem::exists(name)) << "a dropped temporary file stays";
  EXPECT_EQ(qbtest::readFile(target), "text");
  EXPECT_EQ(qbtest::readFile(victim), "keep me");
}

}  // namespace
