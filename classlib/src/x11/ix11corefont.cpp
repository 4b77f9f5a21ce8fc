// The choice among the X server's core fonts: XLFD names read into fields and ranked for a
// size.
#include "x11/ix11corefont.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <tuple>

namespace {

// Faces that read like the sans-serif face of the box when Xft draws it.
const char* const sansFamilies[] = {"helvetica",     "nimbus sans", "nimbus sans l", "arial",
                                    "liberation sans", "dejavu sans", "freesans",    "lucida",
                                    "lucidux sans",  "bitstream vera sans"};
const char* const regularWeights[] = {"medium", "regular", "book", "normal"};
const char* const boldWeights[] = {"bold", "demibold", "demi"};

std::string lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

template <std::size_t N> bool oneOf(const std::string& word, const char* const (&words)[N]) {
  return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

struct Candidate {
  bool far;          // further from the size than a fifth of it
  int familyClass;   // 0 sans-serif, 1 other proportional, 2 fixed-width
  long distance;     // pixels from the size
  int charset;       // 0 ISO 10646, 1 Latin-1
  std::size_t order; // as listed, so that equal fonts keep the server's order
  std::string name;  // what is opened

  bool operator<(const Candidate& o) const {
    return std::tie(far, familyClass, distance, charset, order) <
           std::tie(o.far, o.familyClass, o.distance, o.charset, o.order);
  }
};

} // namespace

const char* const IX11::coreFontPattern = "-*-*-*-r-*-*-*-*-*-*-*-*-*-*";

bool IX11::parseCoreFontName(const std::string& name, CoreFontName& fields) {
  if (name.empty() || name[0] != '-')
    return false;
  std::vector<std::string> parts;
  std::size_t from = 1;
  for (;;) {
    std::size_t dash = name.find('-', from);
    parts.push_back(lower(name.substr(from, dash == std::string::npos ? std::string::npos : dash - from)));
    if (dash == std::string::npos)
      break;
    from = dash + 1;
  }
  if (parts.size() != 14)
    return false;
  char* end = nullptr;
  long pixels = std::strtol(parts[6].c_str(), &end, 10);
  if (parts[6].empty() || *end != '\0' || pixels < 0)
    return false;
  fields = CoreFontName{parts[0], parts[1], parts[2],  parts[3],  parts[4], parts[5],
                        pixels,   parts[10], parts[12], parts[13]};
  return true;
}

std::vector<std::string> IX11::coreFontCandidates(const std::vector<std::string>& listed,
                                                  long pixelSize, bool bold, std::size_t limit) {
  pixelSize = std::max(1L, pixelSize);
  std::vector<Candidate> ranked;
  for (std::size_t i = 0; i < listed.size(); ++i) {
    CoreFontName f;
    if (!parseCoreFontName(listed[i], f) || f.slant != "r" ||
        (f.setWidth != "normal" && f.setWidth != "semicondensed"))
      continue;
    if (bold ? !oneOf(f.weight, boldWeights) : !oneOf(f.weight, regularWeights))
      continue;
    std::string charset = f.registry + "-" + f.encoding;
    if (charset != "iso10646-1" && charset != "iso8859-1")
      continue;
    Candidate c;
    c.distance = f.pixelSize == 0 ? 0 : std::labs(f.pixelSize - pixelSize);
    c.far = c.distance * 5 > pixelSize;
    c.familyClass = f.spacing != "p" ? 2 : oneOf(f.family, sansFamilies) ? 0 : 1;
    c.charset = charset == "iso10646-1" ? 0 : 1;
    c.order = i;
    // A scalable font is asked for at the size; the server fills in the rest.
    c.name = f.pixelSize != 0 ? listed[i]
                              : "-" + f.foundry + "-" + f.family + "-" + f.weight + "-r-" + f.setWidth +
                                    "-" + f.addStyle + "-" + std::to_string(pixelSize) + "-*-*-*-" +
                                    f.spacing + "-*-" + charset;
    ranked.push_back(c);
  }
  std::sort(ranked.begin(), ranked.end());
  std::vector<std::string> result;
  for (const Candidate& c : ranked) {
    if (result.size() == limit)
      break;
    if (std::find(result.begin(), result.end(), c.name) == result.end())
      result.push_back(c.name);
  }
  result.push_back("fixed");
  return result;
}
