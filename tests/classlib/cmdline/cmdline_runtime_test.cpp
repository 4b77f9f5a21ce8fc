// IProcess's split of a command line against the C runtime's own: this program starts itself
// with a command line, and the copy writes the arguments its runtime split off to a file.
#include "iprocess.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

const char* const dumpVariable = "CMDLINE_RUNTIME_DUMP";

// In the started copy: its arguments, each ended by a zero byte, into the file the variable names.
int dumpArguments(const char* file, int argc, char** argv) {
  FILE* out = std::fopen(file, "wb");
  if (out == nullptr)
    return 2;
  for (int i = 0; i < argc; ++i)
    std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
  return std::fclose(out) == 0 ? 0 : 2;
}

// The arguments the C runtime makes of line, as this program started with it receives them.
Args runtimeSplit(const std::string& line) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string file = std::string(dir) + "cmdline_runtime_" + std::to_string(GetCurrentProcessId()) + ".bin";
  SetEnvironmentVariableA(dumpVariable, file.c_str());
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Wine has been seen to fail a start now and then on a loaded machine: a start is not what
  // is tested here, so it is tried again.
  BOOL started = FALSE;
  for (int attempt = 0; attempt < 3 && !started; ++attempt)
    started = CreateProcessA(self, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process);
  SetEnvironmentVariableA(dumpVariable, nullptr);
  if (!started)
    return {"<not started: error " + std::to_string(GetLastError()) + ">"};
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  DeleteFileA(file.c_str());
  if (status != 0)
    return {"<status " + std::to_string(status) + ">"};
  Args args;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\0', at);
    args.push_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  return args;
}

// Wine: its C runtime reads the program name by the rules of the arguments (Windows takes no
// escapes there), so the lines here start with a plain name, and the name's own rule is left
// to the unit tests.
TEST(CommandLineRuntime, TheSplitIsTheRuntimes) {
  const char* lines[] = {
      "java -cp a.jar Main",
      "\"C:\\Program Files\\java\\bin\\java\"  -cp dorn.quillet.jar com/obel/Start",
      "p \"a b\" c\t\"\"",
      "p a\\\\b a\\\"b \"a\\\\\" b",
      "p \"a\"\"b\" c",
      "p \"\"\"a\" \"\"\"\"",
      "p \"unclosed \\\\\\\\",
      "p a\"b c\"d a\\",
      "\"\" x",
  };
  for (const char* line : lines)
    EXPECT_EQ(runtimeSplit(line), IProcess::splitCommandLine(line)) << line;
}

TEST(CommandLineRuntime, QuotedArgumentsReachTheProgram) {
  // Lines over an alphabet of quotes, backslashes, blanks and tabs, made by a fixed generator:
  // each once as a line of its own and once as elements quoted into a command line.
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state](std::uint32_t n) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 32) % n;
  };
  const std::string alphabet = "\"\"\\\\\\  \tab";
  for (int n = 0; n < 80; ++n) {
    std::string line = "p ";
    for (std::uint32_t k = next(12) + 1; k > 0; --k)
      line += alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
    EXPECT_EQ(runtimeSplit(line), IProcess::splitCommandLine(line)) << line;

    Args elements = {"C:\\my dir\\p.exe"};
    for (std::uint32_t k = next(4); k > 0; --k) {
      std::string a;
      for (std::uint32_t m = next(6); m > 0; --m)
        a += alphabet[next(static_cast<std::uint32_t>(alphabet.size()))];
      elements.push_back(a);
    }
    Args quotedElements = {elements[0]};
    for (std::size_t i = 1; i < elements.size(); ++i)
      quotedElements.push_back(IProcess::quoteArgument(elements[i]));
    std::vector<const char*> pointers;
    for (const std::string& e : quotedElements)
      pointers.push_back(e.c_str());
    pointers.push_back(nullptr);
    const std::string quoted = IProcess::commandLine(pointers.data());
    EXPECT_EQ(runtimeSplit(quoted), elements) << quoted;
  }
}

} // namespace

int main(int argc, char** argv) {
  if (const char* file = std::getenv(dumpVariable))
    return dumpArguments(file, argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
