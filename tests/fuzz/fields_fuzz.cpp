// The comma split of the argument string that the bridge hands the application: the fields
// joined with commas give the input back, and there is one field more than separating commas
// (every comma, or with a double-byte table every comma that starts a character).
#include "fuzzcheck.hpp"
#include "istring.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The lead bytes this process's strings were told of (as the string buffers read them).
const std::string& leadBytes() {
  static const std::string table = [] {
    const char* t = std::getenv("IDBCSTABLE");
    return std::string(t != nullptr ? t : "");
  }();
  return table;
}

// The separating commas, counted independently of IString: a lead byte and the byte after it
// are one character, and a comma behind a lead byte is no separator.
unsigned long separatingCommas(const std::string& text) {
  unsigned long count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\0' && leadBytes().find(text[i]) != std::string::npos) {
      ++i;
      continue;
    }
    if (text[i] == ',')
      ++count;
  }
  return count;
}

// The fields of text as held in held: one more than its separating commas, and joined with
// commas they give the text back.
void checkFields(const IString& held, const std::string& text) {
  const std::vector<IString> fields = held.fields(",");
  FUZZ_CHECK(fields.size() == separatingCommas(text) + 1);
  FUZZ_CHECK(fields.size() == held.occurrencesOf(",") + 1);
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      joined += ',';
    joined.append(fields[i].c_str(), fields[i].length());
  }
  FUZZ_CHECK(joined == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // The bridge gets a C string: a zero byte ends it.
  const std::string argumentString = input.substr(0, input.find('\0'));
  FUZZ_CHECK(IString::isDBCS() == !leadBytes().empty());

  checkFields(IString(argumentString.c_str()), argumentString);
  // The same text held with its zero bytes: lengths count, not terminators.
  checkFields(IString(input.data(), static_cast<unsigned long>(input.size())), input);
  return 0;
}
