// The Linux settings-file writer on real files: the reading rules of
// Windows' profile routines as it follows them, rewriting that keeps what it
// did not change, bad input, links, other users' files, and writers in
// several processes at once (flock, rename).
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "TestSupport.h"
#include "platform/IniFile.h"

namespace {

using namespace qbtest;
using platform::IniDocument;
using platform::IniFileError;
using platform::openIniFile;

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The other files in a file's folder.
std::vector<std::string> filesBeside(const std::string& file) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(file).parent_path()))
    if (e.path() != file) out.push_back(e.path().string());
  return out;
}

class IniFileTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::setIniWriteHooks({}); }
  TempDir dir;
  const std::string path = dir.file("Quillbray.ini");
};

TEST_F(IniFileTest, ReadsAsTheProfileRoutinesDo) {
  const struct {
    const char* name;
    std::string text;
    const char* section;
    const char* entry;
    std::optional<std::string> value;
  } cases[] = {
      {"plain", "[Sec]\r\nName=Value\r\n", "Sec", "Name", "Value"},
      {"blanks around names and value", "[ Sec ]\n  name =   the value  \n", "sec", "NAME", "the value"},
      {"tabs and control characters trimmed", "[a]\n\tx=\t v\x01\t\n", "a", "x", "v"},
      {"given names are trimmed too", "[a]\nx=1\n", " a ", " x ", "1"},
      {"CR only", "[a]\rx=1\ry=2", "a", "y", "2"},
      {"CR LF, LF and CR mixed", "[a]\r\nx=1\ny=2\rz=3\r\r\n\n", "a", "z", "3"},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF[a]\r\nx=1\r\n", "a", "x", "1"},
      {"splits at the first =", "[a]\nx=b=c\n", "a", "x", "b=c"},
      {"empty value", "[a]\nx=\n", "a", "x", ""},
      {"double quotes dropped", "[a]\nx=\"q v\"\n", "a", "x", "q v"},
      {"single quotes dropped", "[a]\nx='q'\n", "a", "x", "q"},
      {"one pair only", "[a]\nx=\"\"q\"\"\n", "a", "x", "\"q\""},
      {"unmatched quotes kept", "[a]\nx=\"q'\n", "a", "x", "\"q'"},
      {"a lone quote kept", "[a]\nx=\"\n", "a", "x", "\""},
      {"comment is no entry", "[a]\n;x=1\n", "a", ";x", std::nullopt},
      {"line without = is no entry", "[a]\nx\n", "a", "x", std::nullopt},
      {"first of duplicate entries", "[a]\nx=1\nX=2\n", "a", "x", "1"},
      {"first of duplicate sections", "[a]\nx=1\n[A]\nx=2\ny=3\n", "a", "x", "1"},
      {"only the first section counts", "[a]\nx=1\n[A]\nx=2\ny=3\n", "a", "y", std::nullopt},
      {"text after ] ignored", "[a] junk\nx=1\n", "a", "x", "1"},
      {"unclosed section is no header", "[a\nx=1\n", "a", "x", std::nullopt},
      {"unclosed section with = is an entry", "[b]\n[a=1\n", "b", "[a", "1"},
      {"non-ASCII letters fold", "[\xC3\x84pfel]\n\xC3\x96l=1\n", "\xC3\xA4pfel", "\xC3\xB6l", "1"},
      {"other section", "[a]\nx=1\n[b]\ny=2\n", "b", "x", std::nullopt},
      {"missing file section", "", "a", "x", std::nullopt},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    writeFile(path, tc.text);
    EXPECT_EQ(openIniFile(path)->readString(tc.section, tc.entry), tc.value);
  }
}

TEST_F(IniFileTest, ListsEntryNamesInFileOrderWithoutCommentsOrPlainLines) {
  writeFile(path, "x=0\n[a]\nZeta=1\n; note=2\nplain line\nalpha=3\nZETA=4\n[b]\nb=5\n");
  EXPECT_EQ(openIniFile(path)->entryNames("A"), (std::vector<std::string>{"Zeta", "alpha", "ZETA"}));
  EXPECT_TRUE(openIniFile(path)->entryNames("missing").empty());
}

