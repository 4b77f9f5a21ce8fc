// Tests of Java runtime discovery against the real registry (a registry file on POSIX, the
// Windows registry written with reg.exe under Wine) and the real process environment.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "discovery.hpp"
#include "ienviron.hpp"
#include "iregistry.hpp"
#include "launcherstate.hpp"
#include "quillet_md.hpp"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
const char sep = ';';
const char dirSep = '\\';
const std::string runtimeDir = "C:\\Obel\\jre\\bin\\client";
#else
const char sep = ':';
const char dirSep = '/';
const std::string runtimeDir = "/opt/obel/jre/lib/server";
#endif
const std::string libraryPath = runtimeDir + dirSep + runtimeLibraryFileName();

enum Kind { sz, expandSz, multiSz, dword, binary };
struct Value {
  std::string key, name;
  Kind kind;
  std::string data; // the bytes (for dword: four little-endian bytes)
};

std::string hexBytes(const std::string& data, const char* separator) {
  std::string out;
  char two[3];
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(data[i]));
    if (i > 0) out += separator;
    out += two;
  }
  return out;
}

std::string regEscaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// A .reg text of the values; string types as bytes, so a REGEDIT4 file keeps them unconverted.
std::string regFile(const std::vector<Value>& values) {
  std::string text = "REGEDIT4\r\n";
  for (const Value& v : values) {
    text += "\r\n[HKEY_LOCAL_MACHINE\\" + v.key + "]\r\n\"" + v.name + "\"=";
    static const char* const types[] = {"hex(1):", "hex(2):", "hex(7):", "hex(4):", "hex:"};
    if (v.kind == sz && v.data.find('\0') == v.data.size() - 1) {
      text += "\"" + regEscaped(v.data.substr(0, v.data.size() - 1)) + "\"";
    } else {
      text += types[v.kind] + hexBytes(v.data, ",");
    }
    text += "\r\n";
  }
  return text;
}

// The test's own PATH, current directory and registry, restored after every test.
class Discovery : public ::testing::Test {
protected:
  void SetUp() override {
    bool set = false;
    savedPath_ = IEnvironment::variable("PATH", &set);
    pathWasSet_ = set;
    savedDirectory_ = fs::current_path();
#ifndef _WIN32
    registryFile_ = ::testing::TempDir() + "discovery_test.reg";
    setenv("IREGISTRY", registryFile_.c_str(), 1);
#endif
    writeRegistry({});
  }
  void TearDown() override {
    restorePath();
    fs::current_path(savedDirectory_);
  }

  void restorePath() {
    IEnvironment::setVariable("PATH", pathWasSet_ ? static_cast<const char*>(savedPath_) : nullptr);
  }

  // Replaces the product family's keys with values.
  void writeRegistry(const std::vector<Value>& values) {
#ifdef _WIN32
    // reg.exe is found through PATH, which a test may have changed.
    IString testPath = IEnvironment::variable("PATH");
    restorePath();
    const char* view = sizeof(void*) == 4 ? "/reg:32" : "/reg:64";
    std::system((std::string("reg delete HKLM\\SOFTWARE\\Obel /f ") + view + " >NUL 2>&1").c_str());
    for (const Value& v : values) {
      static const char* const types[] = {"REG_SZ", "REG_EXPAND_SZ", "REG_MULTI_SZ", "REG_DWORD",
                                          "REG_BINARY"};
      std::string data;
      if (v.kind == dword) {
        unsigned long n = 0;
        for (int i = 3; i >= 0; --i) n = n * 256 + static_cast<unsigned char>(v.data[i]);
        data = std::to_string(n);
      } else if (v.kind == binary) {
        data = hexBytes(v.data, "");
      } else if (v.kind == multiSz) {
        data = v.data.substr(0, v.data.find('\0'));
        for (std::size_t at = data.size() + 1; at < v.data.size() && v.data[at] != '\0';) {
          std::size_t end = v.data.find('\0', at);
          data += "\\0" + v.data.substr(at, end - at);
          at = end + 1;
        }
      } else {
        data = v.data;
      }
      int rc;
      if (data.size() < 4000) {
        rc = std::system(("reg add \"HKLM\\" + v.key + "\" /v " + v.name + " /t " + types[v.kind] +
                          " /d \"" + data + "\" /f " + view + " >NUL 2>&1").c_str());
      } else {
        // Past the command line's limit: import a file instead.
        std::string file = (fs::temp_directory_path() / "discovery_test.reg").string();
        std::ofstream(file, std::ios::binary) << regFile({v});
        rc = std::system(("reg import \"" + file + "\" " + view + " >NUL 2>&1").c_str());
        fs::remove(file);
      }
      ASSERT_EQ(0, rc) << "reg could not write " << v.name;
    }
    IEnvironment::setVariable("PATH", testPath);
#else
    // Replaced as installers replace it: the reader keeps a file it has read until the file
    // changes, and a rewrite in place of the same size within one clock tick would not show.
    std::ofstream(registryFile_ + ".new", std::ios::binary) << regFile(values);
    fs::rename(registryFile_ + ".new", registryFile_);
#endif
  }

