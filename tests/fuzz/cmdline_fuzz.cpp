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

// The elements of an exec call: the program's path, then its arguments quoted by the round-trip
// rule (quote) or as they are; with a null pointer after the last, as the calls take them.
class Elements {
public:
  Elements(const std::string& program, const Args& arguments, bool quote) : strings_{program} {
    for (const std::string& a : arguments)
      strings_.push_back(quote ? IProcess::quoteArgument(a) : a);
    for (const std::string& e : strings_)
      pointers_.push_back(e.c_str());
    pointers_.push_back(nullptr);
  }
  const char* const* get() const { return pointers_.data(); }

private:
  Args strings_;
  std::vector<const char*> pointers_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // The input as a line: whatever it holds, its split quoted into a command line again splits
  // into the same (the program name of a split holds no quote, so the round trip applies).
  const Args split = IProcess::splitCommandLine(input);
  FUZZ_CHECK(!split.empty());
  FUZZ_CHECK(split[0].find('"') == std::string::npos);
  if (input.find('\0') == std::string::npos) // elements are C strings
    FUZZ_CHECK(IProcess::splitCommandLine(IProcess::commandLine(
                   Elements(split[0], Args(split.begin() + 1, split.end()), true).get())) == split);

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
  const Elements quoted(program, arguments, true);
  FUZZ_CHECK(IProcess::passedArguments(quoted.get()) == arguments);
  // ... and so does the program path when it holds no quote, as no Windows file name does.
  if (program.find('"') == std::string::npos)
    FUZZ_CHECK(IProcess::splitCommandLine(IProcess::commandLine(quoted.get())) == elements);

  // Unquoted, the later elements are text: what they give equals the split of their line.
  const Elements raw(program, arguments, false);
  std::string text = "p";
  for (const std::string& a : arguments)
    text += ' ' + a;
  const Args textSplit = IProcess::splitCommandLine(text);
  FUZZ_CHECK(IProcess::passedArguments(raw.get()) == Args(textSplit.begin() + 1, textSplit.end()));
  return 0;
}
