// The command line of an exec and its Windows split: any line splits without a fault, quoted
// elements come back from the split, and what a split gives is given again once re-quoted.
#include "fuzzcheck.hpp"
#include "iprocess.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

// The command line of program and arguments, each argument quoted.
std::string quotedLine(const std::string& program, const Args& arguments) {
  Args quoted;
  for (const std::string& a : arguments)
    quoted.push_back(IProcess::quoteArgument(a));
  std::vector<const char*> elements{program.c_str()};
  for (const std::string& q : quoted)
    elements.push_back(q.c_str());
  elements.push_back(nullptr);
  return IProcess::commandLine(elements.data());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // The input as a line: whatever it holds, its split quoted into a command line again splits
  // into the same (the program name of a split holds no quote, so the round trip applies).
  const Args split = IProcess::splitCommandLine(input);
  FUZZ_CHECK(!split.empty());
  FUZZ_CHECK(split[0].find('"') == std::string::npos);
  if (input.find('\0') == std::string::npos) // elements are C strings
    FUZZ_CHECK(IProcess::splitCommandLine(quotedLine(split[0], Args(split.begin() + 1, split.end()))) == split);

  // The input as elements, cut at its zero bytes (elements are C strings): the first is the
  // program's path, the rest its arguments.
  Args elements;
  std::size_t from = 0;
  for (;;) {
    std::size_t end = input.find('\0', from);
    elements.push_back(input.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos)
      break;
    from = end + 1;
  }
  const std::string program = elements[0];
  const Args arguments(elements.begin() + 1, elements.end());

  // Quoted, the arguments come back after any program path, quotes in it or not ...
  Args quoted;
  for (const std::string& a : arguments)
    quoted.push_back(IProcess::quoteArgument(a));
  std::vector<const char*> pointers{program.c_str()};
  for (const std::string& q : quoted)
    pointers.push_back(q.c_str());
  pointers.push_back(nullptr);
  FUZZ_CHECK(IProcess::passedArguments(pointers.data()) == arguments);
  // ... and so does the program path when it holds no quote, as no Windows file name does.
  if (program.find('"') == std::string::npos)
    FUZZ_CHECK(IProcess::splitCommandLine(IProcess::commandLine(pointers.data())) == elements);

  // Unquoted, the later elements are text: what they give equals the split of their line.
  std::vector<const char*> raw{program.c_str()};
  for (const std::string& a : arguments)
    raw.push_back(a.c_str());
  raw.push_back(nullptr);
  std::string text = "p";
  for (const std::string& a : arguments)
    text += ' ' + a;
  const Args textSplit = IProcess::splitCommandLine(text);
  FUZZ_CHECK(IProcess::passedArguments(raw.data()) == Args(textSplit.begin() + 1, textSplit.end()));
  return 0;
}
