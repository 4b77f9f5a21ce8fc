// The registry file reader behind the POSIX registry: the registry editor's export format.
#include "iregistryfile.hpp"

#include <cstdint>

#include "iregistry.hpp"

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(const std::string& text, std::size_t at, const char* prefix) {
  for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
    if (at + i >= text.size() || lower(text[at + i]) != lower(prefix[i])) return false;
  }
  return true;
}

std::string trimmed(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
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
// data; an unpaired surrogate becomes U+FFFD, a trailing odd byte is dropped.
std::string utf16ToNarrow(const std::string& bytes, std::size_t from = 0) {
  std::string out;
  std::size_t n = (bytes.size() - from) / 2;
  auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[from + 2 * i])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[from + 2 * i + 1])) << 8);
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
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A quoted name or text from position at (on the opening quote); \\ and \" are the escapes,
// any other backslash stands for itself. Returns the position after the closing quote, or
// npos when the quote is not closed.
std::size_t parseQuoted(const std::string& line, std::size_t at, std::string& out) {
  out.clear();
  for (std::size_t i = at + 1; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"')) {
      out += line[++i];
    } else if (c == '"') {
      return i + 1;
    } else {
      out += c;
    }
  }
  return std::string::npos;
}

// Comma-separated bytes ("41,42, 00"); a trailing comma is allowed. False on anything else.
bool parseHexBytes(const std::string& text, std::string& out) {
  out.clear();
  std::size_t i = 0;
  while (true) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return true;
    int hi = hexDigit(text[i]);
    if (hi < 0) return false;
    int value = hi;
    ++i;
    if (i < text.size() && hexDigit(text[i]) >= 0) value = value * 16 + hexDigit(text[i++]);
    out += static_cast<char>(value);
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) return true;
    if (text[i] != ',') return false;
    ++i;
  }
}

bool isStringType(unsigned long type) {
  return type == IRegistry::typeString || type == IRegistry::typeExpandString ||
         type == IRegistry::typeMultiString;
}

} // namespace