  void setPath(const std::string& value) { ASSERT_TRUE(IEnvironment::setVariable("PATH", value.c_str())); }
  static std::string path() { return std::string(IEnvironment::variable("PATH")); }
  static std::string currentDirectory() { return std::string(IEnvironment::currentDirectory()); }

  IString savedPath_;
  bool pathWasSet_ = false;
  fs::path savedDirectory_;
  std::string registryFile_;
};

const std::string key16 = "SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6";
const std::string key150 = "SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.5.0";

TEST_F(Discovery, RegistryValuesReadAsTextWhateverTheirType) {
  std::string longText(5000, 'L');
  longText.back() = 'E';
  writeRegistry({{key16, "Plain", sz, "C:\\some where" + std::string(1, '\0')},
                 {key16, "Expand", expandSz, "%JAVA%\\bin" + std::string(1, '\0')},
                 {key16, "Multi", multiSz, std::string("first\0second\0\0", 14)},
                 {key16, "Number", dword, std::string("ABC\0", 4)},
                 // Binary data has no terminator: the text must end with the data.
                 {key16, "Unterminated", binary, "XYZ"},
                 {key16, "Empty", binary, ""},
                 {key16, "Long", sz, longText + '\0'}});

  RegistryText plain = readRegistryValue(runtimeKey16, "plain"); // names ignore case
  EXPECT_TRUE(plain.keyOpened);
  EXPECT_TRUE(plain.found);
  EXPECT_EQ(IString("C:\\some where"), plain.text);
  EXPECT_EQ(IString("%JAVA%\\bin"), readRegistryValue(runtimeKey16, "Expand").text);
  EXPECT_EQ(IString("first"), readRegistryValue(runtimeKey16, "Multi").text);
  EXPECT_EQ(IString("ABC"), readRegistryValue(runtimeKey16, "Number").text);
  EXPECT_EQ(IString("XYZ"), readRegistryValue(runtimeKey16, "Unterminated").text);
  RegistryText empty = readRegistryValue(runtimeKey16, "Empty");
  EXPECT_TRUE(empty.found);
  EXPECT_TRUE(empty.text.isEmpty());
  EXPECT_EQ(IString(longText.c_str()), readRegistryValue(runtimeKey16, "Long").text);

  RegistryText missingValue = readRegistryValue(runtimeKey16, "JavaHome");
  EXPECT_TRUE(missingValue.keyOpened);
  EXPECT_FALSE(missingValue.found);
  RegistryText missingKey = readRegistryValue(runtimeKey150, "RuntimeLib");
  EXPECT_FALSE(missingKey.keyOpened);
  EXPECT_FALSE(missingKey.found);
}

