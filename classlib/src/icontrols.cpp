// The controls: static text, bitmap control and the frame's information area.
#include <algorithm>

#include "ibitmapcontrol.hpp"
#include "iexcept.hpp"
#include "iframe.hpp"
#include "iinfoarea.hpp"
#include "iresource.hpp"
#include "istatictext.hpp"
#include "iwindowdriver.hpp"

namespace {

// Room around a text inside its control, in pixels.
const long textMarginX = ITextDriver::staticTextMarginX, textMarginY = ITextDriver::staticTextMarginY;
const long infoMarginX = ITextDriver::infoAreaMarginX, infoMarginY = ITextDriver::infoAreaMarginY;

ITextDriver* textDriver(IWindowDriver* driver) { return static_cast<ITextDriver*>(driver); }

} // namespace

// --- static text -------------------------------------------------------------------------------

IStaticText::IStaticText(unsigned long id, IWindow* parent, IWindow*, const IRectangle& initial)
    : IWindow(id, parent) {
  IWindow& p = IWindowPrivate::requireParent(
      parent, "icontrols", "IStaticText::IStaticText(unsigned long,IWindow*,IWindow*,const IRectangle&)");
  setDriver(IWindowDriver::newStaticText(*this, p, initial));
  textDriver(driver())->setAlignment(alignment_);
  show();
}

IStaticText::~IStaticText() { destroyDriver(); }

IStaticText& IStaticText::setText(const char* text) {
  text_ = text != nullptr ? text : "";
  if (isValid())
    driver()->setText(text_);
  return *this;
}

IStaticText& IStaticText::setText(unsigned long stringResourceId) {
  IString text = IResourceLibrary().loadString(stringResourceId);
  return setText(text);
}

IStaticText& IStaticText::setAlignment(Alignment alignment) {
  alignment_ = alignment;
  if (isValid())
    textDriver(driver())->setAlignment(alignment_);
  return *this;
}

ISize IStaticText::minimumSize() const {
  ISize text = IWindowPlatform::textExtent(text_, font());
  long height = std::max(text.height(), IWindowPlatform::lineHeight(font()));
  return ISize(text.width() + 2 * textMarginX, height + 2 * textMarginY);
}

// --- bitmap control ------------------------------------------------------------------------------

IBitmapControl::IBitmapControl(unsigned long id, IWindow* parent, IWindow*, unsigned long bitmapId,
                               const IRectangle& initial)
    : IWindow(id, parent), bitmap_(IResourceLibrary().loadBitmap(bitmapId)) {
  create(initial);
}

IBitmapControl::IBitmapControl(unsigned long id, IWindow* parent, IWindow*,
                               const IBitmapHandle& bitmap, const IRectangle& initial)
    : IWindow(id, parent), bitmap_(bitmap) {
  create(initial);
}

void IBitmapControl::create(const IRectangle& initial) {
  IWindow& p = IWindowPrivate::requireParent(
      parent(), "icontrols", "IBitmapControl::IBitmapControl(unsigned long,IWindow*,IWindow*,...)");
  setDriver(IWindowDriver::newBitmap(*this, p, bitmap_, initial));
  show();
}

IBitmapControl::~IBitmapControl() { destroyDriver(); }

ISize IBitmapControl::minimumSize() const { return IResourceLibrary::bitmapSize(bitmap_); }

// --- information area ------------------------------------------------------------------------------

IInfoArea::IInfoArea(IFrameWindow* frame) : IWindow(0, frame), frame_(frame) {
  if (frame_ == nullptr)
    raiseParameterCheck("frame != 0", IThrowLocation("icontrols", "IInfoArea::IInfoArea(IFrameWindow*)", __LINE__));
  setDriver(IWindowDriver::newInfoArea(*this, *frame_));
  textDriver(driver())->setAlignment(IStaticText::centerLeft);
  show();
  frame_->addExtension(this);
}

IInfoArea::~IInfoArea() {
  if (frame_ != nullptr)
    frame_->removeExtension(this);
  destroyDriver();
}

IInfoArea& IInfoArea::setText(const char* text) {
  text_ = text != nullptr ? text : "";
  if (isValid())
    driver()->setText(text_);
  return *this;
}

IInfoArea& IInfoArea::setAlignment(Alignment alignment) {
  alignment_ = alignment;
  update();
  return *this;
}

IInfoArea& IInfoArea::enableBorder(bool on) {
  border_ = on;
  update();
  return *this;
}

ISize IInfoArea::minimumSize() const {
  ISize text = IWindowPlatform::textExtent(text_, font());
  long height = IWindowPlatform::lineHeight(font());
  return ISize(text.width() + 2 * infoMarginX, height + 2 * infoMarginY + (border_ ? ITextDriver::infoAreaBorder : 0));
}

// A new font changes the area's height, and with it the frame's client window.
void IInfoArea::lookChanged() {
  IWindow::lookChanged();
  if (frame_ != nullptr)
    frame_->layOut();
}

void IInfoArea::update() {
  if (!isValid())
    return;
  static const IStaticText::Alignment placement[] = {IStaticText::centerLeft,
                                                     IStaticText::centerCenter,
                                                     IStaticText::centerRight};
  textDriver(driver())->setAlignment(placement[alignment_]);
  textDriver(driver())->setBorder(border_);
  if (frame_ != nullptr)
    frame_->layOut();
}
