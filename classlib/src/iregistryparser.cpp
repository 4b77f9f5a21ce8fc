// The registry file reader's parser: the registry editor's export format read line by line into
// the key tree. Only the POSIX registry reads such files; the reader stays portable so that its
// tests run on every target, Windows builds under Wine included.
#include "iregistryfile.hpp"

#include <cstring>
#include <string>
#include <string_view>

#include "iregistry.hpp"
#include "iregistrynames.hpp"

namespace {

using namespace IRegistryNames;


const std::string_view headerVersion5 = "Windows Registry Editor Version 5.00";
const std::string_view headerVersion4 = "REGEDIT4";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && sameName(text.data(), prefix.data(), prefix.size());
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Hand-written files comment with '#' as often as with the format's own ';'.
bool isComment(std::string_view trimmedLine) {
  return !trimmedLine.empty() && (trimmedLine[0] == ';' || trimmedLine[0] == '#');
}

// What may follow a complete value on its line: nothing, or a comment.
bool endsTheValue(std::string_view rest) {
  rest = trimmed(rest);
  return rest.empty() || rest[0] == ';';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE to the narrow (UTF-8) form, as a narrow-character registry read converts string
// data, appended to out; an unpaired surrogate becomes U+FFFD, a trailing odd byte is dropped.
void appendNarrow(std::string& out, const char* bytes, std::size_t size) {
  std::size_t n = size / 2;
  auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
  };
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      u = 0xFFFD;
    }
    appendUtf8(out, u);
  }
}

// The file's text in UTF-8. The registry editor writes version 5 files in UTF-16LE with a
// byte order mark; a file that lost its mark still shows the encoding in its first
// character, which is ASCII in any registry file (a header letter, a blank or a line end).
std::string decodedText(std::string bytes) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t skip = 0;
  bool wide = false;
  if (bytes.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    wide = true;
    skip = 2;
  } else if (bytes.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    bytes.erase(0, 3);
    return bytes;
  } else if (bytes.size() >= 2 && b[0] != 0 && b[0] < 0x80 && b[1] == 0) {
    wide = true;
  }
  if (!wide) return bytes;
  std::string text;
  text.reserve((bytes.size() - skip) / 2 + 16);
  appendNarrow(text, bytes.data() + skip, bytes.size() - skip);
  return text;
}

// The lines of a text, ended by LF, CR LF or a CR alone (as old Macintosh editors write).
class Lines {
public:
  explicit Lines(std::string_view text) : text_(text) {}

  bool next(std::string_view& line) {
    if (again_) {
      again_ = false;
      ++number_;
      line = last_;
      return true;
    }
    if (position_ >= text_.size()) return false;
    std::size_t start = position_, i = position_;
    while (i < text_.size() && text_[i] != '\n' && text_[i] != '\r') ++i;
    last_ = text_.substr(start, i - start);
    if (i < text_.size()) i += (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ? 2 : 1;
    position_ = i;
    ++number_;
    line = last_;
    return true;
  }
  // The last line is given again by the next call.
  void putBack() {
    again_ = true;
    --number_;
  }
  unsigned long number() const { return number_; }

private:
  std::string_view text_;
  std::string_view last_;
  std::size_t position_ = 0;
  unsigned long number_ = 0;
  bool again_ = false;
};

// A quoted name or text from position at (on the opening quote), appended to out; \\ and \"
// are the escapes, any other backslash stands for itself. Returns the position after the
// closing quote, or npos when the quote is not closed.
std::size_t appendQuoted(std::string_view line, std::size_t at, std::string& out) {
  std::size_t i = at + 1;
  while (i < line.size()) {
    std::size_t stop = line.find_first_of("\\\"", i);
    if (stop == std::string_view::npos) break;
    out.append(line.data() + i, stop - i);
    if (line[stop] == '"') return stop + 1;
    if (stop + 1 < line.size() && (line[stop + 1] == '\\' || line[stop + 1] == '"')) {
      out += line[stop + 1];
      i = stop + 2;
    } else {
      out += '\\';
      i = stop + 1;
    }
  }
  return std::string_view::npos;
}

// A problem text that names one of the registry's limits, made from the limit itself.
std::string limitText(const char* before, std::size_t limit, const char* after) {
  return std::string(before) + " " + std::to_string(limit) + " " + after;
}

bool isStringType(unsigned long type) {
  return type == IRegistry::typeString || type == IRegistry::typeExpandString ||
         type == IRegistry::typeMultiString;
}

// A part of a text for a problem report, cut short when long. Control characters become '?':
// the report goes to a terminal, which would act on an escape sequence from the file.
std::string quotedExcerpt(std::string_view text) {
  const std::size_t longest = 24;
  std::string out = "\"";
  for (char c : text.substr(0, longest)) {
    out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
  }
  if (text.size() > longest) out += "...";
  return out + "\"";
}

} // namespace

