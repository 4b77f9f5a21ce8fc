// The command line of an exec, the quoting of one argument and the split by the Windows C
// runtime's rules: what the external java receives on every platform.
#include "iprocess.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using Args = std::vector<std::string>;

// The command line of program and the arguments each quoted, split again.
Args roundTrip(const std::string& program, const Args& arguments) {
  std::vector<std::string> quoted;
  for (const std::string& a : arguments)
    quoted.push_back(IProcess::quoteArgument(a));
  std::vector<const char*> elements{program.c_str()};
  for (const std::string& q : quoted)
    elements.push_back(q.c_str());
  elements.push_back(nullptr);
  return IProcess::splitCommandLine(IProcess::commandLine(elements.data()));
}

// Elements shown with their bytes visible, for a failure's message.
std::string shown(const Args& args) {
  std::string out;
  for (const std::string& a : args) {
    out += '[';
    for (char c : a)
      out += c == '\t' ? std::string("\\t") : std::string(1, c);
    out += "] ";
  }
  return out;
}

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
      {"p a\\", {"p", "a\\"}},                        // a trailing backslash stays
      {"", {""}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IProcess::splitCommandLine(c.line), c.args) << c.line;
}

TEST(CommandLine, TheProgramPathIsQuotedTheLaterElementsAreText) {
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
  const char* tab[] = {"C:\\a\tb\\", "x", nullptr};
  EXPECT_EQ(IProcess::commandLine(tab), "\"C:\\a\tb\\\" x"); // the name takes no escapes
  const char* empty[] = {"", nullptr};
  EXPECT_EQ(IProcess::commandLine(empty), "\"\"");
}

TEST(CommandLine, QuotingIsMinimalAndExact) {
  struct Case { const char* argument; const char* quoted; } cases[] = {
      {"-cp", "-cp"},
      {"a\\b\\", "a\\b\\"},                     // no quotes around: backslashes stay single
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"a\tb", "\"a\tb\""},
      {"a\"b", "\"a\\\"b\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},             // a\"b: the backslash doubled, the quote escaped
      {"a b\\", "\"a b\\\\\""},                 // a trailing backslash before the closing quote
      {"a\\b c", "\"a\\b c\""},                 // a backslash before a letter stays single
  };
  for (const Case& c : cases)
    EXPECT_EQ(IProcess::quoteArgument(c.argument), c.quoted) << c.argument;
}

TEST(CommandLine, QuotedArgumentsComeBackFromTheSplit) {
  struct Case { const char* program; Args args; } cases[] = {
      {"C:\\Program Files\\java\\bin\\java", {"-cp", "a b.jar", "Main"}},
      {"java", {"say \"hi\"", "\"", "\"\"", "a\"\"b"}},
      {"java", {"a\\\"b", "a\\\\\"b", "\\\"", "\\\\"}},     // backslashes before quotes
      {"java", {"a b\\", "c\\\\ d\\\\", "\\ ", " \\"}},      // trailing backslashes inside quotes
      {"java", {"", "x", "", ""}},                           // empty arguments, the last too
      {"java", {"\t", "a\tb", " \t "}},                      // tabs
      {"C:\\dir\\", {"x"}},                                  // a program path ending in \ .
      {"C:\\my dir\\", {"x\\", "y"}},                        // ... and with a blank
      {"", {"a"}},
      {"\t", {}},
  };
  for (const Case& c : cases) {
    Args expected = c.args;
    expected.insert(expected.begin(), c.program);
    EXPECT_EQ(roundTrip(c.program, c.args), expected) << shown(expected);
  }
}

// A deterministic generator (xorshift), so that a failure is the same on every run and machine.
class Generator {
public:
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<std::uint32_t>(state_ >> 32);
  }
  std::uint32_t below(std::uint32_t n) { return next() % n; }
  // A string over an alphabet in which quotes, backslashes, blanks and tabs are common.
  std::string text(const char* alphabet, std::uint32_t longest) {
    std::string s;
    std::string letters(alphabet);
    for (std::uint32_t n = below(longest + 1); n > 0; --n)
      s += letters[below(static_cast<std::uint32_t>(letters.size()))];
    return s;
  }

private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

TEST(CommandLine, EveryGeneratedElementListComesBack) {
  Generator random;
  for (int n = 0; n < 4000; ++n) {
    Args args;
    for (std::uint32_t k = random.below(6); k > 0; --k)
      args.push_back(random.text("\"\\\\\\ \t\tab", 9));
    std::string program = random.text("\\\\ \tC:x", 8); // a Windows path holds no quote
    Args expected = args;
    expected.insert(expected.begin(), program);
    ASSERT_EQ(roundTrip(program, args), expected) << "case " << n << ": " << shown(expected);
  }
}

TEST(CommandLine, TheLaterElementsPassAsTextWhateverTheProgramPathHolds) {
  // The external route's one element reaches java as three arguments, after a POSIX path with
  // every character that a Windows command line would read differently.
  const char* external = " -cp dorn.quillet.jar com/obel/dorntools/quillet/StartQuillet";
  const Args three = {"-cp", "dorn.quillet.jar", "com/obel/dorntools/quillet/StartQuillet"};
  for (const char* program : {"/opt/jre/bin/java", "/opt/a \"b\\\" $c/bin/java", "/x\"/bin/java",
                              "\"", "", "/tmp/a\\\"\t\"/bin/java"}) {
    const char* arguments[] = {program, external, nullptr};
    EXPECT_EQ(IProcess::passedArguments(arguments), three) << program;
  }
  // Without a quote in the path they are what the whole command line's split gives.
  const char* plain[] = {"C:\\Program Files\\jre\\bin\\java", "\"a b\" c\\\"d", "", "e", nullptr};
  Args whole = IProcess::splitCommandLine(IProcess::commandLine(plain));
  EXPECT_EQ(IProcess::passedArguments(plain), Args(whole.begin() + 1, whole.end()));
  EXPECT_EQ(IProcess::passedArguments(plain), Args({"a b", "c\"d", "e"}));
  const char* alone[] = {"/bin/java", nullptr};
  EXPECT_EQ(IProcess::passedArguments(alone), Args());
  EXPECT_EQ(IProcess::passedArguments(nullptr), Args());
}

} // namespace
