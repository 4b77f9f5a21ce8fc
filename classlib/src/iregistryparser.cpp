// The registry file reader's parser: the registry editor's export format read line by line into
// the key tree. Only the POSIX registry reads such files; the reader stays portable so that its
// tests run on every target, Windows builds under Wine included.
#include "iregistryfile.hpp"

#include <cstring>
#include <string>
#include <string_view>

#include "iregistry.hpp"
#include "iregistrydecode.hpp"
#include "iregistrynames.hpp"

namespace {

using namespace IRegistryDecode;
using namespace IRegistryNames;

const std::string_view headerVersion5 = "Windows Registry Editor Version 5.00";
const std::string_view headerVersion4 = "REGEDIT4";

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && sameName(text.data(), prefix.data(), prefix.size());
}

// Hand-written files comment with '#' as often as with the format's own ';'.
bool isComment(std::string_view trimmedLine) {
  return !trimmedLine.empty() && (trimmedLine[0] == ';' || trimmedLine[0] == '#');
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

// A problem text that names one of the registry's limits, made from the limit itself.
std::string limitText(const char* before, std::size_t limit, const char* after) {
  return std::string(before) + " " + std::to_string(limit) + " " + after;
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
      fault = appendDword(data.substr(6), store, faultDetail);
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
    if (const char* fault = hexType(data.substr(0, colon + 1), type, detail)) return fault;

    std::string& store = file_.store_;
    const std::size_t start = store.size();
    std::string_view part = data.substr(colon + 1);
    while (true) {
      std::size_t comment = part.find(';');
      if (comment != std::string_view::npos) part = part.substr(0, comment);
      part = trimmed(part);
      bool more = !part.empty() && part.back() == '\\';
      if (more) part = trimmed(part.substr(0, part.size() - 1));
      if (const char* fault = appendBytes(part, store, detail)) {
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

