// The arithmetic of the multi-cell canvas: track sizes, the grid's minimum size and the cells'
// rectangles, as pure functions.
#ifndef IGRIDLAYOUT_HPP
#define IGRIDLAYOUT_HPP

#include <vector>

#include "igeometry.hpp"

namespace IGridLayout {

// A column or a row: its own smallest size (-1: not set, the default cell size applies when
// nothing is in it) and whether it shares extra space.
struct Track {
  long size = -1;
  bool expandable = false;
};

// A window in the grid: its first column and row (from 1), how many it spans, and the smallest
// size that shows it.
struct Item {
  unsigned long column, row, columns, rows;
  ISize minimum;
};

// The sizes of the tracks (index 0 is track 1) of one direction: columns with horizontal
// values, rows with vertical ones. A track holds its largest single-track item, else its own
// size, else the default; an item spanning tracks widens the last of them when they are too
// small together. The tracks given and those the items reach are counted.
std::vector<long> trackSizes(const std::vector<Track>& tracks, const std::vector<Item>& items,
                             bool columns, long defaultSize);

// The grid's minimum size: the sum of its column widths and row heights.
ISize minimumSize(const std::vector<Track>& columns, const std::vector<Track>& rows,
                  const std::vector<Item>& items, const ISize& defaultCell);

// The items' rectangles (in the order given) in a canvas of size available: extra space goes
// in equal parts to the expandable tracks (the first ones get the remainder's pixels); with
// none expandable it stays at the far end. A canvas smaller than the minimum cuts the last
// tracks short.
std::vector<IRectangle> layOut(const std::vector<Track>& columns, const std::vector<Track>& rows,
                               const std::vector<Item>& items, const ISize& defaultCell,
                               const ISize& available);

} // namespace IGridLayout

#endif
