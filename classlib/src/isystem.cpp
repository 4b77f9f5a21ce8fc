// The system layer's portable part: path lists.
#include "isystem.hpp"

#include <new>

namespace ISystem {

std::vector<std::string> splitPathList(const std::string& list, char separator) {
  std::vector<std::string> entries;
  try {
    std::string::size_type start = 0;
    for (;;) {
      const std::string::size_type end = list.find(separator, start);
      entries.push_back(list.substr(start, end == std::string::npos ? end : end - start));
      if (end == std::string::npos)
        return entries;
      start = end + 1;
    }
  } catch (const std::bad_alloc&) {
    return std::vector<std::string>();
  }
}

} // namespace ISystem
