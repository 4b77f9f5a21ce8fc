// Canvases: the plain canvas and the multi-cell canvas, whose grid arithmetic is igridlayout.
#include "icanvas.hpp"

#include <algorithm>

#include "iexcept.hpp"
#include "igridlayout.hpp"
#include "iwindowdriver.hpp"

namespace {

// The library's default cell: wide and high enough to space lines and frame a picture.
const ISize defaultCellSize(10, 10);

// The grid's items and tracks as the layout arithmetic takes them (templates, so that the
// canvas's private types need not be named here).
template <class Cells>
std::vector<IGridLayout::Item> itemsOf(const Cells& cells) {
  std::vector<IGridLayout::Item> items;
  items.reserve(cells.size());
  for (const auto& cell : cells)
    items.push_back(IGridLayout::Item{cell.column, cell.row, cell.columns, cell.rows,
                                      cell.window->minimumSize()});
  return items;
}

template <class Tracks>
std::vector<IGridLayout::Track> tracksOf(const Tracks& tracks) {
  std::vector<IGridLayout::Track> result;
  result.reserve(tracks.size());
  for (const auto& track : tracks)
    result.push_back(IGridLayout::Track{track.size, track.expandable});
  return result;
}

} // namespace

ICanvas::ICanvas(unsigned long id, IWindow* parent, IWindow*, const IRectangle& initial)
    : IWindow(id, parent) {
  IWindow& p = IWindowPrivate::requireParent(
      parent, "icanvas", "ICanvas::ICanvas(unsigned long,IWindow*,IWindow*,const IRectangle&)");
  setDriver(IWindowDriver::newCanvas(*this, p, initial));
  show();
}

ICanvas::~ICanvas() { destroyDriver(); }

IMultiCellCanvas::IMultiCellCanvas(unsigned long id, IWindow* parent, IWindow* owner,
                                   const IRectangle& initial)
    : ICanvas(id, parent, owner, initial), defaultCell_(defaultCellSize) {}

IMultiCellCanvas::~IMultiCellCanvas() = default;

IMultiCellCanvas& IMultiCellCanvas::addToCell(IWindow* window, unsigned long column,
                                              unsigned long row, unsigned long columnCount,
                                              unsigned long rowCount) {
  if (window == nullptr || column < 1 || row < 1 || columnCount < 1 || rowCount < 1)
    raiseParameterCheck("window != 0 && column >= 1 && row >= 1 && spans >= 1",
                        IThrowLocation("icanvas",
                                       "IMultiCellCanvas::addToCell(IWindow*,unsigned long,"
                                       "unsigned long,unsigned long,unsigned long)",
                                       __LINE__));
  removeFromCell(window);
  cells_.push_back(Cell{window, column, row, columnCount, rowCount});
  layOut();
  return *this;
}

IMultiCellCanvas& IMultiCellCanvas::removeFromCell(IWindow* window) {
  cells_.erase(std::remove_if(cells_.begin(), cells_.end(),
                              [window](const Cell& cell) { return cell.window == window; }),
               cells_.end());
  return *this;
}

namespace {
template <class Tracks>
void setTrack(Tracks& tracks, unsigned long index, long size,
              bool expandable, const char* function) {
  if (index < 1)
    raiseParameterCheck("index >= 1", IThrowLocation("icanvas", function, __LINE__));
  if (tracks.size() < index)
    tracks.resize(index);
  tracks[index - 1].size = std::max(0L, size);
  tracks[index - 1].expandable = expandable;
}
} // namespace

IMultiCellCanvas& IMultiCellCanvas::setColumnWidth(unsigned long column, long minimumWidth,
                                                   bool expandable) {
  setTrack(columns_, column, minimumWidth, expandable,
           "IMultiCellCanvas::setColumnWidth(unsigned long,long,bool)");
  layOut();
  return *this;
}

IMultiCellCanvas& IMultiCellCanvas::setRowHeight(unsigned long row, long minimumHeight,
                                                 bool expandable) {
  setTrack(rows_, row, minimumHeight, expandable,
           "IMultiCellCanvas::setRowHeight(unsigned long,long,bool)");
  layOut();
  return *this;
}

IMultiCellCanvas& IMultiCellCanvas::setDefaultCell(const ISize& size) {
  defaultCell_ = size;
  layOut();
  return *this;
}

ISize IMultiCellCanvas::minimumSize() const {
  return IGridLayout::minimumSize(tracksOf(columns_), tracksOf(rows_), itemsOf(cells_), defaultCell_);
}

void IMultiCellCanvas::sizeChanged() { layOut(); }

void IMultiCellCanvas::childDestroyed(IWindow* child) { removeFromCell(child); }

void IMultiCellCanvas::layOut() {
  if (!isValid() || cells_.empty())
    return;
  std::vector<IRectangle> places = IGridLayout::layOut(tracksOf(columns_), tracksOf(rows_),
                                                       itemsOf(cells_), defaultCell_, size());
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i].window->rect() != places[i])
      cells_[i].window->moveSizeTo(places[i]);
}