TEST_F(Discovery, RuntimeLibraryLookupCutsTheFileNameAndAddsTheHome) {
  LauncherState state;
  writeRegistry({{key16, "RuntimeLib", sz, libraryPath + '\0'},
                 {key16, "JavaHome", sz, "C:\\Obel\\jre" + std::string(1, '\0')}});
  PathEntries entries = lookUpRuntimeLibrary(state);
  EXPECT_TRUE(entries.found);
  EXPECT_EQ(IString((runtimeDir + sep + "C:\\Obel\\jre").c_str()), entries.text);
  EXPECT_EQ(IString("C:\\Obel\\jre"), state.javaHome);

  // Without a home the entry after the separator is empty, and javaHome stays empty.
  LauncherState noHome;
  writeRegistry({{key16, "RuntimeLib", sz, libraryPath + '\0'}});
  entries = lookUpRuntimeLibrary(noHome);
  EXPECT_EQ(IString((runtimeDir + sep).c_str()), entries.text);
  EXPECT_TRUE(noHome.javaHome.isEmpty());

  // The file name is matched exactly: in capitals it is not found, the value goes on whole.
  std::string capitals = runtimeDir + dirSep + "JVM.DLL";
  writeRegistry({{key16, "RuntimeLib", sz, capitals + '\0'}});
  EXPECT_EQ(IString((capitals + sep).c_str()), lookUpRuntimeLibrary(noHome).text);

  // The value itself is the file to load.
  EXPECT_EQ(IString(capitals.c_str()), noHome.runtimeLibraryPath);

  // A value that is not a full path names no runtime: it would be found from the current
  // directory. The home is not read, and nothing is kept to load.
  for (const std::string& relative : {std::string(runtimeLibraryFileName()),
                                     "jre" + std::string(1, dirSep) + runtimeLibraryFileName(),
                                     std::string(1, dirSep) + "jre" + dirSep + runtimeLibraryFileName()}) {
    if (isAbsolutePath(relative.c_str())) continue; // a name from the root is absolute on POSIX
    LauncherState relativeState;
    writeRegistry({{key16, "RuntimeLib", sz, relative + '\0'},
                   {key16, "JavaHome", sz, "C:\\Obel\\jre" + std::string(1, '\0')}});
    EXPECT_FALSE(lookUpRuntimeLibrary(relativeState).found) << relative;
    EXPECT_TRUE(relativeState.runtimeLibraryPath.isEmpty()) << relative;
    EXPECT_TRUE(relativeState.javaHome.isEmpty()) << relative;
  }

  // Without "RuntimeLib" the home is not even read.
  LauncherState noLibrary;
  writeRegistry({{key16, "JavaHome", sz, "C:\\Obel\\jre" + std::string(1, '\0')}});
  EXPECT_FALSE(lookUpRuntimeLibrary(noLibrary).found);
  EXPECT_TRUE(noLibrary.javaHome.isEmpty());
}

TEST_F(Discovery, PathIsReadWhateverItsLength) {
  writeRegistry({{key16, "RuntimeLib", sz, libraryPath + '\0'},
                 {key16, "JavaHome", sz, runtimeDir + '\0'}});
  // Developer machines carry PATHs of several thousand characters; Windows takes 32,767.
  std::string entries;
  while (entries.size() < 6000) entries += std::string(1, dirSep) + "tools" + dirSep + "bin" + sep;
  entries += std::string(1, dirSep) + "last";
  struct Case { const char* what; bool unset; std::string value; bool accepted; };
  const Case cases[] = {{"6,000 characters", false, entries, true},
                        {"one character", false, std::string(1, dirSep), true},
                        {"empty", false, "", false},
                        {"unset", true, "", false}};
  for (const Case& c : cases) {
    LauncherState state;
    if (c.unset) ASSERT_TRUE(IEnvironment::setVariable("PATH", nullptr)); else setPath(c.value);
    EnvironmentResult result = prepareEnvironment(state);
    if (c.accepted) {
      EXPECT_EQ(EnvironmentOutcome::ready, result.outcome) << c.what;
      const std::string front = runtimeDir + sep + runtimeDir + sep;
      EXPECT_EQ(front + (pathKeepsCurrentFolder() ? currentDirectory() + sep : "") + c.value, path())
          << c.what;
    } else {
      EXPECT_EQ(EnvironmentOutcome::ended, result.outcome) << c.what;
      EXPECT_EQ(EnvironmentResult::pathUnreadable, result.failure) << c.what;
      EXPECT_EQ(c.unset, !IEnvironment::isSet("PATH")) << c.what << ": PATH must be left alone";
      EXPECT_EQ(c.value, path()) << c.what;
    }
  }
}

