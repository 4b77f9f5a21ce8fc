// Tests of IDynamicLinkLibrary against real fixture libraries: counts, search, dependencies,
// ordinals and files that cannot be loaded.
#include "idynlib.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ienviron.hpp"
#include "iexcept.hpp"
#include "quietlogger.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string join(const std::string& dir, const std::string& name) {
  return dir + IEnvironment::directorySeparator() + name;
}

std::string fixtures(const std::string& sub) {
  return join(join(IEnvironment::programDirectory().c_str(), "fixtures"), sub);
}

// The file name the platform gives a library of that base name.
std::string libraryFile(const std::string& base) {
#ifdef _WIN32
  return base + ".dll";
#else
  return "lib" + base + ".so";
#endif
}

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Asks the platform itself whether the file is loaded in this process.
bool platformHasLoaded(const std::string& path) {
#ifdef _WIN32
  return ::GetModuleHandleA(path.c_str()) != nullptr;
#else
  void* handle = ::dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (handle)
    ::dlclose(handle);
  return handle != nullptr;
#endif
}

template <typename Result>
Result call(const IDynamicLinkLibrary& library, const char* name) {
  return reinterpret_cast<Result (*)()>(library.procAddress(name))();
}

// Sets PATH and the current directory for one test and puts them back afterwards.
class Scene {
public:
  Scene(const std::string& path, const std::string& currentDirectory)
      : path_(IEnvironment::variable("PATH").c_str()), cwd_(fs::current_path()) {
    IEnvironment::setVariable("PATH", path.c_str());
    fs::current_path(currentDirectory.empty() ? fs::temp_directory_path()
                                              : fs::path(currentDirectory));
  }
  ~Scene() {
    IEnvironment::setVariable("PATH", path_.c_str());
    fs::current_path(cwd_);
  }

private:
  std::string path_;
  fs::path cwd_;
};

// MinGW: copy_file with overwrite_existing fails when the target exists; remove it first.
void copyFresh(const std::string& from, const std::string& to) {
  fs::remove(to);
  fs::copy_file(from, to);
}

// Loading name must raise the load error with its exact text.
void expectLoadError(const std::string& name) {
  QuietLogger quiet;
  try {
    IDynamicLinkLibrary library(name.c_str());
    ADD_FAILURE() << "loaded: " << name;
  } catch (const IAccessError& e) {
    EXPECT_EQ("LoadLibrary : " + name + ":No error text is available.", std::string(e.text()));
  }
}

} // namespace

TEST(DynamicLinkLibraryLoad, TwoObjectsLoadOnceAndReleaseInEitherOrder) {
  Scene scene(fixtures("main"), "");
  std::string file = join(fixtures("main"), libraryFile("dynfixture"));
  for (bool firstGoesFirst : {true, false}) {
    ASSERT_FALSE(platformHasLoaded(file));
    auto* first = new IDynamicLinkLibrary("dynfixture");
    auto* second = new IDynamicLinkLibrary("dynfixture");
    EXPECT_EQ(first->handle(), second->handle());
    EXPECT_EQ(2u, first->module()->useCount());
    EXPECT_EQ(42, call<int>(*second, "fixtureAnswer"));
    EXPECT_TRUE(platformHasLoaded(file));

    delete (firstGoesFirst ? first : second);
    IDynamicLinkLibrary* left = firstGoesFirst ? second : first;
    EXPECT_TRUE(left->isLoaded());
    EXPECT_TRUE(platformHasLoaded(file));
    EXPECT_EQ(42, call<int>(*left, "fixtureAnswer"));
    delete left;
    EXPECT_FALSE(platformHasLoaded(file));
  }
}

TEST(DynamicLinkLibraryLoad, NamesDifferingInCaseShareThePlatformModule) {
  Scene scene(fixtures("main"), "");
  std::string file = join(fixtures("main"), libraryFile("dynfixture"));
  {
    IDynamicLinkLibrary lowerCase("dynfixture");
    {
      IDynamicLinkLibrary mixedCase("DynFixture");
      EXPECT_NE(lowerCase.module(), mixedCase.module());
      EXPECT_EQ(lowerCase.handle(), mixedCase.handle());
      EXPECT_EQ(1u, mixedCase.module()->useCount());
      // The module keeps the file's own name, whatever case it was asked for in.
      EXPECT_EQ(lower(file), lower(mixedCase.fileName().c_str()));
    }
    EXPECT_TRUE(platformHasLoaded(file));
    EXPECT_EQ(42, call<int>(lowerCase, "fixtureAnswer"));
  }
  EXPECT_FALSE(platformHasLoaded(file));
}

