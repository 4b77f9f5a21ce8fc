// ICanvas and IMultiCellCanvas: child windows that hold and lay out other windows.
#ifndef ICANVAS_HPP
#define ICANVAS_HPP

#include <vector>

#include "iwindow.hpp"

// A plain child window that shows its background colour behind its children.
class ICanvas : public IWindow {
public:
  ICanvas(unsigned long id, IWindow* parent, IWindow* owner,
          const IRectangle& initial = IRectangle());
  ~ICanvas() override;
};

// A canvas that lays out its children in a grid of cells, addressed by column and row from 1.
// A column or row holds its widest (tallest) child; one with nothing in it keeps the default
// cell size unless given a size of its own. Expandable columns and rows share any extra space
// equally. Each child fills its cell (or the cells it spans).
class IMultiCellCanvas : public ICanvas {
public:
  IMultiCellCanvas(unsigned long id, IWindow* parent, IWindow* owner,
                   const IRectangle& initial = IRectangle());
  ~IMultiCellCanvas() override;

  IMultiCellCanvas& addToCell(IWindow* window, unsigned long column, unsigned long row,
                              unsigned long columnCount = 1, unsigned long rowCount = 1);
  IMultiCellCanvas& removeFromCell(IWindow* window);
  // The column's smallest width (in place of the default cell width), and whether it shares
  // extra width.
  IMultiCellCanvas& setColumnWidth(unsigned long column, long minimumWidth, bool expandable = false);
  IMultiCellCanvas& setRowHeight(unsigned long row, long minimumHeight, bool expandable = false);
  IMultiCellCanvas& setDefaultCell(const ISize& size);
  ISize defaultCell() const noexcept { return defaultCell_; }

  // The size the grid needs: the sum of its columns' widths and its rows' heights.
  ISize minimumSize() const override;

protected:
  void sizeChanged() override;
  void childDestroyed(IWindow* child) override;

private:
  struct Cell { IWindow* window; unsigned long column, row, columns, rows; };
  struct Track { long size = -1; bool expandable = false; }; // size -1: not set
  void layOut();

  std::vector<Cell> cells_;
  std::vector<Track> columns_, rows_; // index 0 is column (row) 1
  ISize defaultCell_;
};

#endif
