// The portable part of IProcess: the command line of an exec, the quoting of one argument, and
// the split by the rules of the Windows C runtime.
#include "iprocess.hpp"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The program name from the start of line: quotes group, nothing is escaped. Leaves i behind it.
std::string readProgramName(const std::string& line, std::size_t& i) {
  std::string program;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && isBlank(c))
      break;
    program += c;
  }
  return program;
}

// The arguments of line from i on, appended to result.
void readArguments(const std::string& line, std::size_t i, std::vector<std::string>& result) {
  const std::size_t n = line.size();
  for (;;) {
    while (i < n && isBlank(line[i]))
      ++i;
    if (i >= n)
      break;
    std::string argument;
    bool quoted = false;
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
}

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

std::string IProcess::quoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
    return argument;
  // Backslashes count only in front of a quote: those before a quote of the argument, and those
  // at its end (before the closing quote), are doubled; the others stay single.
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(2 * backslashes + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

std::vector<std::string> IProcess::splitCommandLine(const std::string& line) {
  std::vector<std::string> result;
  std::size_t i = 0;
  result.push_back(readProgramName(line, i));
  readArguments(line, i, result);
  return result;
}

std::vector<std::string> IProcess::passedArguments(const char* const* arguments) {
  // The program name ends at the blank that commandLine puts behind it whenever its path
  // holds no quote, so the rest of the line is read as the later elements alone: a quote in
  // the path (possible on POSIX) cannot take them into the name.
  std::string rest;
  if (arguments != nullptr && arguments[0] != nullptr) {
    for (const char* const* a = arguments + 1; *a != nullptr; ++a) {
      rest += ' ';
      rest += *a;
    }
  }
  std::vector<std::string> result;
  readArguments(rest, 0, result);
  return result;
}
