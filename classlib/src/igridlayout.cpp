// The multi-cell canvas's arithmetic: track sizes, minimum size and cell rectangles.
#include "igridlayout.hpp"

#include <algorithm>

namespace IGridLayout {

namespace {

unsigned long first(const Item& item, bool columns) { return columns ? item.column : item.row; }
unsigned long span(const Item& item, bool columns) {
  return std::max(1UL, columns ? item.columns : item.rows);
}
long extent(const Item& item, bool columns) {
  return columns ? item.minimum.width() : item.minimum.height();
}

// Positions of the tracks' starts, and the end, after the extra space is shared.
std::vector<long> positions(const std::vector<Track>& tracks, std::vector<long> sizes,
                            long available) {
  long total = 0;
  for (long s : sizes)
    total += s;
  long extra = available - total;
  std::vector<std::size_t> expandable;
  for (std::size_t i = 0; i < sizes.size(); ++i)
    if (i < tracks.size() && tracks[i].expandable)
      expandable.push_back(i);
  if (extra > 0 && !expandable.empty()) {
    long share = extra / static_cast<long>(expandable.size());
    long remainder = extra % static_cast<long>(expandable.size());
    for (std::size_t k = 0; k < expandable.size(); ++k)
      sizes[expandable[k]] += share + (static_cast<long>(k) < remainder ? 1 : 0);
  } else if (extra < 0) {
    // Too little room: the last tracks give way.
    for (std::size_t i = sizes.size(); i-- > 0 && extra < 0;) {
      long cut = std::min(sizes[i], -extra);
      sizes[i] -= cut;
      extra += cut;
    }
  }
  std::vector<long> starts(sizes.size() + 1, 0);
  for (std::size_t i = 0; i < sizes.size(); ++i)
    starts[i + 1] = starts[i] + sizes[i];
  return starts;
}

} // namespace

std::vector<long> trackSizes(const std::vector<Track>& tracks, const std::vector<Item>& items,
                             bool columns, long defaultSize) {
  std::size_t count = tracks.size();
  for (const Item& item : items)
    if (first(item, columns) >= 1)
      count = std::max<std::size_t>(count, first(item, columns) + span(item, columns) - 1);
  std::vector<long> sizes(count, -1);
  std::vector<bool> occupied(count, false);
  for (const Item& item : items) {
    if (first(item, columns) < 1 || span(item, columns) != 1)
      continue;
    std::size_t i = first(item, columns) - 1;
    occupied[i] = true;
    sizes[i] = std::max(sizes[i], extent(item, columns));
  }
  for (std::size_t i = 0; i < count; ++i) {
    long own = i < tracks.size() ? tracks[i].size : -1;
    long base = own >= 0 ? own : (occupied[i] ? 0 : defaultSize);
    sizes[i] = std::max(sizes[i], base);
  }
  for (const Item& item : items) {
    if (first(item, columns) < 1 || span(item, columns) == 1)
      continue;
    std::size_t from = first(item, columns) - 1, to = from + span(item, columns);
    long together = 0;
    for (std::size_t i = from; i < to; ++i)
      together += sizes[i];
    if (together < extent(item, columns))
      sizes[to - 1] += extent(item, columns) - together;
  }
  return sizes;
}

ISize minimumSize(const std::vector<Track>& columns, const std::vector<Track>& rows,
                  const std::vector<Item>& items, const ISize& defaultCell) {
  long width = 0, height = 0;
  for (long s : trackSizes(columns, items, true, defaultCell.width()))
    width += s;
  for (long s : trackSizes(rows, items, false, defaultCell.height()))
    height += s;
  return ISize(width, height);
}

std::vector<IRectangle> layOut(const std::vector<Track>& columns, const std::vector<Track>& rows,
                               const std::vector<Item>& items, const ISize& defaultCell,
                               const ISize& available) {
  std::vector<long> x = positions(columns, trackSizes(columns, items, true, defaultCell.width()),
                                  available.width());
  std::vector<long> y = positions(rows, trackSizes(rows, items, false, defaultCell.height()),
                                  available.height());
  std::vector<IRectangle> result;
  result.reserve(items.size());
  for (const Item& item : items) {
    if (item.column < 1 || item.row < 1) {
      result.push_back(IRectangle());
      continue;
    }
    std::size_t c = item.column - 1, r = item.row - 1;
    std::size_t c2 = c + span(item, true), r2 = r + span(item, false);
    result.push_back(IRectangle(x[c], y[r], x[c2], y[r2]));
  }
  return result;
}

} // namespace IGridLayout
