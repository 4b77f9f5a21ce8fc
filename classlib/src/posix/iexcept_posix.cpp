// POSIX backend of the exceptions: errno, strerror_r texts and the text message catalog.
//
// The message catalog is a text file, one message per line:
//
//   # a comment line; blank lines are ignored as well
//   <id> <text>
//
// <id> is a decimal message number at the start of the line, followed by one or more blanks
// or tabs and the message text up to the end of the line (a carriage return before the line
// feed is ignored). When an id occurs twice the first line counts. The text uses the escapes
// of a Windows message table, so one source serves both platforms: %1 to %99 insert the
// insert of that number (only %1 to %9 can be given; others read as empty), %% is a percent
// sign, %n a line feed, %r a carriage return, %t a tab, %0 ends the text, and %. %! and "% "
// stand for the character after the percent sign.
//
// The catalog is found as Windows finds a module of that name: a name with a slash is a
// path; a bare name is looked for in the program's directory, then in the current directory.
// Where the file does not exist as written, a file of the same name in another letter case
// is taken, as on Windows's case-blind file systems.
#include "iexcept_platform.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "isystem.hpp"

namespace iexc {

unsigned long lastErrorCode() noexcept { return static_cast<unsigned long>(errno); }

void setLastErrorCode(unsigned long code) noexcept { errno = static_cast<int>(code); }

namespace {

// glibc's strerror_r returns the text; the XSI one fills the buffer and returns 0.
[[maybe_unused]] const char* strerrorResult(int rc, const char* buffer) { return rc == 0 ? buffer : nullptr; }
[[maybe_unused]] const char* strerrorResult(const char* text, const char*) { return text; }

} // namespace

bool systemMessageText(unsigned long code, char* buffer, std::size_t size) noexcept {
  char scratch[256] = "";
  const char* text =
      strerrorResult(strerror_r(static_cast<int>(code), scratch, sizeof scratch), scratch);
  if (!text || !*text)
    return false;
  std::snprintf(buffer, size, "%s", text);
  trimLineEnd(buffer);
  return true;
}

namespace {

std::string programDirectory() {
  const std::string path = ISystem::programPath();
  const std::string::size_type slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Opens path, found as Windows's case-blind file systems would find it.
std::FILE* openCaseBlind(const std::string& path) {
  const std::string found = ISystem::pathWithoutCase(path);
  return found.empty() ? nullptr : std::fopen(found.c_str(), "rb");
}

std::FILE* openCatalog(const char* name) {
  if (!*name)
    return nullptr; // the program itself carries no catalog here
  if (std::strchr(name, '/'))
    return openCaseBlind(name);
  std::string dir = programDirectory();
  if (!dir.empty())
    if (std::FILE* f = openCaseBlind(dir + "/" + name))
      return f;
  return openCaseBlind(name);
}

// The text of message id in the open catalog, or false.
bool findMessage(std::FILE* f, unsigned long id, std::string& text) {
  std::string line;
  int c;
  bool more = true;
  while (more) {
    line.clear();
    while ((c = std::fgetc(f)) != EOF && c != '\n')
      line.push_back(static_cast<char>(c));
    more = c != EOF;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::size_t i = 0;
    unsigned long number = 0;
    bool overflow = false;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
      unsigned long next = number * 10 + static_cast<unsigned long>(line[i] - '0');
      overflow = overflow || next / 10 != number;
      number = next;
      ++i;
    }
    if (i == 0 || overflow || number != id)
      continue;
    if (i < line.size() && line[i] != ' ' && line[i] != '\t')
      continue;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
      ++i;
    text = line.substr(i);
    return true;
  }
  return false;
}

// Expands the escapes and inserts of a message text; false when the result does not fit.
bool expand(const std::string& pattern, const char* const inserts[maxInserts], char* buffer,
            std::size_t size) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '%' || i + 1 == pattern.size()) {
      out.push_back(c);
      continue;
    }
    char e = pattern[++i];
    if (e >= '1' && e <= '9') {
      unsigned long number = static_cast<unsigned long>(e - '0');
      if (i + 1 < pattern.size() && pattern[i + 1] >= '0' && pattern[i + 1] <= '9')
        number = number * 10 + static_cast<unsigned long>(pattern[++i] - '0');
      if (number <= maxInserts)
        out += inserts[number - 1];
    } else if (e == '0') {
      break;
    } else if (e == 'n') {
      out.push_back('\n');
    } else if (e == 'r') {
      out.push_back('\r');
    } else if (e == 't') {
      out.push_back('\t');
    } else {
      out.push_back(e);
    }
  }
  if (out.size() + 1 > size)
    return false;
  std::memcpy(buffer, out.c_str(), out.size() + 1);
  trimLineEnd(buffer);
  return true;
}

} // namespace

bool catalogMessage(const char* catalogName, unsigned long id, const char* const inserts[maxInserts],
                    char* buffer, std::size_t size) noexcept {
  try {
    std::FILE* f = openCatalog(catalogName);
    if (!f)
      return false;
    std::string text;
    bool found = findMessage(f, id, text);
    std::fclose(f);
    return found && expand(text, inserts, buffer, size < catalogTextSize ? size : catalogTextSize);
  } catch (...) { // out of memory: the caller falls back to its own text
    return false;
  }
}

} // namespace iexc
