// Frame windows (their client window and extensions) and the title object.
#include "iframe.hpp"

#include <algorithm>

#include "iexcept.hpp"
#include "iinfoarea.hpp"
#include "iresource.hpp"
#include "ititle.hpp"
#include "iwindowdriver.hpp"

namespace {
IFrameDriver* frameDriver(IWindowDriver* driver) { return static_cast<IFrameDriver*>(driver); }
} // namespace

const IFrameWindow::Style IFrameWindow::titleBar(0x0001);
const IFrameWindow::Style IFrameWindow::systemMenu(0x0002);
const IFrameWindow::Style IFrameWindow::border(0x0004);
const IFrameWindow::Style IFrameWindow::minimizeButton(0x0008);
const IFrameWindow::Style IFrameWindow::sizingBorder(0x0010);
const IFrameWindow::Style IFrameWindow::accelerator(0x0020);
const IFrameWindow::Style IFrameWindow::appIcon(0x0040);

IFrameWindow::IFrameWindow(unsigned long id, const Style& style) : IWindow(id, nullptr) {
  IResourceLibrary resources;
  // The resources come first: a missing one raises before any platform window exists.
  title_ = resources.loadString(id);
  IAccelTblHandle accelerators;
  if (style.contains(accelerator))
    accelerators = resources.loadAccelTable(id);
  IPointerHandle icon;
  if (style.contains(appIcon))
    icon = resources.loadIcon(id);
  setDriver(IWindowDriver::newFrame(*this, title_, style, ISize(0, 0)));
  if (accelerators.isValid())
    frameDriver(driver())->setAccelerators(accelerators);
  if (icon.isValid())
    frameDriver(driver())->setIcon(icon);
}

IFrameWindow::IFrameWindow(const char* title, long width, long height)
    : IWindow(0, nullptr), title_(title) {
  setDriver(IWindowDriver::newFrame(*this, title_, defaultStyle() | sizingBorder,
                                    ISize(width, height)));
}

IFrameWindow::~IFrameWindow() {
  // The extensions and the client are the owner's objects: they only lose their frame.
  for (IInfoArea* extension : extensions_)
    extension->frame_ = nullptr;
  destroyDriver();
}

IString IFrameWindow::text() const { return isValid() ? IWindow::text() : title_; }

IFrameWindow& IFrameWindow::setText(const char* title) {
  title_ = title;
  if (isValid())
    driver()->setText(title_);
  return *this;
}

IFrameWindow& IFrameWindow::show(bool visible) {
  IWindow::show(visible);
  return *this;
}

IFrameWindow& IFrameWindow::setClient(IWindow* client) {
  client_ = client;
  layOut();
  return *this;
}

IFrameWindow& IFrameWindow::setIcon(const IPointerHandle& icon) {
  if (isValid())
    frameDriver(driver())->setIcon(icon);
  return *this;
}

IFrameWindow& IFrameWindow::setIcon(unsigned long iconId) {
  return setIcon(IResourceLibrary().loadIcon(iconId));
}

IFrameWindow& IFrameWindow::removeFromTaskBar() {
  if (isValid())
    frameDriver(driver())->removeFromTaskBar();
  return *this;
}

long IFrameWindow::extensionHeight() const {
  long height = 0;
  for (const IInfoArea* extension : extensions_)
    height += extension->minimumSize().height();
  return height;
}

IRectangle IFrameWindow::clientRect() const {
  if (!isValid())
    return IRectangle();
  IRectangle area = frameDriver(driver())->clientArea();
  long bottom = std::max(area.top(), area.bottom() - extensionHeight());
  return IRectangle(area.left(), area.top(), area.right(), bottom);
}

IRectangle IFrameWindow::frameRectFor(const IRectangle& clientRect) const {
  IRectangle area(clientRect.left(), clientRect.top(), clientRect.right(),
                  clientRect.bottom() + extensionHeight());
  return isValid() ? frameDriver(driver())->frameRectFor(area) : area;
}

void IFrameWindow::sizeChanged() { layOut(); }

void IFrameWindow::childDestroyed(IWindow* child) {
  if (child == client_)
    client_ = nullptr;
}

// The client window fills the client area above the extensions, which are stacked below it
// in the order they were attached.
void IFrameWindow::layOut() {
  if (!isValid())
    return;
  IRectangle area = frameDriver(driver())->clientArea();
  IRectangle client = clientRect();
  if (client_ != nullptr)
    client_->moveSizeTo(client);
  long top = client.bottom();
  for (IInfoArea* extension : extensions_) {
    long height = extension->minimumSize().height();
    extension->moveSizeTo(IRectangle(area.left(), top, area.right(), top + height));
    top += height;
  }
}

void IFrameWindow::addExtension(IInfoArea* extension) {
  extensions_.push_back(extension);
  layOut();
}

void IFrameWindow::removeExtension(IInfoArea* extension) {
  extensions_.erase(std::remove(extensions_.begin(), extensions_.end(), extension), extensions_.end());
  layOut();
}

// --- the title -------------------------------------------------------------------------------

ITitle::ITitle(IFrameWindow* frame, const char* objectText, const char* viewText,
               const char* viewNumber)
    : frame_(frame), object_(objectText != nullptr ? objectText : ""),
      view_(viewText != nullptr ? viewText : ""), number_(viewNumber != nullptr ? viewNumber : "") {
  if (frame_ == nullptr)
    raiseParameterCheck("frame != 0", IThrowLocation("ititle", "ITitle::ITitle(IFrameWindow*,const "
                                                               "char*,const char*,const char*)",
                                                     __LINE__));
  update();
}

ITitle& ITitle::setObjectText(const char* text) {
  object_ = text != nullptr ? text : "";
  update();
  return *this;
}

ITitle& ITitle::setViewText(const char* text) {
  view_ = text != nullptr ? text : "";
  update();
  return *this;
}

ITitle& ITitle::setViewNumber(const char* number) {
  number_ = number != nullptr ? number : "";
  update();
  return *this;
}

IString ITitle::text() const { return compose(object_, view_, number_); }

IString ITitle::compose(const IString& objectText, const IString& viewText,
                        const IString& viewNumber) {
  IString title = objectText;
  if (!viewText.isEmpty()) {
    if (!title.isEmpty())
      title += " - ";
    title += viewText;
  }
  if (!viewNumber.isEmpty()) {
    if (!title.isEmpty())
      title += ": ";
    title += viewNumber;
  }
  return title;
}

void ITitle::update() { frame_->setText(text()); }
