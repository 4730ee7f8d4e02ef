// Writing a file whole or not at all, on every system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestSupport.h"
#include "platform/Files.h"
#include "platform/ReplaceFile.h"

namespace {

using namespace qbtest;

std::size_t entries(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(ReplaceFile, ANewOrOldFileGetsTheWholeTextAndNothingIsLeftBeside) {
  const TempDir dir;
  const std::string file = dir.file("x.reg");
  const std::string big(3 * 1024 * 1024 + 7, 'b');  // more than one write of some systems
  for (const std::string& text : {std::string("first"), big, std::string()}) {
    platform::replaceFile(file, text);
    EXPECT_TRUE(readFile(file) == text) << text.size();
    EXPECT_EQ(entries(dir.path()), 1u);
  }
}

TEST(ReplaceFile, WhatCannotBeReplacedIsNamedAndLeftAsItWas) {
  const TempDir dir;
  const std::string folder = dir.file("sub");
  std::filesystem::create_directory(folder);
  std::ofstream(dir.file("sub/keep")) << "keep";
  try {
    platform::replaceFile(folder, "new");
    ADD_FAILURE() << "a folder was replaced";
  } catch (const platform::FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot replace '" + folder + "': ", 0), 0u) << e.what();
  }
  EXPECT_EQ(readFile(dir.file("sub/keep")), "keep");
  EXPECT_EQ(entries(dir.path()), 1u);  // the temporary file is gone

  const std::string inMissing = dir.file("none/x.reg");
  try {
    platform::replaceFile(inMissing, "new");
    ADD_FAILURE() << "written into a missing folder";
  } catch (const platform::FileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("cannot create a temporary file beside '" + inMissing + "': ", 0), 0u)
        << e.what();
  }
}

}  // namespace