using namespace IRegistryNames;

// ---------------------------------------------------------------------------------------
// The parser: one pass over the lines, every line looked at once.

class IRegistryFile::Parser {
public:
  Parser(IRegistryFile& file, std::string_view text) : file_(file), lines_(text) {}

  bool run() {
    std::string_view line;
    bool headerSeen = false;
    while (!headerSeen && lines_.next(line)) {
      std::string_view t = trimmed(line);
      if (t.empty() || isComment(t)) continue;
      if (t == headerVersion5) {
        unicodeFile_ = true;
      } else if (t != headerVersion4) {
        break;
      }
      headerSeen = true;
    }
    if (!headerSeen) {
      file_.refusal_ = lines_.number() == 0
                           ? "it is empty"
                           : "it does not begin with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"";
      return false;
    }
    while (lines_.next(line)) {
      std::string_view t = trimmed(line);
      if (t.empty() || isComment(t)) continue;
      if (t[0] == '[') {
        section(t);
      } else if (t == headerVersion5 || t == headerVersion4) {
        problem(lines_.number(), "a second header line (files joined together?)");
      } else {
        value(t);
      }
    }
    return true;
  }

private:
  enum class Section { none, key, skipped };

  void problem(unsigned long line, std::string_view what,
               std::string_view detail = std::string_view()) {
    ++file_.problemCount_;
    file_.lastProblemLine_ = line;
    if (file_.problems_.size() < problemsKept) {
      std::string text(what);
      if (!detail.empty()) text += " " + quotedExcerpt(detail);
      file_.problems_.push_back(Problem{line, text});
    }
  }

  // --- sections ---------------------------------------------------------------------------

  void section(std::string_view t) {
    const unsigned long line = lines_.number();
    state_ = Section::skipped;
    std::size_t close = t.rfind(']');
    if (close == std::string_view::npos) {
      problem(line, "section without its closing \"]\"; the values that follow it are skipped");
      return;
    }
    std::string_view path = t.substr(1, close - 1);
    bool removal = !path.empty() && path[0] == '-';
    if (removal) path.remove_prefix(1);

    std::size_t depth = 0;
    for (std::size_t at = 0; at <= path.size();) {
      std::size_t end = path.find('\\', at);
      if (end == std::string_view::npos) end = path.size();
      if (end - at > longestKeyName) {
        problem(line, limitText("key name longer than", longestKeyName,
                                "characters; the values that follow it are skipped"),
                path.substr(at, end - at));
        return;
      }
      if (end > at) ++depth;
      at = end + 1;
    }
    if (depth == 0) {
      problem(line, "section without a key name; the values that follow it are skipped");
      return;
    }
    if (depth > deepestKeyPath) {
      problem(line, limitText("key path deeper than", deepestKeyPath,
                              "levels; the values that follow it are skipped"));
      return;
    }

    if (removal) {
      // Values written under a removed key are ignored, as the registry editor ignores them.
      KeyId gone = file_.findPath(path);
      if (gone != noKey) file_.keys_[gone].removed = true;
      lastPath_.clear(); // it may lead through the removed key
      return;
    }
    current_ = file_.makeKey(path, lastPath_);
    state_ = Section::key;
  }

  // --- values -----------------------------------------------------------------------------

