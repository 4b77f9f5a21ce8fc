// IBitmapControl: a control that shows a bitmap at its own size.
#ifndef IBITMAPCONTROL_HPP
#define IBITMAPCONTROL_HPP

#include "iwindow.hpp"

class IBitmapControl : public IWindow {
public:
  // Shows bitmap resource bitmapId of the program's resources; a missing resource raises.
  IBitmapControl(unsigned long id, IWindow* parent, IWindow* owner, unsigned long bitmapId,
                 const IRectangle& initial = IRectangle());
  IBitmapControl(unsigned long id, IWindow* parent, IWindow* owner, const IBitmapHandle& bitmap,
                 const IRectangle& initial = IRectangle());
  ~IBitmapControl() override;

  IBitmapHandle bitmap() const noexcept { return bitmap_; }
  // The bitmap's own size.
  ISize minimumSize() const override;

private:
  void create(const IRectangle& initial);
  IBitmapHandle bitmap_;
};

#endif
