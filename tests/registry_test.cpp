// The registry interface, on the system's registry or the SQLite hives.
#include "RegistryKeys.h"

namespace {

using namespace qbtest;
using platform::KeyAccess;
using platform::RegistryError;
using platform::RegistryRoot;
using platform::RegistryValue;

class Registry : public ::testing::Test {
 protected:
  qbtest::ScopedHives hives;
};

TEST_F(Registry, NamesIgnoreLetterCaseAndKeepTheirSpelling) {
  {
    auto key = openRw("Software\\\xC3\x84pfel\\Sub");  // Äpfel
    key->setValue("Mixed Case", dword(7));
    key->setValue("MIXED case", dword(8));  // the same value
    key->close();
  }
  auto key = openRead("SOFTWARE\\\xC3\xA4PFEL\\sub");  // äPFEL
  ASSERT_TRUE(key);
  EXPECT_EQ(key->valueNames(), std::vector<std::string>{"Mixed Case"});
  EXPECT_EQ(key->queryValue("mixed case"), dword(8));
  auto software = openRead("software");
  EXPECT_EQ(software->subKeyNames(), std::vector<std::string>{"\xC3\x84pfel"});
}

TEST_F(Registry, KeyPathsCollapseEmptyNamesAsWindowsDoes) {
  openRw("\\a\\\\b\\")->setValue("v", dword(1));
  for (const char* path : {"a\\b", "\\a\\b", "a\\\\b\\\\", "\\\\a\\b\\"}) {
    SCOPED_TRACE(path);
    auto key = openRead(path);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->queryValue("v"), dword(1));
  }
  EXPECT_EQ(openRead("a")->subKeyNames(), std::vector<std::string>{"b"});
}

TEST_F(Registry, OverLongNamesFailWithAClearErrorAndWriteNothing) {
  const std::string name255(255, 'k');
  EXPECT_TRUE(openRw("a\\" + name255));
  try {
    openRw("a\\" + name255 + "x");
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("key name too long"), std::string::npos);
  }
  // Characters, not bytes: 255 two-byte letters are a valid name.
  std::string wide;
  for (int i = 0; i < 255; ++i) wide += "\xC3\xA4";
  EXPECT_TRUE(openRw(wide));

  auto key = openRw("a");
  key->setValue(std::string(16383, 'v'), dword(1));
  EXPECT_THROW(key->setValue(std::string(16384, 'v'), dword(1)), RegistryError);
  key->close();
  EXPECT_EQ(openRead("a")->subKeyNames().size(), 1u);
  EXPECT_EQ(openRead("a")->valueNames().size(), 1u);
}

TEST_F(Registry, ValuesKeepTypeBytesAndCreationOrder) {
  const RegistryValue values[] = {
      {platform::REG_SZ, {'a', 'b', 0}},
      {platform::REG_BINARY, {}},
      {platform::REG_EXPAND_SZ, {'%', 0}},
      dword(0xFFFFFFFF),
      {7, {1, 2, 3}},
  };
  auto key = openRw("k");
  for (std::size_t i = 0; i < std::size(values); ++i) key->setValue("v" + std::to_string(4 - i), values[i]);
  key->setValue("v4", dword(3));  // an update keeps its place
  key->close();

  auto read = openRead("k");
  // Windows lists values in creation order; Wine sorts them by name.
  EXPECT_EQ(read->valueNames(), qbtest::asListed({"v4", "v3", "v2", "v1", "v0"}));
  EXPECT_EQ(read->queryValue("v4"), dword(3));
  EXPECT_EQ(read->queryValue("v3"), values[1]);  // zero bytes, not absent
  EXPECT_EQ(read->queryValue("v0"), values[4]);
  EXPECT_FALSE(read->queryValue("missing"));
}

TEST_F(Registry, DeleteValueAndSubtree) {
  {
    auto key = openRw("top");
    key->openSubKey("a\\b\\c", true)->setValue("deep", dword(1));
    key->openSubKey("a", false)->setValue("x", dword(2));
    key->openSubKey("keep", true)->setValue("y", dword(3));
    key->setValue("own", dword(4));
  }
  auto key = openRw("top", false);
  EXPECT_TRUE(key->deleteValue("OWN"));
  EXPECT_FALSE(key->deleteValue("own"));
  EXPECT_TRUE(key->deleteSubKeyTree("A"));
  EXPECT_FALSE(key->deleteSubKeyTree("a"));
  key->close();

  auto read = openRead("top");
  EXPECT_EQ(read->subKeyNames(), std::vector<std::string>{"keep"});
  EXPECT_TRUE(read->valueNames().empty());
  EXPECT_FALSE(openRead("top\\a\\b\\c"));
}

TEST_F(Registry, ReadingNeverCreatesAKey) {
  EXPECT_FALSE(openRead("Software"));
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software", KeyAccess::ReadWrite, false));
  EXPECT_FALSE(platform::registry().openKey(HKCU, "Software\\Sub", KeyAccess::Read, true));  // only a writer creates
  EXPECT_FALSE(openRead("Software"));
}