  void value(std::string_view t) {
    const unsigned long line = lines_.number();
    name_.clear();
    std::size_t pos;
    if (t[0] == '@') {
      pos = 1;
    } else if (t[0] == '"') {
      pos = appendQuoted(t, 0, name_);
      if (pos == std::string_view::npos) return problem(line, "value name without its closing quote");
      if (name_.size() > longestValueName) {
        return problem(line, limitText("value name longer than", longestValueName, "characters"),
                       name_);
      }
    } else {
      return problem(line, "neither a section, a value nor a comment:", t);
    }
    while (pos < t.size() && isBlank(t[pos])) ++pos;
    if (pos >= t.size() || t[pos] != '=') return problem(line, "no \"=\" after the value name");
    std::string_view data = trimmed(t.substr(pos + 1));

    // The data goes to the store at once; a value that turns out malformed is taken back.
    std::string& store = file_.store_;
    const std::size_t mark = store.size();
    bool removal = false;
    unsigned long type = IRegistry::typeString;
    const char* fault = nullptr;
    std::string_view faultDetail;
    unsigned long faultLine = line;

    if (!data.empty() && data[0] == '-' && endsTheValue(data.substr(1))) {
      removal = true;
    } else if (!data.empty() && data[0] == '"') {
      std::size_t after = appendQuoted(data, 0, store);
      if (after == std::string_view::npos) {
        fault = "text without its closing quote";
      } else if (!endsTheValue(data.substr(after))) {
        fault = "text after the value:";
        faultDetail = trimmed(data.substr(after));
      } else {
        store += '\0';
      }
    } else if (startsWithNoCase(data, "dword:")) {
      type = IRegistry::typeDword;
      fault = dword(data.substr(6), faultDetail);
    } else if (startsWithNoCase(data, "hex")) {
      fault = hex(data, type, faultDetail, faultLine);
    } else {
      fault = "data neither in quotes nor dword: nor hex:";
      faultDetail = data;
    }

    if (fault != nullptr) {
      store.resize(mark);
      return problem(faultLine, fault, faultDetail);
    }
    if (state_ == Section::none) {
      store.resize(mark);
      return problem(line, "value before the first section");
    }
    if (state_ == Section::skipped) {
      store.resize(mark);
      return;
    }
    file_.setValue(current_, name_, removal, type, mark);
  }

  // Up to eight hex digits, stored as four bytes, least significant first.
  const char* dword(std::string_view data, std::string_view& detail) {
    std::size_t end = 0;
    while (end < data.size() && !isBlank(data[end]) && data[end] != ';') ++end;
    std::string_view digits = data.substr(0, end);
    if (!endsTheValue(data.substr(end))) {
      detail = trimmed(data.substr(end));
      return "text after the value:";
    }
    if (digits.empty()) return "dword value without digits";
    std::uint32_t v = 0;
    for (char c : digits) {
      if (hexDigit(c) < 0) {
        detail = digits;
        return "dword value with a character that is not a hex digit:";
      }
      v = v * 16 + static_cast<std::uint32_t>(hexDigit(c));
    }
    if (digits.size() > 8) {
      detail = digits;
      return "dword value of more than 8 hex digits:";
    }
    for (int i = 0; i < 4; ++i) file_.store_ += static_cast<char>((v >> (8 * i)) & 0xFF);
    return nullptr;
  }

