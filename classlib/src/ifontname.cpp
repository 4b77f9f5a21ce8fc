// Face names split into family and style words.
#include "ifontname.hpp"

#include <cctype>
#include <vector>

namespace {

struct StyleWord {
  const char* word;
  int weight;               // 0: not a weight
  IFontName::Slant slant;   // roman: not a slant
};

const StyleWord styleWords[] = {
    {"thin", 100, IFontName::roman},       {"extralight", 200, IFontName::roman},
    {"ultralight", 200, IFontName::roman}, {"light", 300, IFontName::roman},
    {"regular", 400, IFontName::roman},    {"normal", 400, IFontName::roman},
    {"medium", 500, IFontName::roman},     {"semibold", 600, IFontName::roman},
    {"demibold", 600, IFontName::roman},   {"bold", 700, IFontName::roman},
    {"extrabold", 800, IFontName::roman},  {"ultrabold", 800, IFontName::roman},
    {"black", 900, IFontName::roman},      {"heavy", 900, IFontName::roman},
    {"italic", 0, IFontName::italic},      {"oblique", 0, IFontName::oblique}};

const StyleWord* styleWord(const std::string& word) {
  std::string lower(word);
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const StyleWord& s : styleWords)
    if (lower == s.word)
      return &s;
  return nullptr;
}

} // namespace

IFontName::Parts IFontName::split(const char* name) {
  std::vector<std::string> words;
  for (const char* p = name != nullptr ? name : ""; *p != 0;) {
    while (*p == ' ')
      ++p;
    const char* start = p;
    while (*p != 0 && *p != ' ')
      ++p;
    if (p > start)
      words.emplace_back(start, p);
  }
  Parts parts;
  bool weightSet = false, slantSet = false;
  for (; !words.empty(); words.pop_back()) {
    const StyleWord* style = styleWord(words.back());
    if (style == nullptr)
      break;
    if (style->weight != 0 && !weightSet) {
      parts.weight = style->weight;
      weightSet = true;
    }
    if (style->slant != roman && !slantSet) {
      parts.slant = style->slant;
      slantSet = true;
    }
  }
  for (std::size_t i = 0; i < words.size(); ++i)
    parts.family += (i > 0 ? " " : "") + words[i];
  return parts;
}
