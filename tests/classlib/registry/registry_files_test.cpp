// quillet's registry reads (the launcher's runtime discovery) against generated and hostile
// registry files: what is found, what the exception log says, and that every read ends soon.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "discovery.hpp"
#include "launcherstate.hpp"
#include "recordinglogger.hpp"

// Allocations of 1 MB and more can be made to fail: the reader's buffers are the only ones.
// Every form of new and delete is replaced, so that all of them meet malloc and free.
namespace {
std::atomic<long> largeAllocationsLeft{-1}; // -1: no limit
const std::size_t largeAllocation = 1 << 20;

void* allocate(std::size_t size) {
  if (size >= largeAllocation) {
    long left = largeAllocationsLeft.load();
    if (left == 0) throw std::bad_alloc();
    if (left > 0) largeAllocationsLeft.store(left - 1);
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept {
  try {
    return allocate(size);
  } catch (std::bad_alloc&) {
    return nullptr;
  }
}
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
// GCC sees free() meet what a new expression made; this operator new made it with malloc().
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
const double slowdown = 5; // the sanitizers' build runs several times slower
#else
const double slowdown = 1;
#endif

const std::string runtimeKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6";
const std::string library = "/opt/obel/jre/lib/server/libjvm.so";
const std::string home = "/opt/obel/jre";
const std::string runtimeLibLine = "\"RuntimeLib\"=\"" + library + "\"";
const std::string javaHomeLine = "\"JavaHome\"=\"" + home + "\"";

// n sections of other products, as an installer writes them.
std::string otherKeys(long n) {
  std::string text;
  for (long k = 0; k < n; ++k) {
    text += "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor " + std::to_string(k % 97) + "\\Product " +
            std::to_string(k) + "]\n\"InstallDir\"=\"/opt/product/" + std::to_string(k) + "\"\n";
  }
  return text;
}

std::string runtimeSection() { return "\n[" + runtimeKey + "]\n" + runtimeLibLine + "\n" + javaHomeLine + "\n"; }

// The UTF-16LE form of an ASCII text.
std::string utf16(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

class RegistryFiles : public ::testing::Test {
protected:
  struct Reading {
    bool found = false;
    std::string entries;  // what goes on PATH
    std::string javaHome;
    double seconds = 0;
  };

  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / "registry_files_test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "registry.reg").string();
    use(path_);
  }
  void TearDown() override {
    largeAllocationsLeft = -1;
    unsetenv("IREGISTRY");
    fs::remove_all(dir_);
  }

  void use(const std::string& path) { setenv("IREGISTRY", path.c_str(), 1); }
  // Replaced as installers replace it.
  void write(const std::string& text) {
    std::ofstream(path_ + ".new", std::ios::binary) << text;
    fs::rename(path_ + ".new", path_);
  }

  // The runtime as quillet looks it up at start-up, timed. A read that does not end within a
  // minute ends the test program: a blocked thread cannot be taken back.
  static Reading read() {
    auto result = std::make_shared<std::promise<Reading>>();
    std::future<Reading> reading = result->get_future();
    std::thread([result] {
      Reading r;
      LauncherState state;
      auto start = std::chrono::steady_clock::now();
      PathEntries entries = lookUpRuntimeLibrary(state);
      r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      r.found = entries.found;
      r.entries = entries.text.c_str();
      r.javaHome = state.javaHome.c_str();
      result->set_value(r);
    }).detach();
    if (reading.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
      std::fprintf(stderr, "FAILED: the registry read did not end within a minute\n");
      std::fflush(stderr);
      std::_Exit(1);
    }
    return reading.get();
  }

  void expectRuntimeFound(const Reading& r, const std::string& what) {
    EXPECT_TRUE(r.found) << what;
    EXPECT_EQ("/opt/obel/jre/lib/server:" + home, r.entries) << what;
    EXPECT_EQ(home, r.javaHome) << what;
  }

  fs::path dir_;
  std::string path_;
  RecordingLogger log_;
};

TEST_F(RegistryFiles, ManyKeysAndValuesAreReadWithinASecond) {
  std::string manyValues = "REGEDIT4\n[" + runtimeKey + "]\n" + runtimeLibLine + "\n";
  for (int k = 0; k < 40000; ++k) manyValues += "\"Value " + std::to_string(k) + "\"=dword:" + std::to_string(k) + "\n";
  manyValues += javaHomeLine + "\n";
  // The largest file read: other keys up to 8 MB, the runtime last.
  std::string largest = "REGEDIT4\n" + otherKeys(110000);
  largest = largest.substr(0, largest.rfind('[', 8 * 1024 * 1024 - 2048)) + runtimeSection();

  struct Case { const char* what; std::string text; };
  const Case cases[] = {
      {"40,000 keys", "Windows Registry Editor Version 5.00\n" + otherKeys(40000) + runtimeSection()},
      {"40,000 values in one key", manyValues},
      {"just under 8 MB", largest},
  };
  for (const Case& c : cases) {
    write(c.text);
    Reading r = read();
    expectRuntimeFound(r, c.what);
    EXPECT_LT(r.seconds, 1.0 * slowdown) << c.what;
    std::printf("  %s (%zu bytes): read in %.3f s\n", c.what, c.text.size(), r.seconds);
  }
  EXPECT_TRUE(log_.records.empty()) << log_.all();
}

TEST_F(RegistryFiles, FilesItCannotUseGiveNoKeyAndOneRecord) {
  // A file larger than the limit is not read at all: this one would hold the runtime.
  const std::string large = (dir_ / "large.reg").string();
  std::ofstream(large, std::ios::binary) << "REGEDIT4\n" << runtimeSection();
  fs::resize_file(large, 100 * 1024 * 1024);
  const std::string fifo = (dir_ / "fifo.reg").string();
  ASSERT_EQ(0, std::system(("mkfifo '" + fifo + "'").c_str()));
  const std::string directory = (dir_ / "directory.reg").string();
  fs::create_directory(directory);
  const std::string noHeader = (dir_ / "noheader.reg").string();
  std::ofstream(noHeader, std::ios::binary) << runtimeSection();

  struct Case { std::string path; const char* reason; };
  const Case cases[] = {
      {large, "it is larger than 8 MB"},
      {"/dev/zero", "it is a character device"},
      {"/dev/urandom", "it is a character device"},
      {fifo, "it is a FIFO"},
      {directory, "it is a directory"},
      {noHeader, "it does not begin with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\""},
  };
  for (const Case& c : cases) {
    log_.records.clear();
    use(c.path);
    // quillet reads the file more than once at start-up: it says why it does not use it once.
    for (int i = 0; i < 2; ++i) {
      Reading r = read();
      EXPECT_FALSE(r.found) << c.path;
      EXPECT_LT(r.seconds, 1.0 * slowdown) << c.path;
    }
    EXPECT_FALSE(readRegistryValue(runtimeKey16, "JavaHome").keyOpened) << c.path;
    ASSERT_EQ(1u, log_.records.size()) << c.path << "\n" << log_.all();
    EXPECT_EQ(1u, log_.countOf("registry file \"" + c.path + "\" is not used, no key is read from it: " +
                               c.reason))
        << log_.all();
  }
}

TEST_F(RegistryFiles, AMalformedLineCostsOnlyItselfInEveryEncoding) {
  // The runtime's two values with malformed lines around and between them; the lines that
  // are malformed, and only they, are reported, each with its line.
  const std::vector<std::string> lines = {
      "Windows Registry Editor Version 5.00",              // 1
      "# written by hand",                                 // 2
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]",             // 3
      "\"x\"=\"y\" ;a comment after the value",            // 4
      "\"big\"=dword:123456789",                           // 5: too many digits
      "\"bytes\"=hex:2f,123",                              // 6: not a byte
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Broken",             // 7: no "]", its values go with it
      "\"lost\"=\"with its section\"",                     // 8
      "[" + runtimeKey + "]",                              // 9
      "\"unclosed",                                        // 10
      runtimeLibLine,                                      // 11
      "\"stray\"=hex:41,\\",                               // 12: its next line is no bytes
      javaHomeLine,                                        // 13
      "junk",                                              // 14
  };
  const unsigned long badLines[] = {5, 6, 7, 10, 12, 14};
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  std::string crOnly = text;
  for (char& c : crOnly) if (c == '\n') c = '\r';
  std::string crlf;
  for (const std::string& l : lines) crlf += l + "\r\n";

  struct Case { const char* what; std::string bytes; };
  const Case cases[] = {
      {"LF", text},
      {"CR only", crOnly},
      {"UTF-16LE with its byte order mark", "\xFF\xFE" + utf16(crlf)},
      {"UTF-16LE without it", utf16(crlf)},
  };
  for (const Case& c : cases) {
    log_.records.clear();
    write(c.bytes);
    expectRuntimeFound(read(), c.what);
    ASSERT_EQ(6u, log_.records.size()) << c.what << "\n" << log_.all();
    for (unsigned long line : badLines) {
      EXPECT_EQ(1u, log_.countOf("registry file \"" + path_ + "\", line " + std::to_string(line) + ": "))
          << c.what << ": line " << line << "\n" << log_.all();
    }
    EXPECT_EQ(1u, log_.countOf("line 5: dword value of more than 8 hex digits: \"123456789\"; the line is skipped"))
        << log_.all();
  }
}

TEST_F(RegistryFiles, ManyMalformedLinesAreReportedOnceInSum) {
  std::string text = "REGEDIT4\n";
  for (int i = 0; i < 100000; ++i) text += "not a registry line\n";
  text += runtimeSection();
  write(text);
  Reading r = read();
  expectRuntimeFound(r, "after 100,000 malformed lines");
  EXPECT_LT(r.seconds, 1.0 * slowdown);
  ASSERT_EQ(11u, log_.records.size()) << log_.all();
  EXPECT_EQ(1u, log_.countOf("line 11: neither a section, a value nor a comment"));
  EXPECT_EQ(1u, log_.countOf("registry file \"" + path_ +
                             "\": 99990 more malformed lines are skipped, the last on line 100001"))
      << log_.all();
}

TEST_F(RegistryFiles, NoMemoryForTheFileGivesNoKeyAndOneRecord) {
  // A file of some megabytes: its buffer cannot be had, then the store for its names.
  const std::string text = "REGEDIT4\n" + otherKeys(30000) + runtimeSection();
  ASSERT_GT(text.size(), largeAllocation);
  for (long allowed : {0, 1}) {
    log_.records.clear();
    write(text + std::string(static_cast<std::size_t>(allowed), '\n')); // a new version each time
    largeAllocationsLeft = allowed;
    Reading r = read();
    largeAllocationsLeft = -1;
    EXPECT_FALSE(r.found) << allowed;
    ASSERT_EQ(1u, log_.records.size()) << log_.all();
    EXPECT_EQ(1u, log_.countOf("registry file \"" + path_ + "\" is not used, no key is read from it: "
                               "there is not enough memory to read it"))
        << log_.all();
  }
  write(text);
  expectRuntimeFound(read(), "with memory again");
}

} // namespace
