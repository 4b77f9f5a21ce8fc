// Tests of the POSIX backend's file names matched without case, shared by the library search
// and the class-path lists.
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

// Windows matches names without case by itself: nothing of this backend to test there.
#if !defined(_WIN32)

#include "posix/ifilename.hpp"

namespace fs = std::filesystem;

namespace {

class FileNameTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ifilename-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  void touch(const std::string& name) { std::ofstream(dir_ / name) << "x"; }
  std::string match(const std::string& name) {
    return IFileName::entryWithoutCase(dir_.string(), name);
  }
  fs::path dir_;
};

TEST_F(FileNameTest, TheFirstInByteOrderOfTheEntriesThatMatch) {
  touch("dorn.b.jar");
  touch("DORN.B.jar");
  touch("Dorn.B.JAR");
  fs::create_directory(dir_ / "dorn.c");
  // Whatever order the directory lists them in, and whichever is written exactly.
  EXPECT_EQ("DORN.B.jar", match("dorn.b.jar"));
  EXPECT_EQ("DORN.B.jar", match("DORN.B.JAR"));
  EXPECT_EQ("dorn.c", match("Dorn.C")); // a directory is an entry too
}

TEST_F(FileNameTest, NothingWhenNoEntryMatchesTheWholeName) {
  touch("dorn.jar");
  EXPECT_EQ("", match("dorn"));
  EXPECT_EQ("", match("dorn.jar.old"));
  EXPECT_EQ("", match("dorn_jar"));
  EXPECT_EQ("", match(""));
  EXPECT_EQ("", IFileName::entryWithoutCase((dir_ / "missing").string(), "dorn.jar"));
  EXPECT_EQ("", IFileName::entryWithoutCase((dir_ / "dorn.jar").string(), "dorn.jar"));
}

} // namespace

#endif
