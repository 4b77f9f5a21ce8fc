// Tests of the backends' system layer: path lists, and (POSIX) file names found as Windows finds
// them, the one rule that the library search, the class-path lists and the message catalog share.
#include "isystem.hpp"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::string>;

TEST(PathList, EntriesInOrderWithTheEmptyOnesKept) {
  EXPECT_EQ(ISystem::splitPathList("a:b:c", ':'), Entries({"a", "b", "c"}));
  EXPECT_EQ(ISystem::splitPathList(":a::b:", ':'), Entries({"", "a", "", "b", ""}));
  EXPECT_EQ(ISystem::splitPathList("", ';'), Entries({""}));
  EXPECT_EQ(ISystem::splitPathList("C:\\jre\\bin;.", ';'), Entries({"C:\\jre\\bin", "."}));
}

// Windows matches names without case by itself: nothing of this rule to test there.
#if !defined(_WIN32)

namespace fs = std::filesystem;

class WithoutCase : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("isystem-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  std::string at(const std::string& name) { return (dir_ / name).string(); }
  fs::path dir_;
};

// Several entries that differ only in case, made in an order that is not the byte order: the
// answer is the first in byte order, whichever is asked for and whatever the directory lists.
TEST_F(WithoutCase, TheFirstInByteOrderOfTheEntriesThatMatch) {
  for (const char* name : {"dorn.b.jar", "Dorn.B.JAR", "DORN.B.jar", "dORN.b.JAR"})
    touch(name);
  fs::create_directory(dir_ / "lib");
  fs::create_directory(dir_ / "LIB");
  touch("LIB/LibJvm.so");
  touch("lib/libjvm.SO");
  struct Case {
    const char* asked;
    const char* found; // relative to the directory; "" for nothing
  } cases[] = {
      {"dorn.b.jar", "dorn.b.jar"}, // as written, it exists
      {"DORN.B.JAR", "DORN.B.jar"},
      {"Dorn.b.Jar", "DORN.B.jar"},
      {"Lib", "LIB"},                           // a directory is an entry too
      {"Lib/LIBJVM.SO", "LIB/LibJvm.so"},        // each name along the path, by the same rule
      {"lib/LIBJVM.SO", "lib/libjvm.SO"},        // a name that exists as written is kept
      {"lib/./libjvm.so", "lib/./libjvm.SO"},
      {"dorn", ""},
      {"dorn.b.jar.old", ""},
      {"nowhere/dorn.b.jar", ""},
  };
  for (const Case& c : cases) {
    const std::string expected = *c.found ? at(c.found) : "";
    EXPECT_EQ(ISystem::pathWithoutCase(at(c.asked)), expected) << c.asked;
  }
  EXPECT_EQ(ISystem::entryWithoutCase(dir_.string(), "dorn.B.jar"), "DORN.B.jar");
  EXPECT_EQ(ISystem::entryWithoutCase(dir_.string(), ""), "");
  EXPECT_EQ(ISystem::entryWithoutCase(at("dorn.b.jar"), "x"), ""); // not a directory
}

TEST_F(WithoutCase, ARelativePathIsFoundFromTheCurrentDirectoryAndStaysRelative) {
  touch("Dorn.Quillet.Jar");
  const fs::path saved = fs::current_path();
  fs::current_path(dir_);
  EXPECT_EQ(ISystem::pathWithoutCase("DORN.QUILLET.JAR"), "Dorn.Quillet.Jar");
  EXPECT_EQ(ISystem::pathWithoutCase("./dorn.quillet.jar"), "./Dorn.Quillet.Jar");
  EXPECT_EQ(ISystem::pathWithoutCase("missing.jar"), "");
  fs::current_path(saved);
}

#endif

} // namespace
