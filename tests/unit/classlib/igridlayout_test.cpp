// The multi-cell canvas's arithmetic: track sizes, minimum size and cell rectangles, on the
// launcher's panel grid and on the cases that break a grid (spans, shrinking, remainders).
#include "igridlayout.hpp"

#include <gtest/gtest.h>

namespace {

using IGridLayout::Item;
using IGridLayout::Track;

const ISize cell(10, 10);

// The information panel: eight lines in column 2 (rows 2-8 and 10), the picture canvas in row
// 12; margins 1 and 3 and row 12 expandable, row 12 with height 0 of its own.
struct Panel {
  std::vector<Track> columns{{10, true}, {10, false}, {10, true}};
  std::vector<Track> rows = std::vector<Track>(12);
  std::vector<Item> items;
  Panel() {
    rows[11] = Track{0, true};
    const long widths[] = {40, 50, 120, 90, 100, 260, 250, 0, 210};
    const unsigned long lineRows[] = {2, 3, 4, 5, 6, 7, 8, 0, 10};
    for (int i = 0; i < 9; ++i)
      if (lineRows[i] != 0)
        items.push_back(Item{2, lineRows[i], 1, 1, ISize(widths[i], lineRows[i] == 4 ? 37 : 17)});
    items.push_back(Item{2, 12, 1, 1, ISize(440, 325)}); // the picture canvas
  }
};

TEST(GridLayout, PanelMinimumSizeCountsEmptyRowsAtTheDefaultCell) {
  Panel p;
  // Widest content is the picture canvas; margins keep the default cell width.
  // Rows: 1, 9 and 11 empty (10 each); 2-8 and 10 their lines; 12 the picture.
  long rows = 10 + 17 + 17 + 37 + 17 + 17 + 17 + 17 + 10 + 17 + 10 + 325;
  EXPECT_EQ(IGridLayout::minimumSize(p.columns, p.rows, p.items, cell), ISize(10 + 440 + 10, rows));
}

TEST(GridLayout, ExtraSpaceGoesToExpandableTracksOnly) {
  Panel p;
  ISize minimum = IGridLayout::minimumSize(p.columns, p.rows, p.items, cell);
  std::vector<IRectangle> at = IGridLayout::layOut(p.columns, p.rows, p.items, cell,
                                                   ISize(minimum.width() + 101, minimum.height() + 40));
  // Columns 1 and 3 share 101 pixels (51 and 50): the content column keeps its width and
  // moves right by its share.
  EXPECT_EQ(at[0].left(), 10 + 51);
  EXPECT_EQ(at[0].width(), 440);
  // Only row 12 takes the extra height; the first line stays below the empty row 1.
  EXPECT_EQ(at[0].top(), 10);
  EXPECT_EQ(at.back().height(), 325 + 40);
  EXPECT_EQ(at.back().bottom(), minimum.height() + 40);
}

TEST(GridLayout, AtTheMinimumEveryCellHasItsOwnSize) {
  Panel p;
  ISize minimum = IGridLayout::minimumSize(p.columns, p.rows, p.items, cell);
  std::vector<IRectangle> at = IGridLayout::layOut(p.columns, p.rows, p.items, cell, minimum);
  EXPECT_EQ(at[0], IRectangle(10, 10, 450, 27));       // row 2 after the empty row 1
  EXPECT_EQ(at[7].top(), at[6].bottom() + 10);          // row 10 after the empty row 9
  EXPECT_EQ(at.back(), IRectangle(10, minimum.height() - 325, 450, minimum.height()));
}

TEST(GridLayout, PictureCanvasOffsetsThePictureBySixCellsAndFour) {
  std::vector<Track> none;
  std::vector<Item> picture{Item{7, 5, 1, 1, ISize(380, 285)}};
  EXPECT_EQ(IGridLayout::minimumSize(none, none, picture, cell), ISize(60 + 380, 40 + 285));
  EXPECT_EQ(IGridLayout::layOut(none, none, picture, cell, ISize(500, 400))[0],
            IRectangle(60, 40, 440, 325));
}

TEST(GridLayout, SpansWidenTheirLastTrackOnlyWhenTooSmall) {
  std::vector<Track> none;
  std::vector<Item> items{Item{1, 1, 1, 1, ISize(30, 5)}, Item{1, 2, 2, 1, ISize(100, 5)},
                          Item{1, 3, 3, 1, ISize(20, 5)}};
  std::vector<long> widths = IGridLayout::trackSizes(none, items, true, 10);
  EXPECT_EQ(widths, std::vector<long>({30, 70, 10}));
  std::vector<IRectangle> at = IGridLayout::layOut(none, none, items, cell, ISize(110, 15));
  EXPECT_EQ(at[1], IRectangle(0, 5, 100, 10));
  EXPECT_EQ(at[2], IRectangle(0, 10, 110, 15));
}

TEST(GridLayout, TooLittleRoomCutsTheLastTracksAndNothingGoesNegative) {
  std::vector<Track> none;
  std::vector<Item> items{Item{1, 1, 1, 1, ISize(50, 10)}, Item{2, 1, 1, 1, ISize(50, 10)}};
  std::vector<IRectangle> at = IGridLayout::layOut(none, none, items, cell, ISize(70, 10));
  EXPECT_EQ(at[0], IRectangle(0, 0, 50, 10));
  EXPECT_EQ(at[1], IRectangle(50, 0, 70, 10));
  at = IGridLayout::layOut(none, none, items, cell, ISize(0, 0));
  EXPECT_EQ(at[1], IRectangle(0, 0, 0, 0));
}

TEST(GridLayout, OwnSizesAndEmptyGrids) {
  // A track's own size wins over the default, content wins over both.
  std::vector<Track> columns{{0, false}, {25, false}, {-1, false}};
  std::vector<Item> items{Item{2, 1, 1, 1, ISize(40, 8)}};
  EXPECT_EQ(IGridLayout::trackSizes(columns, items, true, 10), std::vector<long>({0, 40, 10}));
  EXPECT_EQ(IGridLayout::minimumSize({}, {}, {}, cell), ISize(0, 0));
}

} // namespace