TEST_F(Discovery, NewPathPutsRuntimeHomeAndCurrentDirectoryFirst) {
  const std::string home = runtimeDir.substr(0, runtimeDir.rfind(dirSep));
  writeRegistry({{key16, "RuntimeLib", sz, libraryPath + '\0'},
                 {key16, "JavaHome", sz, home + '\0'}});
  LauncherState state;
  const std::string first = std::string(1, dirSep) + "first";
  setPath(first + sep + "." + sep + sep + "relative" + sep + dirSep + "Second");
  EnvironmentResult result = prepareEnvironment(state);
  EXPECT_EQ(EnvironmentOutcome::ready, result.outcome);
  EXPECT_EQ(EnvironmentResult::none, result.failure);
  if (pathKeepsCurrentFolder()) {
    EXPECT_EQ(runtimeDir + sep + home + sep + currentDirectory() + sep + first + sep + "." + sep + sep +
                  "relative" + sep + dirSep + "Second",
              path());
  } else {
    // Neither the current directory nor an entry that leads to it.
    EXPECT_EQ(runtimeDir + sep + home + sep + first + sep + dirSep + "Second", path());
  }
  EXPECT_EQ(IString(home.c_str()), state.javaHome);
  EXPECT_EQ(IString(libraryPath.c_str()), state.runtimeLibraryPath);
}

TEST(PlatformFacts, AbsolutePathsNameOnePlaceWhateverTheCurrentDirectory) {
  struct Case { const char* path; bool absolute; };
#ifdef _WIN32
  const Case cases[] = {{"C:\\jre", true}, {"c:/jre", true}, {"\\\\server\\share\\jre", true},
                        {"\\jre", false}, {"C:jre", false}, {"jre", false}, {".\\jre", false},
                        {"\\\\", false}, {"", false}};
#else
  const Case cases[] = {{"/usr/lib/jvm", true}, {"/", true}, {"usr/lib", false},
                        {"./jre", false}, {"~/jre", false}, {"", false}};
#endif
  for (const Case& c : cases) EXPECT_EQ(c.absolute, isAbsolutePath(c.path)) << c.path;
  EXPECT_FALSE(isAbsolutePath(nullptr));
}

TEST_F(Discovery, ComposedPathKeepsTheCurrentFolderOnlyWhereThePlatformDoes) {
  const IString cwd = "/work/here";
  struct Case { const char* front; const char* back; const char* windows; const char* posix; };
  // ':' stands for the separator of both rules here; entries are POSIX names.
  const Case cases[] = {
      {"/jre/lib/server:/jre", "/usr/bin:/bin", "/jre/lib/server:/jre:/work/here:/usr/bin:/bin",
       "/jre/lib/server:/jre:/usr/bin:/bin"},
      // No home: an empty entry after the runtime's.
      {"/jre/lib/server:", "/usr/bin", "/jre/lib/server::/work/here:/usr/bin", "/jre/lib/server:/usr/bin"},
      // The marker's route: no runtime entries at all.
      {"", "/usr/bin:/jre/bin/r5vm", "/work/here:/usr/bin:/jre/bin/r5vm", "/usr/bin:/jre/bin/r5vm"},
      // What leads to the current folder: empty entries, ".", relative names.
      {"/jre:rel", ".::bin:./x:/usr/bin:", "/jre:rel:/work/here:.::bin:./x:/usr/bin:", "/jre:/usr/bin"},
      // A user's own entry that happens to name the current directory is the user's choice.
      {"/jre", "/work/here", "/jre:/work/here:/work/here", "/jre:/work/here"},
  };
  auto bySeparator = [](const char* text) {
    std::string s = text;
    for (char& c : s) if (c == ':') c = sep;
    return IString(s.c_str());
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bySeparator(c.windows), composePath(bySeparator(c.front), cwd, bySeparator(c.back), true))
        << c.front << " | " << c.back;
#ifndef _WIN32
    EXPECT_EQ(bySeparator(c.posix), composePath(bySeparator(c.front), cwd, bySeparator(c.back), false))
        << c.front << " | " << c.back;
#endif
  }
}