TEST_F(IniFileTest, RewritesKeepingWhatWasNotChanged) {
  const struct {
    const char* name;
    std::string before;
    std::function<void(platform::IniFile&)> change;
    std::string after;
  } cases[] = {
      {"update stays in place with its spelling", "[A]\r\nKey=1\r\nOther=2\r\n",
       [](auto& f) { f.writeString("a", "KEY", "9"); }, "[A]\r\nKey=9\r\nOther=2\r\n"},
      {"new entry at the end of its section", "[a]\nx=1\n[b]\ny=2\n", [](auto& f) { f.writeString("a", "z", "3"); },
       "[a]\r\nx=1\r\nz=3\r\n[b]\r\ny=2\r\n"},
      {"new section at the end of the file", "[a]\nx=1", [](auto& f) { f.writeString("n", "v", "1"); },
       "[a]\r\nx=1\r\n[n]\r\nv=1\r\n"},
      {"comments and plain lines kept, blank lines dropped", "; top\n\n[a]\n  plain \n\n x = 1 \n",
       [](auto& f) { f.writeString("a", "y", "2"); }, "; top\r\n[a]\r\nplain\r\nx = 1\r\ny=2\r\n"},
      {"byte-order mark kept", "\xEF\xBB\xBF[a]\nx=1\n", [](auto& f) { f.writeString("a", "x", "2"); },
       "\xEF\xBB\xBF[a]\r\nx=2\r\n"},
      {"delete the first match only", "[a]\nx=1\ny=2\nX=3\n", [](auto& f) { f.deleteEntry("a", "x"); },
       "[a]\r\ny=2\r\nX=3\r\n"},
      {"duplicate sections: the first one", "[a]\nx=1\n[a]\nx=2\n", [](auto& f) { f.writeString("a", "y", "3"); },
       "[a]\r\nx=1\r\ny=3\r\n[a]\r\nx=2\r\n"},
      {"non-UTF-8 bytes kept", "[a]\nx=\xE9t\xE9\n", [](auto& f) { f.writeString("a", "y", "\xFF"); },
       "[a]\r\nx=\xE9t\xE9\r\ny=\xFF\r\n"},
  };
  for (const auto& tc : cases) {
    SCOPED_TRACE(tc.name);
    writeFile(path, tc.before);
    {
      auto f = openIniFile(path);
      tc.change(*f);
      f->flush();
    }
    EXPECT_EQ(readFile(path), tc.after);
  }
}

