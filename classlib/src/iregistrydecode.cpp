// The registry file's decoders: the file's text encoding, quoted names and texts with their
// escapes, and the data of dword:, hex: and hex(N): values.
#include "iregistrydecode.hpp"

#include <cstdint>

#include "iregistry.hpp"
#include "iregistrynames.hpp"

namespace IRegistryDecode {

namespace {

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

} // namespace

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool endsTheValue(std::string_view rest) {
  rest = trimmed(rest);
  return rest.empty() || rest[0] == ';';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = IRegistryNames::lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

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

// The registry editor writes version 5 files in UTF-16LE with a byte order mark; a file that
// lost its mark still shows the encoding in its first character, which is ASCII in any
// registry file (a header letter, a blank or a line end).
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

const char* appendDword(std::string_view data, std::string& out, std::string_view& detail) {
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
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return nullptr;
}

const char* hexType(std::string_view head, unsigned long& type, std::string_view& detail) {
  std::string_view kind = head.substr(3, head.size() - 4); // between "hex" and the colon
  type = IRegistry::typeBinary;
  if (kind.empty()) return nullptr;
  std::string_view digits = kind.size() >= 2 && kind.front() == '(' && kind.back() == ')'
                                ? kind.substr(1, kind.size() - 2) : std::string_view();
  bool good = !digits.empty() && digits.size() <= 8;
  unsigned long t = 0;
  for (char c : digits) {
    if (hexDigit(c) < 0) good = false;
    else t = t * 16 + static_cast<unsigned long>(hexDigit(c));
  }
  if (!good) {
    detail = head;
    return "hex value whose type is not 1 to 8 hex digits in parentheses:";
  }
  type = t;
  return nullptr;
}

const char* appendBytes(std::string_view text, std::string& out, std::string_view& detail) {
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
    out += static_cast<char>(v);
    i = end + 1;
  }
  return nullptr;
}

bool isStringType(unsigned long type) {
  return type == IRegistry::typeString || type == IRegistry::typeExpandString ||
         type == IRegistry::typeMultiString;
}

} // namespace IRegistryDecode
