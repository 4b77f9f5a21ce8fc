// Tests of IPathList: Windows file-name lists in the platform's form, and the library search
// mirrored for a runtime created later.
#include "ipathlist.hpp"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "ienviron.hpp"

namespace fs = std::filesystem;

namespace {

// A scratch directory that is also the current directory while a test runs.
class PathListTest : public ::testing::Test {
protected:
  void SetUp() override {
    previous_ = fs::current_path();
    root_ = fs::temp_directory_path() /
            ("ipathlist-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
    fs::current_path(root_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(root_);
  }
  static void touch(const fs::path& file) {
    fs::create_directories(file.parent_path().empty() ? fs::path(".") : file.parent_path());
    std::ofstream(file) << "x";
  }
  fs::path previous_, root_;
};

#if defined(_WIN32)

TEST_F(PathListTest, WindowsListsStayAsWritten) {
  touch("dorn.quillet.jar");
  EXPECT_EQ(IString(".;DORN.QUILLET.JAR"), IPathList::fromWindows(".;DORN.QUILLET.JAR"));
  EXPECT_EQ(IString(".;dorn.fe.jar;"), IPathList::fromWindows(".;dorn.fe.jar;"));
  EXPECT_EQ(IString(""), IPathList::fromWindows(nullptr));
}

TEST_F(PathListTest, LibrarySearchNeedsNoMirror) {
  ASSERT_TRUE(IEnvironment::setVariable("LD_LIBRARY_PATH", nullptr));
  IPathList::mirrorLibrarySearch();
  EXPECT_FALSE(IEnvironment::isSet("LD_LIBRARY_PATH"));
}

#else

TEST_F(PathListTest, SeparatorsAndEntriesAsTheToolTableWritesThem) {
  touch("dorn.quillet.jar");
  touch("dorn.Ferrow.jar");
  // Found without case; kept as written when it exists; kept when nothing matches.
  EXPECT_EQ(IString(".:dorn.quillet.jar"), IPathList::fromWindows(".;DORN.QUILLET.JAR"));
  EXPECT_EQ(IString(".:dorn.Ferrow.jar:"), IPathList::fromWindows(".;dorn.Ferrow.jar;"));
  EXPECT_EQ(IString(".:dorn.tamsel.jar"), IPathList::fromWindows(".;dorn.tamsel.jar"));
  // Empty entries stay: the trailing one, and one between two separators.
  EXPECT_EQ(IString(".:"), IPathList::fromWindows(".;"));
  EXPECT_EQ(IString("a::b"), IPathList::fromWindows("a;;b"));
  EXPECT_EQ(IString(""), IPathList::fromWindows(""));
  EXPECT_EQ(IString(""), IPathList::fromWindows(nullptr));
}

TEST_F(PathListTest, NamesAreMatchedOneByOneFromTheirDirectory) {
  touch("Lib/Jars/Dorn.Fe.jar");
  EXPECT_EQ(IString("Lib/Jars/Dorn.Fe.jar"), IPathList::fromWindows("lib\\JARS\\dorn.fe.JAR"));
  EXPECT_EQ(IString("./Lib/../Lib/Jars"), IPathList::fromWindows(".\\LIB\\..\\lib\\jars"));
  // An absolute entry is matched from the root.
  const std::string absolute = (root_ / "LIB" / "jars" / "DORN.FE.JAR").string();
  EXPECT_EQ(IString((root_ / "Lib/Jars/Dorn.Fe.jar").string().c_str()),
            IPathList::fromWindows(absolute.c_str()));
  // A name in the middle that matches nothing leaves the whole entry as written.
  EXPECT_EQ(IString("lib/missing/dorn.fe.jar"),
            IPathList::fromWindows("lib\\missing\\dorn.fe.jar"));
}

TEST_F(PathListTest, SeveralMatchesGiveTheFirstInByteOrder) {
  touch("dorn.b.JAR");
  touch("dorn.b.jar");
  touch("DORN.B.jar");
  EXPECT_EQ(IString("DORN.B.jar"), IPathList::fromWindows("Dorn.B.Jar"));
  // Written exactly, the entry is taken as it is.
  EXPECT_EQ(IString("dorn.b.jar"), IPathList::fromWindows("dorn.b.jar"));
}

TEST_F(PathListTest, LibrarySearchIsProgramDirectoryThenPathThenPreviousValue) {
  const IString savedPath = IEnvironment::variable("PATH");
  bool hadLibraryPath = false;
  const IString savedLibraryPath = IEnvironment::variable("LD_LIBRARY_PATH", &hadLibraryPath);
  const IString program = IEnvironment::programDirectory();

  ASSERT_TRUE(IEnvironment::setVariable("PATH", "/opt/jre/lib/server:/usr/bin"));
  ASSERT_TRUE(IEnvironment::setVariable("LD_LIBRARY_PATH", "/usr/bin:/user/libs"));
  IPathList::mirrorLibrarySearch();
  // Each directory once, at its first place.
  EXPECT_EQ(program + ":/opt/jre/lib/server:/usr/bin:/user/libs",
            IEnvironment::variable("LD_LIBRARY_PATH"));

  ASSERT_TRUE(IEnvironment::setVariable("LD_LIBRARY_PATH", nullptr));
  ASSERT_TRUE(IEnvironment::setVariable("PATH", nullptr));
  IPathList::mirrorLibrarySearch();
  EXPECT_EQ(program, IEnvironment::variable("LD_LIBRARY_PATH"));

  IEnvironment::setVariable("PATH", savedPath);
  IEnvironment::setVariable("LD_LIBRARY_PATH", hadLibraryPath ? savedLibraryPath.c_str() : nullptr);
}

#endif

} // namespace
