// Widths of texts already measured, by the font that measured them.
#ifndef ITEXTWIDTHS_HPP
#define ITEXTWIDTHS_HPP

#include <cstddef>
#include <map>
#include <string>
#include <utility>

// A window's layout asks for the same few texts again and again (every change of a cell lays its
// canvas out anew, and every move of the frame too), and measuring through the font library
// costs far more than a look-up. Bounded: when full it starts again empty, which the texts of a
// window never make it.
class ITextWidths {
public:
  explicit ITextWidths(std::size_t capacity = 1024) : capacity_(capacity) {}

  // The width of text in font (any value that tells fonts apart), measured by measure() the
  // first time it is asked for.
  template <class Measure>
  long width(const void* font, const std::string& text, Measure measure) {
    const Key key(font, text);
    auto found = widths_.find(key);
    if (found != widths_.end())
      return found->second;
    const long measured = measure();
    if (widths_.size() >= capacity_)
      widths_.clear();
    widths_.emplace(key, measured);
    return measured;
  }
  std::size_t size() const noexcept { return widths_.size(); }

private:
  typedef std::pair<const void*, std::string> Key;
  std::map<Key, long> widths_;
  std::size_t capacity_;
};

#endif
