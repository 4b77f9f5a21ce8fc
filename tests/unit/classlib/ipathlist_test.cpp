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

// Windows takes the lists as they are written and needs no mirror: nothing to test there.
#if !defined(_WIN32)

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

TEST_F(PathListTest, LibrarySearchIsProgramThenRuntimeThenTheUsersAbsoluteEntries) {
  const IString savedPath = IEnvironment::variable("PATH");
  bool hadLibraryPath = false;
  const IString savedLibraryPath = IEnvironment::variable("LD_LIBRARY_PATH", &hadLibraryPath);
  const std::string program = IEnvironment::programDirectory().c_str();
  // PATH plays no part: its entries are where programs are, not libraries.
  ASSERT_TRUE(IEnvironment::setVariable("PATH", "/usr/bin:/opt/path/lib"));

  struct Case {
    const char* what;
    const char* runtime;  // the directory handed over (the runtime's)
    const char* previous; // LD_LIBRARY_PATH before; null: unset
    std::string expected; // after the program's directory
  };
  const Case cases[] = {
      {"unset", "/opt/jre/lib/server", nullptr, ":/opt/jre/lib/server"},
      {"the user's entries follow", "/opt/jre/lib/server", "/user/libs:/more", ":/opt/jre/lib/server:/user/libs:/more"},
      // Each directory once, at its first place.
      {"repeated entries", "/opt/jre/lib/server", "/opt/jre/lib/server:/user/libs:/user/libs",
       ":/opt/jre/lib/server:/user/libs"},
      // The dynamic loader and the runtime read these as the current directory.
      {"empty and relative entries", "/opt/jre/lib/server", ":.:lib:/user/libs::./x:",
       ":/opt/jre/lib/server:/user/libs"},
      {"no runtime directory", "", "/user/libs", ":/user/libs"},
      {"a relative runtime directory", "jre/lib", "", ""},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(IEnvironment::setVariable("LD_LIBRARY_PATH", c.previous));
    IPathList::mirrorLibrarySearch({IString(c.runtime)});
    EXPECT_EQ(program + c.expected, std::string(IEnvironment::variable("LD_LIBRARY_PATH"))) << c.what;
  }

  // Several directories (the bridge's own, then the runtime's) keep their order.
  ASSERT_TRUE(IEnvironment::setVariable("LD_LIBRARY_PATH", "/user/libs"));
  IPathList::mirrorLibrarySearch({"/opt/bridge", "/opt/jre/lib/server"});
  EXPECT_EQ(program + ":/opt/bridge:/opt/jre/lib/server:/user/libs",
            std::string(IEnvironment::variable("LD_LIBRARY_PATH")));

  IEnvironment::setVariable("PATH", savedPath);
  IEnvironment::setVariable("LD_LIBRARY_PATH", hadLibraryPath ? savedLibraryPath.c_str() : nullptr);
}

#endif

} // namespace
