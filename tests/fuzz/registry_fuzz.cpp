// The registry file reader: any bytes parse without a fault and give consistent answers, and a
// value written as the registry editor exports it (escaped) reads back exactly.
#include "fuzzcheck.hpp"
#include "iregistry.hpp"
#include "iregistryfile.hpp"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Text in a quoted name or value of the export format: backslashes and quotes escaped.
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"')
      out += '\\';
    out += c;
  }
  return out;
}

std::string withoutAny(std::string text, const char* bytes, std::size_t count) {
  std::string out;
  for (char c : text)
    if (std::string(bytes, count).find(c) == std::string::npos)
      out += c;
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  // The whole input as a file.
  IRegistryFile file;
  if (file.parse(input)) {
    FUZZ_CHECK(file.refusal().empty());
    FUZZ_CHECK(file.problems().size() <= IRegistryFile::problemsKept);
    FUZZ_CHECK(file.problems().size() <= file.problemCount());
    unsigned long previous = 0;
    for (const IRegistryFile::Problem& p : file.problems()) {
      FUZZ_CHECK(p.line >= previous && p.line >= 1);
      previous = p.line;
    }
    // The lookups the launcher makes.
    IRegistryFile::KeyId key =
        file.findKey("HKLM\\SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6");
    IRegistryFile::Value value{};
    if (file.findValue(key, "JavaHome", value))
      FUZZ_CHECK(value.data != nullptr || value.size == 0);
    file.findValue(file.findKey("HKEY_LOCAL_MACHINE"), "", value);
    file.findKey("", file.findKey("HKLM\\SOFTWARE"));
  } else {
    FUZZ_CHECK(!file.refusal().empty());
    FUZZ_CHECK(file.findKey("HKLM") == IRegistryFile::noKey);
  }

  // The input as a key name, a value name and a value's text, written in the export format: a
  // line end would cut the line, a backslash part the key's path, and names are C strings.
  const std::string text = withoutAny(input, "\r\n", 2);
  std::string keyName = withoutAny(input, "\r\n\\\0", 4).substr(0, IRegistryFile::longestKeyName);
  const std::string valueName = withoutAny(input, "\r\n\0", 3).substr(0, IRegistryFile::longestValueName);
  // A leading '-' removes the key, and blanks around a line are not part of it.
  while (!keyName.empty() && (keyName[0] == '-' || keyName[0] == ' ' || keyName[0] == '\t'))
    keyName.erase(0, 1);
  if (keyName.empty())
    keyName = "k";
  const std::string written = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\" +
                              keyName + "]\r\n\"" + escaped(valueName) + "\"=\"" + escaped(text) +
                              "\"\r\n";
  IRegistryFile exported;
  FUZZ_CHECK(exported.parse(written));
  FUZZ_CHECK(exported.problemCount() == 0);
  IRegistryFile::KeyId key = exported.findKey(("HKLM\\SOFTWARE\\" + keyName).c_str());
  FUZZ_CHECK(key != IRegistryFile::noKey);
  IRegistryFile::Value value{};
  FUZZ_CHECK(exported.findValue(key, valueName.c_str(), value));
  FUZZ_CHECK(value.type == IRegistry::typeString);
  FUZZ_CHECK(std::string(value.data, value.size) == text + '\0');
  return 0;
}
