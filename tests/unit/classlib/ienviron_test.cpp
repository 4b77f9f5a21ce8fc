// Tests of IEnvironment: variables with the Windows buffer answers, current directory, program.
#include "ienviron.hpp"

#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char* const kName = "QUILLET_ENVIRON_TEST";

class EnvironmentTest : public ::testing::Test {
protected:
  void TearDown() override { IEnvironment::setVariable(kName, nullptr); }
};

} // namespace

TEST_F(EnvironmentTest, VariableAnswersAsGetEnvironmentVariable) {
  ASSERT_TRUE(IEnvironment::setVariable(kName, "abc"));
  char buffer[8];
  EXPECT_EQ(3u, IEnvironment::variable(kName, buffer, 4)); // fits exactly with terminator
  EXPECT_STREQ("abc", buffer);
  EXPECT_EQ(4u, IEnvironment::variable(kName, buffer, 3)); // one short: the size needed
  EXPECT_EQ(4u, IEnvironment::variable(kName, nullptr, 0));

  // Longer than any first guess of a buffer, as a PATH with a runtime directory in front is.
  std::string value(5000, 'p');
  value.back() = 'Z';
  ASSERT_TRUE(IEnvironment::setVariable(kName, value.c_str()));
  EXPECT_EQ(value, IEnvironment::variable(kName).c_str());
}

TEST_F(EnvironmentTest, UnsetEmptyAndBadNamesAreToldApart) {
  char buffer[8];
  bool set = true;
  ASSERT_TRUE(IEnvironment::setVariable(kName, nullptr));
  ASSERT_TRUE(IEnvironment::setVariable(kName, nullptr)) << "removing twice must succeed";
  EXPECT_EQ(0u, IEnvironment::variable(kName, buffer, sizeof buffer));
  EXPECT_TRUE(IEnvironment::variable(kName, &set).isEmpty());
  EXPECT_FALSE(set);

  ASSERT_TRUE(IEnvironment::setVariable(kName, ""));
  EXPECT_EQ(0u, IEnvironment::variable(kName, buffer, sizeof buffer));
  EXPECT_TRUE(IEnvironment::variable(kName, &set).isEmpty());
  EXPECT_TRUE(set);

  EXPECT_FALSE(IEnvironment::setVariable(nullptr, "v"));
  EXPECT_FALSE(IEnvironment::setVariable("", "v"));
  EXPECT_EQ(0u, IEnvironment::variable(nullptr, buffer, sizeof buffer));
  EXPECT_FALSE(IEnvironment::isSet(nullptr));
  // A name with '=' must not read the tail of another variable's value.
  ASSERT_TRUE(IEnvironment::setVariable(kName, "B=tail"));
  EXPECT_EQ(0u, IEnvironment::variable((std::string(kName) + "=B").c_str(), buffer, 8));
}

TEST(EnvironmentDirectory, CurrentDirectoryFollowsChanges) {
  fs::path before = fs::current_path();
  fs::path dir = fs::temp_directory_path() / "quillet environ test dir";
  fs::create_directories(dir);
  fs::current_path(dir);
  IString now = IEnvironment::currentDirectory();
  std::string expected = fs::current_path().string();
  fs::current_path(before);
  fs::remove(dir);
  EXPECT_EQ(expected, now.c_str());

  std::string back = fs::current_path().string();
  unsigned long length = static_cast<unsigned long>(back.size());
  std::string buffer(length + 1, 'x');
  EXPECT_EQ(length + 1, IEnvironment::currentDirectory(&buffer[0], length));
  EXPECT_EQ(length, IEnvironment::currentDirectory(&buffer[0], length + 1));
  EXPECT_EQ(back, buffer.c_str());
}

TEST(EnvironmentProgram, ProgramPathNamesThisTestProgram) {
  IString path = IEnvironment::programPath();
  IString dir = IEnvironment::programDirectory();
  ASSERT_NE(0u, path.indexOf("classlib_unit"));
  EXPECT_TRUE(fs::exists(fs::path(path.c_str())));
  // The directory and the file name join to the path with the platform's separator.
  ASSERT_LT(dir.length(), path.length());
  EXPECT_EQ(0, std::strncmp(path, dir, dir.length()));
  EXPECT_EQ(IEnvironment::directorySeparator(), path.c_str()[dir.length()]);
  EXPECT_EQ(nullptr, std::strchr(path.c_str() + dir.length() + 1,
                                 IEnvironment::directorySeparator()));
  char tiny[2];
  EXPECT_EQ(path.length() + 1, IEnvironment::programPath(tiny, sizeof tiny));
}