TEST(DynamicLinkLibraryLoad, SearchesProgramDirectoryThenPathButNeverTheCurrentDirectory) {
  // dynorder lies next to the program (1); dynplace in the current directory (2) and along
  // PATH (3).
  Scene scene(fixtures("path"), fixtures("cwd"));
  {
    IDynamicLinkLibrary order("dynorder");
    EXPECT_EQ(1, call<int>(order, "fixtureValue"));
  }
  {
    IDynamicLinkLibrary place("dynplace");
    EXPECT_EQ(3, call<int>(place, "fixtureValue"));
  }
  // PATH is read at each load, not when the program started. Without the folder on it, the
  // copy in the current directory is not found.
  IEnvironment::setVariable("PATH", fixtures("main").c_str());
  expectLoadError("dynplace");
#ifndef _WIN32
  // Nor through an entry that leads there (empty, ".", or relative to it). (Windows reads PATH
  // itself, as written: there such an entry is the user's own word.)
  const std::string sep(1, IEnvironment::pathSeparator());
  for (const std::string& path : {fixtures("main") + sep, sep + fixtures("main"),
                                  "." + sep + fixtures("main"), fixtures("main") + sep + "./"}) {
    SCOPED_TRACE(path);
    IEnvironment::setVariable("PATH", path.c_str());
    expectLoadError("dynplace");
  }
  fs::current_path(fixtures(""));
  IEnvironment::setVariable("PATH", "cwd");
  expectLoadError("dynplace");
#endif
}