  // "hex:" or "hex(TYPE):" and comma-separated bytes; a line that ends in a backslash goes on
  // in the next one. A line that cannot go on a value of bytes (it starts with no hex digit)
  // ends the value as malformed and is read again as a line of its own, so that a stray
  // backslash costs no section.
  const char* hex(std::string_view data, unsigned long& type, std::string_view& detail,
                  unsigned long& faultLine) {
    std::size_t colon = data.find(':');
    if (colon == std::string_view::npos) {
      detail = data;
      return "data neither in quotes nor dword: nor hex:";
    }
    std::string_view kind = data.substr(3, colon - 3);
    type = IRegistry::typeBinary;
    if (!kind.empty()) {
      std::string_view digits = kind.size() >= 2 && kind.front() == '(' && kind.back() == ')'
                                    ? kind.substr(1, kind.size() - 2) : std::string_view();
      bool good = !digits.empty() && digits.size() <= 8;
      unsigned long t = 0;
      for (char c : digits) {
        if (hexDigit(c) < 0) good = false;
        else t = t * 16 + static_cast<unsigned long>(hexDigit(c));
      }
      if (!good) {
        detail = data.substr(0, colon + 1);
        return "hex value whose type is not 1 to 8 hex digits in parentheses:";
      }
      type = t;
    }

    std::string& store = file_.store_;
    const std::size_t start = store.size();
    std::string_view part = data.substr(colon + 1);
    while (true) {
      std::size_t comment = part.find(';');
      if (comment != std::string_view::npos) part = part.substr(0, comment);
      part = trimmed(part);
      bool more = !part.empty() && part.back() == '\\';
      if (more) part = trimmed(part.substr(0, part.size() - 1));
      if (const char* fault = bytes(part, detail)) {
        faultLine = lines_.number();
        return fault;
      }
      if (!more) break;
      std::string_view next;
      if (!lines_.next(next)) {
        faultLine = lines_.number();
        return "hex value that goes on past the end of the file";
      }
      part = trimmed(next);
      if (part.empty() || hexDigit(part[0]) < 0) {
        lines_.putBack();
        faultLine = lines_.number();
        return "hex value whose next line holds no bytes";
      }
    }
    // Version 5 files hold string data in UTF-16; a narrow read gets it converted.
    if (unicodeFile_ && isStringType(type)) {
      wide_.assign(store, start, std::string::npos);
      store.resize(start);
      appendNarrow(store, wide_.data(), wide_.size());
    }
    return nullptr;
  }

  // Comma-separated bytes of one or two hex digits ("41,42, 00"); a trailing comma is allowed.
  const char* bytes(std::string_view text, std::string_view& detail) {
    std::size_t i = 0;
    while (i < text.size()) {
      std::size_t end = text.find(',', i);
      if (end == std::string_view::npos) end = text.size();
      std::string_view item = trimmed(text.substr(i, end - i));
      if (item.empty() || item.size() > 2 || hexDigit(item[0]) < 0 ||
          (item.size() == 2 && hexDigit(item[1]) < 0)) {
        detail = item.empty() ? text : item;
        return item.size() > 2 ? "hex value with more than two digits in a byte:"
                               : "hex value with a byte that is not hex digits:";
      }
      int v = hexDigit(item[0]);
      if (item.size() == 2) v = v * 16 + hexDigit(item[1]);
      file_.store_ += static_cast<char>(v);
      i = end + 1;
    }
    return nullptr;
  }

  IRegistryFile& file_;
  Lines lines_;
  bool unicodeFile_ = false;
  Section state_ = Section::none;
  KeyId current_ = noKey;
  std::vector<PathStep> lastPath_;
  std::string name_;
  std::string wide_;
};

// ---------------------------------------------------------------------------------------
// Parsing a whole file.

bool IRegistryFile::parse(std::string bytes) {
  store_.clear();
  keys_.clear();
  values_.clear();
  keyIndex_.reset();
  valueIndex_.reset();
  refusal_.clear();
  problems_.clear();
  problemCount_ = 0;
  lastProblemLine_ = 0;
  if (bytes.size() > largestText) {
    refusal_ = "it is larger than " + std::to_string(largestText >> 30) + " GB";
    return false;
  }

  const std::string text = decodedText(std::move(bytes));
  // Names and data never take more room than the text that writes them, so the store does
  // not move while it fills; the pages it does not use are never touched.
  std::size_t rootsSize = 0;
  for (std::size_t r = 0; r < rootCount; ++r) rootsSize += std::strlen(rootNames[r][1]);
  store_.reserve(text.size() + rootsSize);
  for (std::size_t r = 0; r < rootCount; ++r) {
    rootOffsets_[r] = static_cast<std::uint32_t>(store_.size());
    store_ += rootNames[r][1];
  }

  Parser parser(*this, text);
  if (!parser.run()) {
    keys_.clear();
    return false;
  }
  return true;
}

