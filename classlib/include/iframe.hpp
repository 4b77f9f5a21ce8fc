// IFrameWindow: a top-level window with a title, the frame that applications and tests create.
#ifndef IFRAME_HPP
#define IFRAME_HPP

#include <memory>

#include "iwindow.hpp"

class IWindowDriver;

// A top-level frame window with title bar, system menu and border, created hidden. Its text is
// its title (on X11 also its WM_NAME and _NET_WM_NAME). Closing it (the close box, a posted
// close event) destroys the platform window; the object then has no handle and stays usable
// for text() but not for posting.
class IFrameWindow : public IWindow {
public:
  explicit IFrameWindow(const char* title, long width = 320, long height = 200);
  ~IFrameWindow() override;

  IString text() const override;
  IFrameWindow& setText(const char* title);
  IFrameWindow& show(bool visible = true);
  IFrameWindow& hide() { return show(false); }
  bool isVisible() const noexcept { return visible_; }

private:
  friend class IWindowDriver;
  std::unique_ptr<IWindowDriver> driver_;
  IString title_;
  bool visible_ = false;
};

#endif
