// The portable part of IProcess: the command line of an exec, and its split by the rules of the
// Windows C runtime.
#include "iprocess.hpp"

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::string IProcess::commandLine(const char* const* arguments) {
  std::string line;
  if (arguments == nullptr || arguments[0] == nullptr)
    return line;
  std::string program = arguments[0];
  bool quote = program.empty() || program.find_first_of(" \t") != std::string::npos;
  line = quote ? "\"" + program + "\"" : program;
  for (const char* const* a = arguments + 1; *a != nullptr; ++a) {
    line += ' ';
    line += *a;
  }
  return line;
}

std::vector<std::string> IProcess::splitCommandLine(const std::string& line) {
  std::vector<std::string> result;
  std::size_t i = 0, n = line.size();

  // The program name: quotes group, nothing is escaped.
  std::string program;
  bool quoted = false;
  for (; i < n; ++i) {
    char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && isBlank(c))
      break;
    program += c;
  }
  result.push_back(program);

  for (;;) {
    while (i < n && isBlank(line[i]))
      ++i;
    if (i >= n)
      break;
    std::string argument;
    quoted = false;
    while (i < n && (quoted || !isBlank(line[i]))) {
      std::size_t backslashes = 0;
      while (i < n && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < n && line[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
          ++i;
        } else if (quoted && i + 1 < n && line[i + 1] == '"') {
          // "" inside quotes: a literal quote, and the quotes go on.
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument.append(backslashes, '\\');
        if (i < n && (quoted || !isBlank(line[i]))) {
          argument += line[i];
          ++i;
        }
      }
    }
    result.push_back(argument);
  }
  return result;
}