TEST_F(IniFileTest, TheFileAppearsOnTheFirstWriteOnly) {
  {
    auto f = openIniFile(path);
    EXPECT_FALSE(f->readString("a", "x"));
    f->deleteEntry("a", "x");
    f->flush();
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  {
    auto f = openIniFile(path);
    f->writeString("a", "x", "1");
    f->deleteEntry("a", "x");  // the section stays, as the profile routines leave it
    f->flush();
  }
  EXPECT_EQ(readFile(path), "[a]\r\n");
  openIniFile(path)->writeString("a", "x", "1");  // the destructor writes
  EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\n");
  EXPECT_TRUE(filesBeside(path).empty());
}

TEST_F(IniFileTest, NamesAndValuesTheFormatCannotHoldAreRefused) {
  writeFile(path, "[a]\r\nx=1\r\n");
  const std::pair<const char*, std::array<std::string, 3>> cases[] = {
      {"line break in a value", {"a", "y", "1\r\n[b]"}},
      {"zero byte in a value", {"a", "y", std::string("1\0", 2)}},
      {"= in a name", {"a", "y=z", "1"}},
      {"empty name", {"a", "  ", "1"}},
      {"name starting with [", {"a", "[y]", "1"}},
      {"name starting with ;", {"a", ";y", "1"}},
      {"] in a section", {"a]b", "y", "1"}},
      {"line break in a section", {"a\nb", "y", "1"}},
  };
  for (const auto& [name, args] : cases) {
    SCOPED_TRACE(name);
    auto f = openIniFile(path);
    try {
      f->writeString(args[0], args[1], args[2]);
      ADD_FAILURE() << "accepted";
    } catch (const IniFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Unable to write to " + path + "\r\n", 0), 0u) << e.what();
    }
  }
  EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\n");
}

// Every section and name either reads back as written, as the first lines
// of a new file and below others, or is refused with the reason; a value
// reads back as written (one that comes in a pair of quotes without them).
TEST_F(IniFileTest, WhatIsWrittenReadsBackOrIsRefused) {
  const struct {
    const char* what;
    std::string section, name, value;
    const char* refusal;  // a part of the reason, or nullptr when written
    std::optional<std::string> readsAs = std::nullopt;  // when not the value
  } cases[] = {
      {"DEL before a name that looks like a header", "a", "\x7F[Fonts]", "1", "DEL, which reading drops"},
      {"DEL after a name", "a", "x\x7F", "1", "DEL, which reading drops"},
      {"DEL around a section", "\x7F" "a", "x", "1", "DEL, which reading drops"},
      {"tab before a name", "a", "\tx", "1", "blank, a control character"},
      {"blank after a name", "a", "x ", "1", "blank, a control character"},
      {"blank before a section", " a", "x", "1", "blank, a control character"},
      {"U+FEFF before a name at a file's start", "", "\xEF\xBB\xBFx", "1", "U+FEFF"},
      {"U+FEFF before a name in a section", "a", "\xEF\xBB\xBFx", "1", "U+FEFF"},
      {"name starting with [ and ending with ]", "a", "[b]", "1", "starts with \"[\""},
      {"comment name", "", ";x", "1", "starts with \"[\" or \";\""},
      {"= in a name", "", "x=y", "1", "holds \"=\""},
      {"empty name", "a", "", "1", "empty"},
      {"CR in a name", "a", "x\ry", "1", "line break"},
      {"LF in a section", "a\n[b", "x", "1", "line break"},
      {"] in a section", "a]", "x", "1", "\"]\""},
      {"line break in a value", "a", "x", "1\n[b]", "line break"},
      {"entry at a file's start", "", "x", "1", nullptr},
      {"U+FEFF inside a name", "a", "x\xEF\xBB\xBF", "1", nullptr},
      {"U+FEFF starting a value at a file's start", "", "x", "\xEF\xBB\xBFv", nullptr},
      {"U+FEFF as a section", "\xEF\xBB\xBF", "x", "1", nullptr},
      {"control characters inside", "a\x01" "b", "x\x7Fy", "v\x01\x7Fw", nullptr},
      {"] and [ inside a name", "a", "x]y[", "1", nullptr},
      {"= starting a value", "a", "x", "=v=", nullptr},
      {"non-UTF-8 bytes", "\xFF", "\xFE", "\xFD", nullptr},
      {"empty value", "a", "x", "", nullptr},
      {"empty section", "", "x", "v", nullptr},
      // Reading drops these at a value's ends: it is written in quotes.
      {"DEL after a value", "a", "x", "v\x7F", nullptr},
      {"DEL before a value", "a", "x", "\x7F" "del", nullptr},
      {"control character before a value", "a", "x", "\x01v", nullptr},
      {"blanks around a value", "a", "x", "  two  ", nullptr},
      {"only blanks", "a", "x", "   ", nullptr},
      {"a quote and a blank at the end", "a", "x", "\"q\" ", nullptr},
      // The reading rule takes one pair of quotes off, as callers know it.
      {"a value in quotes", "a", "x", "\"q\"", nullptr, "q"},
      {"a value in single quotes with blanks inside", "a", "x", "' q '", nullptr, " q "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const std::string& before : {std::string(), std::string("[z]\r\nz=1\r\n")}) {
      SCOPED_TRACE(before.empty() ? "new file" : "file with a section");
      std::filesystem::remove(path);
      if (!before.empty()) writeFile(path, before);
      try {
        auto f = openIniFile(path);
        f->writeString(c.section, c.name, c.value);
        f->flush();
        EXPECT_FALSE(c.refusal) << "written: " << readFile(path);
      } catch (const IniFileError& e) {
        EXPECT_TRUE(c.refusal) << e.what();
        if (c.refusal) {
          EXPECT_EQ(std::string(e.what()).rfind("Unable to write to " + path + "\r\n", 0), 0u) << e.what();
          EXPECT_NE(std::string(e.what()).find(c.refusal), std::string::npos) << e.what();
        }
      }
      auto back = openIniFile(path);
      if (c.refusal) {
        EXPECT_EQ(std::filesystem::exists(path) ? readFile(path) : "", before);
        continue;
      }
      EXPECT_EQ(back->readString(c.section, c.name), c.readsAs.value_or(c.value));
      EXPECT_EQ(back->entryNames(c.section), std::vector<std::string>{c.name});
      if (!before.empty()) {
        EXPECT_EQ(back->entryNames("z"), std::vector<std::string>{"z"});
      }
    }
  }
}

// The user's own link to a file not made yet: the file is made where the
// link points, and the link stays.
TEST_F(IniFileTest, AnOwnLinkToAFileNotYetMadeGetsTheFile) {
  const std::string real = dir.file("real.ini");
  std::filesystem::create_symlink("real.ini", path);
  {
    auto f = openIniFile(path);
    EXPECT_EQ(f->readString("a", "x"), std::nullopt);
    f->writeString("a", "x", "1");
    f->flush();
  }
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(readFile(real), "[a]\r\nx=1\r\n");

  // A link into a folder that does not exist says so.
  const std::string dangling = dir.file("dangling.ini");
  std::filesystem::create_symlink(dir.file("no folder/real.ini"), dangling);
  try {
    openIniFile(dangling)->writeString("a", "x", "1");
    ADD_FAILURE() << "written";
  } catch (const IniFileError& e) {
    EXPECT_NE(std::string(e.what()).find("No such file or directory"), std::string::npos) << e.what();
  }
}

TEST_F(IniFileTest, AFileThatIsNotTextIsReadButNeverRewritten) {
  std::string bytes = "[a]\r\nx=1\r\n";
  bytes += std::string("\0\x01\xFF\xFE[b]\0\0\r\nPK\x03\x04", 15);
  writeFile(path, bytes);
  auto f = openIniFile(path);
  EXPECT_EQ(f->readString("a", "x"), "1");
  EXPECT_THROW(f->writeString("a", "x", "2"), IniFileError);
  EXPECT_THROW(f->deleteEntry("a", "x"), IniFileError);
  f->flush();
  EXPECT_EQ(readFile(path), bytes);
}

TEST_F(IniFileTest, AFileOverTheLimitIsRefusedNotHalfRead) {
  writeFile(path, "[a]\r\nx=1\r\n");
  ASSERT_EQ(::truncate(path.c_str(), 100'000'000), 0);  // 100 MB, sparse
  auto f = openIniFile(path);
  try {
    f->readString("a", "x");
    ADD_FAILURE() << "read";
  } catch (const IniFileError& e) {
    EXPECT_NE(std::string(e.what()).find("larger than 64 MiB"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  try {
    openIniFile(path)->writeString("a", "x", "2");
    ADD_FAILURE() << "written";
  } catch (const IniFileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Unable to write to " + path, 0), 0u) << e.what();
  }
  EXPECT_EQ(std::filesystem::file_size(path), 100'000'000u);
}

TEST_F(IniFileTest, AFileOfTooManyLinesIsRefused) {
  std::string bytes;
  for (std::size_t i = 0; i < platform::kMaxIniFileLines; ++i) bytes += "a\n";
  writeFile(path, bytes);
  EXPECT_EQ(openIniFile(path)->readString("a", "x"), std::nullopt);  // at the limit: read
  writeFile(path, bytes + "a=1\n");
  try {
    openIniFile(path)->readString("", "a");
    ADD_FAILURE() << "read";
  } catch (const IniFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot read " + path + "\r\nthe file has more than 1000000 lines; it was not read");
  }
  EXPECT_THROW(openIniFile(path)->writeString("a", "x", "1"), IniFileError);
  EXPECT_EQ(std::filesystem::file_size(path), bytes.size() + 4);
}

TEST_F(IniFileTest, AFolderInPlaceOfTheFileIsAnError) {
  std::filesystem::create_directory(path);
  EXPECT_THROW(openIniFile(path)->readString("a", "x"), IniFileError);
  EXPECT_THROW(openIniFile(path)->writeString("a", "x", "1"), IniFileError);
}

TEST_F(IniFileTest, VeryLongLinesSurviveARewrite) {
  const std::string longValue(3'000'000, 'v');
  const std::string longPlain(1'000'000, 'p');  // no "=": not an entry
  writeFile(path, "[a]\nx=" + longValue + "\n" + longPlain + "\n");
  {
    auto f = openIniFile(path);
    EXPECT_EQ(f->readString("a", "x"), longValue);
    f->writeString("a", "y", "1");
  }
  EXPECT_EQ(readFile(path), "[a]\r\nx=" + longValue + "\r\n" + longPlain + "\r\ny=1\r\n");
}

// A symbolic link to the file stays a link; the file it names is replaced.
TEST_F(IniFileTest, ALinkToTheFileStaysALink) {
  const std::string real = dir.file("real.ini");
  writeFile(real, "[a]\r\nx=1\r\n");
  std::filesystem::create_symlink(real, path);
  openIniFile(path)->writeString("a", "y", "2");
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(readFile(real), "[a]\r\nx=1\r\ny=2\r\n");
}

TEST_F(IniFileTest, TheFileKeepsItsPermissions) {
  writeFile(path, "[a]\r\nx=1\r\n");
  ::chmod(path.c_str(), 0640);
  openIniFile(path)->writeString("a", "x", "2");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Two accessors of one file: each writes only its own changes, over the
// other's.
TEST_F(IniFileTest, AWriterMergesWithChangesMadeSinceItRead) {
  writeFile(path, "[a]\r\nx=1\r\ny=1\r\n");
  auto first = openIniFile(path);
  auto second = openIniFile(path);
  first->writeString("a", "x", "2");
  second->writeString("a", "y", "3");
  second->deleteEntry("a", "x");  // deletes what it saw: x=1 is gone, however x reads now
  first->flush();
  EXPECT_EQ(readFile(path), "[a]\r\nx=2\r\ny=1\r\n");
  second->flush();
  EXPECT_EQ(readFile(path), "[a]\r\ny=3\r\n");
}

// Two processes, each rewriting the file two hundred times with an entry of
// its own: every entry is there at the end.
TEST_F(IniFileTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kEach = 200;
  const auto results = runAtOnce(2, [&](int who) {
    for (int i = 0; i < kEach; ++i) {
      auto f = openIniFile(path);
      f->writeString("s" + std::to_string(who), "e" + std::to_string(i), std::to_string(i));
      f->flush();
    }
    return 0;
  });
  EXPECT_EQ(results, (std::vector<int>{0, 0}));
  auto f = openIniFile(path);
  for (int who = 0; who < 2; ++who) EXPECT_EQ(f->entryNames("s" + std::to_string(who)).size(), std::size_t(kEach));
}

// A writer killed after its temporary file is written, before the rename:
// the old file stands, its lock died with it, and the next writer succeeds.
TEST_F(IniFileTest, AWriterKilledMidWriteLeavesTheOldFile) {
  const std::string old = "[a]\r\nx=old\r\n";
  writeFile(path, old);
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    platform::setIniWriteHooks({[&](const std::string&) {
                                  (void)!::write(pipeFds[1], "!", 1);
                                  for (;;) ::pause();
                                },
                                {}});
    auto f = openIniFile(path);
    f->writeString("a", "x", std::string(100000, 'n'));
    f->flush();
    ::_exit(3);
  }
  ::close(pipeFds[1]);
  char c = 0;
  ASSERT_EQ(::read(pipeFds[0], &c, 1), 1);  // the child is between write and rename
  ::close(pipeFds[0]);
  EXPECT_EQ(readFile(path), old);
  const auto left = filesBeside(path);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(readFile(path), old);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(left[0]), 100000u + 9u);

  auto f = openIniFile(path);
  f->writeString("a", "x", "new");
  f->flush();
  EXPECT_EQ(readFile(path), "[a]\r\nx=new\r\n");
  EXPECT_EQ(filesBeside(path), left);  // the killed writer's only
}

// With the rename done the new file stands whole.
TEST_F(IniFileTest, AWriterKilledAfterTheRenameLeavesTheNewFile) {
  writeFile(path, "[a]\r\nx=old\r\n");
  const int status = runInChild([&] {
    platform::setIniWriteHooks({{}, [](const std::string&) { ::raise(SIGKILL); }});
    auto f = openIniFile(path);
    f->writeString("a", "x", "new");
    f->flush();
    return 0;
  });
  EXPECT_EQ(status, -1);
  EXPECT_EQ(readFile(path), "[a]\r\nx=new\r\n");
}

}  // namespace

namespace {

// A sticky folder that everybody may write, as /tmp is; the test process
// writes there and a second user plants things.
class SharedIniFolderTest : public ::testing::Test {
 protected:
  SharedIniFolderTest() { ::chmod(dir.path().c_str(), 01777); }
  void TearDown() override { platform::setIniWriteHooks({}); }
  void plantLink(const qbtest::OtherUser& other, const std::string& to, const std::string& at) {
    ASSERT_EQ(qbtest::runAsUser(other, [&] { return ::symlink(to.c_str(), at.c_str()); }), 0) << at;
  }
  qbtest::TempDir dir;
  const std::string path = dir.file("Quillbray.ini");
  const std::string victim = dir.file("victim");
};

// Another user's link at the name is refused, whether it was there at the
// write call or planted between it and the flush.
TEST_F(SharedIniFolderTest, AnotherUsersLinkIsNotFollowed) {
  QB_OTHER_USER_OR_SKIP(other);
  for (const bool beforeTheWriteCall : {true, false}) {
    SCOPED_TRACE(beforeTheWriteCall ? "planted before the write call" : "planted before the flush");
    std::filesystem::remove(path);
    writeFile(victim, "[a]\r\nsecret=1\r\n");
    std::string error;
    try {
      auto f = openIniFile(path);
      if (beforeTheWriteCall) plantLink(other, victim, path);
      f->writeString("a", "x", "1");
      if (!beforeTheWriteCall) plantLink(other, victim, path);
      f->flush();
    } catch (const IniFileError& e) {
      error = e.what();
    }
    EXPECT_EQ(error.rfind("Unable to write to " + path + "\r\n", 0), 0u) << error;
    EXPECT_NE(error.find("'" + path + "' is a symbolic link owned by user '" + other.name + "'"), std::string::npos)
        << error;
    EXPECT_EQ(readFile(victim), "[a]\r\nsecret=1\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
  }
  try {
    openIniFile(path)->readString("a", "secret");
    ADD_FAILURE() << "read through the link";
  } catch (const IniFileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot read " + path + "\r\n", 0), 0u) << e.what();
  }
}

// A link planted at the name after the file was locked and written is
// replaced by the rename, never followed.
TEST_F(SharedIniFolderTest, ALinkPlantedBeforeTheRenameIsReplaced) {
  QB_OTHER_USER_OR_SKIP(other);
  writeFile(victim, "keep me");
  writeFile(path, "[a]\r\nx=1\r\n");
  platform::setIniWriteHooks({[&](const std::string& file) {
                                std::filesystem::remove(file);  // the owner may; the planter then may too
                                plantLink(other, victim, file);
                              },
                              {}});
  openIniFile(path)->writeString("a", "x", "2");
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(readFile(path), "[a]\r\nx=2\r\n");
  EXPECT_EQ(readFile(victim), "keep me");
}

// Whatever another user plants under the old temporary name blocks nothing
// and receives nothing.
TEST_F(SharedIniFolderTest, APlantedTemporaryFileIsNotUsed) {
  QB_OTHER_USER_OR_SKIP(other);
  writeFile(victim, "keep me");
  const std::string temp = path + ".tmp";
  for (const bool asLink : {false, true}) {
    SCOPED_TRACE(asLink ? "a link" : "a file");
    std::filesystem::remove(temp);
    if (asLink) plantLink(other, victim, temp);
    else
      ASSERT_EQ(qbtest::runAsUser(other, [&] {
                  std::ofstream(temp) << "planted";
                  return ::chmod(temp.c_str(), 0666);
                }),
                0);
    auto f = openIniFile(path);
    f->writeString("a", "x", asLink ? "link" : "file");
    EXPECT_NO_THROW(f->flush());
    EXPECT_EQ(readFile(path), std::string("[a]\r\nx=") + (asLink ? "link" : "file") + "\r\n");
    EXPECT_EQ(readFile(asLink ? victim : temp), asLink ? "keep me" : "planted");
  }
}

// A settings file another user owns, or may write, is neither read nor
// written; the message names the file and why.
TEST_F(SharedIniFolderTest, AFileAnotherUserMayWriteIsRefused) {
  QB_OTHER_USER_OR_SKIP(other);
  const struct {
    const char* what;
    bool theirs;
    mode_t mode;
    std::string reason;
  } cases[] = {
      {"another user's file", true, 0644, "is owned by user '" + other.name + "'"},
      {"own file everybody may write", false, 0666, "may be written by every user (mode 0666)"},
  };
  const std::string text = "[a]\r\nx=planted\r\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path);
    if (c.theirs)
      ASSERT_EQ(qbtest::runAsUser(other, [&] {
                  std::ofstream(path) << text;
                  return ::chmod(path.c_str(), c.mode);
                }),
                0);
    else {
      writeFile(path, text);
      ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
    }
    const std::string named = "'" + path + "' " + c.reason;
    try {
      openIniFile(path)->readString("a", "x");
      ADD_FAILURE() << "read";
    } catch (const IniFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Cannot read " + path + "\r\n", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    }
    try {
      openIniFile(path)->writeString("a", "x", "mine");
      ADD_FAILURE() << "written";
    } catch (const IniFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Unable to write to " + path + "\r\n", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(named), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(path), text);
  }
}

}  // namespace