#ifndef _WIN32
TEST(DynamicLinkLibraryLoad, FilesThatOthersMayChangeAreNotLoaded) {
  const std::string open = fixtures("open"), guarded = fixtures("guarded");
  fs::create_directories(open);
  fs::create_directories(guarded);
  const std::string library = libraryFile("dynplace");
  copyFresh(join(fixtures("cwd"), library), join(open, library));   // value 2
  copyFresh(join(fixtures("path"), library), join(guarded, library)); // value 3
  fs::permissions(join(open, library), fs::perms::others_write, fs::perm_options::add);
  const std::string sep(1, IEnvironment::pathSeparator());

  // Along PATH the search passes over it to the next copy.
  Scene scene(open + sep + guarded, "");
  {
    IDynamicLinkLibrary place("dynplace");
    EXPECT_EQ(3, call<int>(place, "fixtureValue"));
  }
  // By its full path, or as the only copy, it does not load.
  expectLoadError(join(open, library));
  IEnvironment::setVariable("PATH", open.c_str());
  expectLoadError("dynplace");

  // A file only its owner may write, in a folder that anyone may write and that has no sticky
  // bit: anyone may put another file in its place.
  fs::permissions(join(open, library), fs::perms::others_write, fs::perm_options::remove);
  fs::permissions(open, fs::perms::all);
  expectLoadError(join(open, library));
  // With the sticky bit (as /tmp has it) only the file's owner may replace it.
  fs::permissions(open, fs::perms::sticky_bit, fs::perm_options::add);
  IDynamicLinkLibrary sticky(join(open, library).c_str());
  EXPECT_EQ(2, call<int>(sticky, "fixtureValue"));
  fs::permissions(open, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
}
#endif

TEST(DynamicLinkLibraryLoad, DependencyIsFoundAlongPath) {
  std::string pathSeparator(1, IEnvironment::pathSeparator());
  std::string base = join(fixtures("base"), libraryFile("dynbase"));
  {
    // Without the base library's folder on PATH the dependent library cannot load.
    Scene scene(fixtures("dep"), "");
    expectLoadError("dyndep");
    EXPECT_FALSE(platformHasLoaded(base));
  }
  Scene scene(fixtures("dep") + pathSeparator + fixtures("base"), "");
  {
    IDynamicLinkLibrary dep("dyndep");
    EXPECT_EQ(42, call<int>(dep, "depValue"));
    EXPECT_TRUE(platformHasLoaded(base));
    // Only the library's own exports count, not those of what it needs.
    QuietLogger quiet;
    EXPECT_THROW(dep.procAddress("baseValue"), IAccessError);
  }
  // The dependency goes with the library that brought it in.
  EXPECT_FALSE(platformHasLoaded(base));
}

TEST(DynamicLinkLibraryLoad, FullPathsAndFileName) {
  std::string file = join(fixtures("main"), libraryFile("dynfixture"));
  Scene scene(fixtures("main"), "");
  IDynamicLinkLibrary byName("dynfixture");
  IDynamicLinkLibrary byPath(file.c_str());
  EXPECT_NE(byName.module(), byPath.module());
  EXPECT_EQ(byName.handle(), byPath.handle());
  EXPECT_EQ(lower(file), lower(byName.fileName().c_str()));
#ifndef _WIN32
  // A path whose last part has no extension is completed as a bare name is.
  IDynamicLinkLibrary completed(join(fixtures("main"), "dynfixture").c_str());
  EXPECT_EQ(byName.handle(), completed.handle());
  // A trailing '.' asks for the name exactly as written.
  expectLoadError(join(fixtures("main"), "dynfixture."));
#endif
}

TEST(DynamicLinkLibraryLoad, EntryPointsByOrdinal) {
  Scene scene(fixtures("main"), "");
  IDynamicLinkLibrary library("dynfixture");
  QuietLogger quiet;
#ifdef _WIN32
  // Only the low 16 bits are the ordinal.
  EXPECT_EQ(library.procAddress("fixtureAnswer"), library.procAddress(0x10005ul));
  EXPECT_EQ(library.procAddress("fixtureName"), library.procAddress(7ul));
  EXPECT_THROW(library.procAddress(0ul), IAccessError);
#endif
  try {
    library.procAddress(0x70009ul);
    ADD_FAILURE() << "ordinal 9 found";
  } catch (const IAccessError& e) {
    EXPECT_STREQ("GetProcAddress #: 9:No error text is available.", e.text());
  }
#ifndef _WIN32
  // ELF has no ordinals, not even for names that exist.
  EXPECT_THROW(library.procAddress(5ul), IAccessError);
#endif
}

TEST(DynamicLinkLibraryLoad, FilesThatAreNoLibrariesRaiseTheLoadError) {
  std::string bad = fixtures("bad");
  std::string good = fixtures("good");
  fs::create_directories(bad);
  fs::create_directories(good);
  std::ofstream(join(bad, libraryFile("empty")), std::ios::binary | std::ios::trunc).flush();
  std::ofstream(join(bad, libraryFile("text")), std::ios::trunc) << "not a library\n";
  copyFresh(join(fixtures("other"), libraryFile("dynother")),
            join(bad, libraryFile("dynother")));
  {
    // The headers of a real library and nothing behind them.
    std::ifstream whole(join(fixtures("main"), libraryFile("dynfixture")), std::ios::binary);
    std::vector<char> head(1024);
    whole.read(head.data(), static_cast<std::streamsize>(head.size()));
    std::ofstream(join(bad, libraryFile("truncated")), std::ios::binary | std::ios::trunc)
        .write(head.data(), whole.gcount());
  }

  Scene scene(bad, "");
  for (const char* base : {"empty", "text", "truncated", "dynother"}) {
    SCOPED_TRACE(base);
    expectLoadError(base);
    expectLoadError(join(bad, libraryFile(base)));
  }
  // A library of the other word size is passed over by the search, as Windows does.
  copyFresh(join(fixtures("main"), libraryFile("dynfixture")),
            join(good, libraryFile("dynother")));
  IEnvironment::setVariable("PATH", (bad + IEnvironment::pathSeparator() + good).c_str());
  IDynamicLinkLibrary found("dynother");
  EXPECT_EQ(42, call<int>(found, "fixtureAnswer"));
}

TEST(DynamicLinkLibraryLoad, OddNamesLoadOrFailCleanly) {
  std::string odd = fixtures("odd");
  fs::create_directories(odd);
  copyFresh(join(fixtures("main"), libraryFile("dynfixture")),
            join(odd, libraryFile("dyn blank")));
  Scene scene(odd, "");
  {
    IDynamicLinkLibrary blank("dyn blank");
    EXPECT_EQ(42, call<int>(blank, "fixtureAnswer"));
  }
  expectLoadError("dyn\xE9missing");
  expectLoadError(std::string(3000, 'q'));
  expectLoadError(join(odd, std::string(300, 'q')));
  expectLoadError("no\\such/dir\\dyn");
}