bool IRegistryFile::sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string IRegistryFile::canonicalPath(const std::string& path) {
  static const char* const abbreviations[][2] = {
      {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCU", "HKEY_CURRENT_USER"},
      {"HKCR", "HKEY_CLASSES_ROOT"},  {"HKU", "HKEY_USERS"}, {"HKCC", "HKEY_CURRENT_CONFIG"}};
  std::size_t sep = path.find('\\');
  std::string root = path.substr(0, sep);
  for (const auto& a : abbreviations) {
    if (sameName(root, a[0])) {
      return sep == std::string::npos ? std::string(a[1]) : a[1] + path.substr(sep);
    }
  }
  return path;
}

IRegistryFile::Key& IRegistryFile::section(const std::string& path) {
  for (Key& k : keys_) {
    if (sameName(k.path, path)) return k;
  }
  keys_.push_back(Key{path, {}});
  return keys_.back();
}

void IRegistryFile::removeKey(const std::string& path) {
  std::vector<Key> kept;
  for (Key& k : keys_) {
    bool below = k.path.size() > path.size() && k.path[path.size()] == '\\' &&
                 sameName(k.path.substr(0, path.size()), path);
    if (!below && !sameName(k.path, path)) kept.push_back(std::move(k));
  }
  keys_.swap(kept);
}

bool IRegistryFile::hasKey(const std::string& path) const {
  std::string want = canonicalPath(path);
  for (const Key& k : keys_) {
    if (sameName(k.path, want)) return true;
    if (k.path.size() > want.size() && k.path[want.size()] == '\\' &&
        sameName(k.path.substr(0, want.size()), want)) {
      return true;
    }
  }
  return false;
}

const IRegistryFile::Key* IRegistryFile::findKey(const std::string& path) const {
  std::string want = canonicalPath(path);
  for (const Key& k : keys_) {
    if (sameName(k.path, want)) return &k;
  }
  return nullptr;
}

const IRegistryFile::Value* IRegistryFile::findValue(const Key& key, const std::string& name) {
  for (const Value& v : key.values) {
    if (sameName(v.name, name)) return &v;
  }
  return nullptr;
}

bool IRegistryFile::parse(const std::string& raw) {
  keys_.clear();
  errorLine_ = 0;

  // The registry editor writes version 5 files in UTF-16LE with a byte order mark.
  std::string text;
  if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
      static_cast<unsigned char>(raw[1]) == 0xFE) {
    text = utf16ToNarrow(raw, 2);
  } else if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = raw.substr(3);
  } else {
    text = raw;
  }

  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }

  bool unicodeFile = false;
  bool headerSeen = false;
  Key* current = nullptr;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::string line = trimmed(lines[n]);
    errorLine_ = static_cast<unsigned long>(n + 1);
    if (line.empty()) continue;
    if (!headerSeen) {
      if (line == "Windows Registry Editor Version 5.00") {
        unicodeFile = true;
      } else if (line != "REGEDIT4") {
        return false;
      }
      headerSeen = true;
      continue;
    }
    if (line[0] == ';') continue;

    if (line[0] == '[') {
      std::size_t close = line.rfind(']');
      if (close == std::string::npos || close < 2) return false;
      std::string path = line.substr(1, close - 1);
      if (path[0] == '-') {
        removeKey(canonicalPath(path.substr(1)));
        current = nullptr;
      } else {
        current = &section(canonicalPath(path));
      }
      continue;
    }

    if (current == nullptr) return false; // a value outside any key
    std::string name;
    std::size_t pos;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      pos = parseQuoted(line, 0, name);
      if (pos == std::string::npos) return false;
    } else {
      return false;
    }
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size() || line[pos] != '=') return false;
    std::string data = trimmed(line.substr(pos + 1));

    Value value{name, IRegistry::typeString, std::string()};
    if (data == "-") {
      std::vector<Value>& vs = current->values;
      for (std::size_t i = 0; i < vs.size(); ++i) {
        if (sameName(vs[i].name, name)) {
          vs.erase(vs.begin() + static_cast<std::ptrdiff_t>(i));
          break;
        }
      }
      continue;
    } else if (!data.empty() && data[0] == '"') {
      std::size_t after = parseQuoted(data, 0, value.data);
      if (after == std::string::npos || !trimmed(data.substr(after)).empty()) return false;
      value.data += '\0';
    } else if (startsWithNoCase(data, 0, "dword:")) {
      std::string digits = data.substr(6);
      if (digits.empty() || digits.size() > 8) return false;
      std::uint32_t v = 0;
      for (char c : digits) {
        if (hexDigit(c) < 0) return false;
        v = v * 16 + static_cast<std::uint32_t>(hexDigit(c));
      }
      value.type = IRegistry::typeDword;
      for (int i = 0; i < 4; ++i) value.data += static_cast<char>((v >> (8 * i)) & 0xFF);
    } else if (startsWithNoCase(data, 0, "hex")) {
      std::size_t colon = data.find(':');
      if (colon == std::string::npos) return false;
      std::string kind = data.substr(3, colon - 3);
      value.type = IRegistry::typeBinary;
      if (!kind.empty()) {
        if (kind.size() < 3 || kind.front() != '(' || kind.back() != ')') return false;
        std::string digits = kind.substr(1, kind.size() - 2);
        if (digits.empty() || digits.size() > 8) return false;
        unsigned long t = 0;
        for (char c : digits) {
          if (hexDigit(c) < 0) return false;
          t = t * 16 + static_cast<unsigned long>(hexDigit(c));
        }
        value.type = t;
      }
      // The bytes may go on over further lines, each but the last ending in a backslash.
      std::string bytes = data.substr(colon + 1);
      while (!bytes.empty() && bytes.back() == '\\') {
        bytes.pop_back();
        if (++n >= lines.size()) return false;
        errorLine_ = static_cast<unsigned long>(n + 1);
        bytes += trimmed(lines[n]);
      }
      if (!parseHexBytes(bytes, value.data)) return false;
      // Version 5 files hold string data in UTF-16; a narrow read gets it converted.
      if (unicodeFile && isStringType(value.type)) value.data = utf16ToNarrow(value.data);
    } else {
      return false;
    }

    bool replaced = false;
    for (Value& v : current->values) {
      if (sameName(v.name, name)) {
        v = value;
        replaced = true;
        break;
      }
    }
    if (!replaced) current->values.push_back(value);
  }
  errorLine_ = headerSeen ? 0 : 1;
  return headerSeen;
}
