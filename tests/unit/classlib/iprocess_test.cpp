// The command line of an exec and its split by the Windows C runtime's rules: what the external
// java receives on every platform.
#include "iprocess.hpp"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitFollowsTheWindowsRules) {
  struct Case { const char* line; Args args; } cases[] = {
      {"java -cp a.jar Main", {"java", "-cp", "a.jar", "Main"}},
      {"java  \t-cp\t\ta.jar  ", {"java", "-cp", "a.jar"}},
      {"\"C:\\Program Files\\java\\bin\\java\" -x", {"C:\\Program Files\\java\\bin\\java", "-x"}},
      // The program name takes no escapes: its backslashes and quotes are its own.
      {"C:\\a\\\"b c\" d", {"C:\\a\\b c", "d"}},
      {"p \"a b\" c", {"p", "a b", "c"}},
      {"p a\\\\b", {"p", "a\\\\b"}},                 // backslashes not before a quote stay
      {"p a\\\"b", {"p", "a\"b"}},                   // 2n+1 before a quote: n and a literal quote
      {"p \"a\\\\\" b", {"p", "a\\", "b"}},          // 2n before a quote: n, and the quote counts
      {"p \"a\"\"b\" c", {"p", "a\"b", "c"}},         // "" inside quotes: a literal quote
      {"p \"\" x", {"p", "", "x"}},                  // an empty quoted argument
      {"p \"unclosed arg", {"p", "unclosed arg"}},
      {"p a\"b c\"d", {"p", "ab cd"}},
      {"", {""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IProcess::splitCommandLine(c.line), c.args) << c.line;
}

TEST(CommandLine, TheProgramPathIsQuotedTheArgumentsAreNot) {
  const char* plain[] = {"/opt/jre/bin/java", " -cp dorn.quillet.jar com/obel/Start", nullptr};
  EXPECT_EQ(IProcess::commandLine(plain), "/opt/jre/bin/java  -cp dorn.quillet.jar com/obel/Start");
  const char* blank[] = {"/opt/java home/bin/java", " -cp x.jar Main", nullptr};
  EXPECT_EQ(IProcess::commandLine(blank), "\"/opt/java home/bin/java\"  -cp x.jar Main");
  // The round trip gives java its own path and then three arguments, leading blank or not.
  EXPECT_EQ(IProcess::splitCommandLine(IProcess::commandLine(blank)),
            Args({"/opt/java home/bin/java", "-cp", "x.jar", "Main"}));
  const char* windows[] = {"C:\\Program Files\\Obel\\jre\\bin\\java", " -cp dorn.quillet.jar X", nullptr};
  EXPECT_EQ(IProcess::splitCommandLine(IProcess::commandLine(windows)),
            Args({"C:\\Program Files\\Obel\\jre\\bin\\java", "-cp", "dorn.quillet.jar", "X"}));
  const char* empty[] = {"", nullptr};
  EXPECT_EQ(IProcess::commandLine(empty), "\"\"");
}

} // namespace