TEST_F(Discovery, ExternalRouteNeedsAHomeThatNamesOnePlace) {
  struct Case { const char* what; std::vector<Value> home; bool ready; };
  const std::string absolute = runtimeDir + '\0';
  const Case cases[] = {
      {"no home", {}, false},
      {"empty home", {{key16, "JavaHome", sz, std::string(1, '\0')}}, false},
      {"relative home", {{key16, "JavaHome", sz, std::string("jre") + '\0'}}, false},
      {"the current drive's root", {{key16, "JavaHome", sz, std::string("\\jre") + '\0'}}, false},
      {"absolute home", {{key16, "JavaHome", sz, absolute}}, true},
  };
  for (const Case& c : cases) {
    std::vector<Value> values = c.home;
    values.push_back({key16, "RuntimeLib", sz, libraryPath + '\0'});
    writeRegistry(values);
    setPath(std::string(1, dirSep) + "old");
    LauncherState external;
    external.externalStart = true;
    EXPECT_EQ(c.ready ? EnvironmentOutcome::ready : EnvironmentOutcome::notReady,
              prepareEnvironment(external).outcome) << c.what;
    if (!c.ready) {
      EXPECT_EQ(std::string(1, dirSep) + "old", path()) << c.what << ": PATH must be left alone";
    }
    // The in-process route does not start java: any home will do for it.
    setPath(std::string(1, dirSep) + "old");
    LauncherState inProcess;
    EXPECT_EQ(EnvironmentOutcome::ready, prepareEnvironment(inProcess).outcome) << c.what;
  }
  // Through the marker there is no home at all.
  writeRegistry({});
  setPath(std::string(1, dirSep) + "obel" + dirSep + "jre" + dirSep + "bin" + dirSep + "r5vm");
  LauncherState external;
  external.externalStart = true;
  EXPECT_EQ(EnvironmentOutcome::notReady, prepareEnvironment(external).outcome);
}

TEST_F(Discovery, MarkerOnPathStandsInForTheRegistry) {
  const std::string marker = std::string(1, dirSep) + "jre" + dirSep + "bin" + dirSep + "r5vm";
  const std::string oldPath = std::string(1, dirSep) + "Obel" + marker + sep + dirSep + "mixed" +
                              dirSep + "Case" + sep + "relative";
  std::string capitals = oldPath;
  for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  // Even with a home in the registry: without "RuntimeLib" it is not read.
  writeRegistry({{key16, "JavaHome", sz, "home" + std::string(1, '\0')}});
  LauncherState state;
  setPath(oldPath);
  EXPECT_EQ(EnvironmentOutcome::ready, prepareEnvironment(state).outcome);
  // Capitals name the same directories only where file names ignore case.
  if (pathKeepsCurrentFolder()) {
    EXPECT_EQ(currentDirectory() + sep + (fileNamesIgnoreCase() ? capitals : oldPath), path());
  } else {
    EXPECT_EQ(oldPath.substr(0, oldPath.rfind(sep)), path());
  }
  EXPECT_TRUE(state.javaHome.isEmpty());
  // The runtime library is then found by its name, along PATH.
  EXPECT_TRUE(state.runtimeLibraryPath.isEmpty());

  // Without the marker nothing is found and PATH stays as it was.
  setPath("plain" + std::string(1, sep) + "Path");
  EXPECT_EQ(EnvironmentOutcome::notReady, prepareEnvironment(state).outcome);
  EXPECT_EQ("plain" + std::string(1, sep) + "Path", path());
}