// Sub-keys come sorted by their folded names, whatever the order they were
// made in; each opens by its exact name, one level down, as a walk does.
TEST_F(Registry, SubKeysAreSortedAndOpenOneLevelDown) {
  for (const char* name : {"b", "\xC3\xA4", "A", "c\\d", "\xC3\x84x"}) openRw(std::string("w\\") + name);
  auto w = openRead("w");
  EXPECT_EQ(w->subKeyNames(), (std::vector<std::string>{"A", "b", "c", "\xC3\xA4", "\xC3\x84x"}));
  auto c = w->openChild("c");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->subKeyNames(), std::vector<std::string>{"d"});
  EXPECT_FALSE(w->openChild("c\\d"));  // a path, not a name
  EXPECT_FALSE(w->openChild(""));        // the key itself, not a child
  EXPECT_FALSE(w->openChild("missing"));
}

// Two openings of one key tell it is the same key, whatever spelling or road
// reached it; different keys differ.
TEST_F(Registry, IdentityTellsKeysApart) {
  openRw("Software\\\xC3\x84pfel\\Sub");
  openRw("Software\\Other");
  auto root = openRead("");
  auto viaPath = openRead("SOFTWARE\\\xC3\xA4PFEL\\sub");
  auto viaChildren = root->openChild("Software")->openChild("\xC3\x84pfel")->openChild("Sub");
  auto viaSubKey = root->openSubKey("software\\\xC3\x84pfel\\SUB", false);
  ASSERT_TRUE(viaPath && viaChildren && viaSubKey);
  EXPECT_EQ(viaPath->identity(), viaChildren->identity());
  EXPECT_EQ(viaPath->identity(), viaSubKey->identity());
  const std::int64_t others[] = {root->identity(), openRead("Software")->identity(), openRead("Software\\Other")->identity(),
                                 openRead("Software\\\xC3\x84pfel")->identity()};
  for (std::int64_t other : others) EXPECT_NE(viaPath->identity(), other);
  EXPECT_NE(others[1], others[2]);
}

// Text other than ASCII comes back as it was written, names and data alike.
TEST_F(Registry, TextOutsideAsciiSurvivesTheRoundTrip) {
  const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";  // Grüße – 日本 😀
  const RegistryValue values[] = {
      {platform::REG_SZ, {text.begin(), text.end()}},
      {platform::REG_EXPAND_SZ, {text.begin(), text.end()}},
      {7, {text.begin(), text.end()}},
  };
  for (const RegistryValue& value : values) {
    SCOPED_TRACE(value.type);
    RegistryValue terminated = value;
    terminated.data.push_back(0);
    openRw("\xE6\x97\xA5\xE6\x9C\xAC")->setValue(text, terminated);
    auto key = openRead("\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(key->queryValue(text), terminated);
    EXPECT_EQ(key->valueNames(), std::vector<std::string>{text});
  }
  EXPECT_EQ(openRead("")->subKeyNames(), std::vector<std::string>{"\xE6\x97\xA5\xE6\x9C\xAC"});
}

// Private hives nest: an inner pair starts empty, and the outer one is
// back, as it was, when the inner goes.
TEST_F(Registry, PrivateHivesNest) {
  openRw("Outer")->setValue("v", dword(1));
  {
    qbtest::ScopedHives inner;
    EXPECT_FALSE(openRead("Outer"));
    EXPECT_FALSE(platform::registry().openKey(RegistryRoot::LocalMachine, "Outer", KeyAccess::Read, false));
    openRw("Inner")->setValue("v", dword(2));
    {
      qbtest::ScopedHives innermost;
      EXPECT_FALSE(openRead("Inner"));
    }
    EXPECT_EQ(openRead("Inner")->queryValue("v"), dword(2));
  }
  EXPECT_FALSE(openRead("Inner"));
  EXPECT_EQ(openRead("Outer")->queryValue("v"), dword(1));
  EXPECT_EQ(openRead("")->subKeyNames(), std::vector<std::string>{"Outer"});
}

TEST_F(Registry, AnOpeningThatIsNotClosedStillCommits) {
  openRw("k")->setValue("v", dword(5));  // destroyed without close()
  EXPECT_EQ(openRead("k")->queryValue("v"), dword(5));
}

TEST_F(Registry, NamesEndAtTheirFirstNul) {
  using namespace std::string_literals;
  auto key = openRw("Software\0Ignored"s);
  key->setValue("Name\0Tail"s, dword(7));
  key->close();
  auto read = openRead("Software");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->valueNames(), std::vector<std::string>{"Name"});
  EXPECT_EQ(read->queryValue("Name\0Other"s), dword(7));
  EXPECT_EQ(read->subKeyNames(), std::vector<std::string>{});
}

TEST_F(Registry, KeysLieAtMost512LevelsBelowTheRoot) {
  const auto path = [](int levels) {
    std::string p;
    for (int i = 0; i < levels; ++i) p += "k\\";
    return p;
  };
  EXPECT_TRUE(openRw(path(512)));
  try {
    openRw(path(513));
    ADD_FAILURE() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find("too deep"), std::string::npos) << e.what();
  }
  // Counted from the root, also below an open key; nothing was created.
  EXPECT_THROW(openRw(path(100000)), RegistryError);
  auto deep = openRw(path(500));
  EXPECT_THROW(deep->openSubKey(path(13), true), RegistryError);
  EXPECT_TRUE(deep->openSubKey(path(12), false));
  EXPECT_THROW(deep->openSubKey(path(13), false), RegistryError);
}

}  // namespace