TEST_F(Discovery, PathLongerThanThePlatformTakesIsNotSet) {
  const std::string oldPath = std::string(1, dirSep) + "old";
  setPath(oldPath);
  // The runtime's entry, an empty home, the current directory where it is kept, the old entry.
  const std::size_t fixed = pathKeepsCurrentFolder() ? currentDirectory().size() + oldPath.size() + 3
                                                     : oldPath.size() + 1;
  // A "RuntimeLib" without the file name goes on PATH whole: its length decides.
  const std::string fits = runtimeDir + std::string(longestPathValue() - fixed - runtimeDir.size(), 'r');
  writeRegistry({{key16, "RuntimeLib", sz, fits + '\0'}});
  LauncherState state;
  EXPECT_EQ(EnvironmentOutcome::ready, prepareEnvironment(state).outcome);
  EXPECT_EQ(longestPathValue(), path().size()) << path().substr(0, 40);

  setPath(oldPath);
  writeRegistry({{key16, "RuntimeLib", sz, fits + "r" + '\0'}});
  EXPECT_EQ(EnvironmentOutcome::notReady, prepareEnvironment(state).outcome);
  EXPECT_EQ(oldPath, path());
}

TEST_F(Discovery, LongCurrentDirectoryIsReadWhole) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps the current directory within 260 characters";
#else
  fs::path deep = fs::path(::testing::TempDir()) / "discovery_deep";
  fs::remove_all(deep);
  for (int i = 0; i < 6; ++i) deep /= std::string(60, static_cast<char>('a' + i));
  fs::create_directories(deep);
  fs::current_path(deep);
  writeRegistry({{key16, "RuntimeLib", sz, libraryPath + '\0'}});
  setPath("/old");
  LauncherState state;
  // Read, though POSIX leaves it off PATH: a deep directory is no reason not to start.
  EXPECT_EQ(EnvironmentOutcome::ready, prepareEnvironment(state).outcome);
  EXPECT_EQ(runtimeDir + sep + "/old", path());
  fs::current_path(savedDirectory_);
  fs::remove_all(fs::path(::testing::TempDir()) / "discovery_deep");
#endif
}

#ifndef _WIN32
TEST_F(Discovery, RegistryThatOthersMayChangeEndsTheSetUp) {
  writeRegistry({{key16, "RuntimeLib", sz, libraryPath + '\0'}});
  fs::permissions(registryFile_, fs::perms::others_write, fs::perm_options::add);
  setPath("/old");
  LauncherState state;
  EnvironmentResult result = prepareEnvironment(state);
  EXPECT_EQ(EnvironmentOutcome::ended, result.outcome);
  EXPECT_EQ(EnvironmentResult::registryRefused, result.failure);
  EXPECT_EQ("/old", path());
  EXPECT_TRUE(state.runtimeLibraryPath.isEmpty());
  const std::string why = IRegistry::refusal().c_str();
  EXPECT_NE(std::string::npos, why.find(registryFile_)) << why;
  EXPECT_NE(std::string::npos, why.find("may write it")) << why;
  // Put right, the same file is read again.
  fs::permissions(registryFile_, fs::perms::others_write, fs::perm_options::remove);
  EXPECT_EQ(EnvironmentOutcome::ready, prepareEnvironment(state).outcome);
  EXPECT_TRUE(IRegistry::refusal().isEmpty());
}
#endif

TEST_F(Discovery, VersionProbeStopsAtTheFirstMissingKey) {
  struct Case { const char* what; std::vector<Value> values; const char* version; };
  const std::string lib = libraryPath + '\0';
  const Case cases[] = {
      {"nothing installed", {}, ""},
      {"1.5.0 installed", {{key150, "RuntimeLib", sz, lib}, {key16, "RuntimeLib", sz, lib}}, "1.5.0"},
      {"1.5.0 key without its library", {{key150, "JavaHome", sz, lib}, {key16, "RuntimeLib", sz, lib}}, "1.6.0"},
      // The 1.6 key is not looked at when the 1.5.0 key is missing.
      {"only 1.6", {{key16, "RuntimeLib", sz, lib}}, ""},
  };
  for (const Case& c : cases) {
    writeRegistry(c.values);
    EXPECT_EQ(IString(c.version), probeInstalledVersion()) << c.what;
  }
}

} // namespace
