// IFrameWindow: a top-level window with title bar, system menu and border, its client window
// and its extensions (an information area below the client).
#ifndef IFRAME_HPP
#define IFRAME_HPP

#include <cstdint>

#include "iwindow.hpp"

class IInfoArea;

class IFrameWindow : public IWindow {
public:
  // Frame styles combine with |.
  class Style {
  public:
    constexpr explicit Style(std::uint32_t bits = 0) noexcept : bits_(bits) {}
    constexpr std::uint32_t asUnsignedLong() const noexcept { return bits_; }
    constexpr Style operator|(const Style& o) const noexcept { return Style(bits_ | o.bits_); }
    constexpr bool contains(const Style& o) const noexcept { return (bits_ & o.bits_) == o.bits_; }

  private:
    std::uint32_t bits_;
  };
  static const Style titleBar;
  static const Style systemMenu;
  static const Style border;
  static const Style minimizeButton;
  // A sizing border and the maximize button.
  static const Style sizingBorder;
  // Loads the accelerator table with the frame's identifier from the program's resources.
  static const Style accelerator;
  // Sets the icon with the frame's identifier from the program's resources.
  static const Style appIcon;
  // Title bar, system menu, border and minimize button: a frame that keeps its size.
  static Style defaultStyle() noexcept { return titleBar | systemMenu | border | minimizeButton; }

  // A hidden frame with the identifier id: its title is the program's string resource id, and
  // the style's resource flags load the resources of that id. A missing resource raises.
  explicit IFrameWindow(unsigned long id, const Style& style = defaultStyle());
  // A hidden frame with a title and an outer size.
  explicit IFrameWindow(const char* title, long width = 320, long height = 200);
  ~IFrameWindow() override;

  // The platform window's title while there is one (what a person and other programs see),
  // else the last title given.
  IString text() const override;
  IFrameWindow& setText(const char* title);

  IFrameWindow& show(bool visible = true) override;
  IFrameWindow& hide() { return show(false); }

  // The client window fills the frame's client area above its extensions; null for none.
  IFrameWindow& setClient(IWindow* client);
  IWindow* client() const noexcept { return client_; }

  // The icon of the title bar and task bar.
  IFrameWindow& setIcon(const IPointerHandle& icon);
  IFrameWindow& setIcon(unsigned long iconId);
  // Takes away the frame's task-bar button (the application-window style is cleared).
  IFrameWindow& removeFromTaskBar();

  // The client window's rectangle in the frame's coordinates (the client area above the
  // extensions).
  IRectangle clientRect() const;
  // The frame's outer rectangle, in desktop coordinates, whose client window would have the
  // rectangle clientRect (also in desktop coordinates): the client plus what the frame adds
  // around it (border, title bar, extensions).
  IRectangle frameRectFor(const IRectangle& clientRect) const;

protected:
  void sizeChanged() override;
  void childDestroyed(IWindow* child) override;

private:
  friend class IInfoArea;
  void addExtension(IInfoArea* extension);
  void removeExtension(IInfoArea* extension);
  long extensionHeight() const;
  void layOut();

  IString title_;
  IWindow* client_ = nullptr;
  std::vector<IInfoArea*> extensions_;
};

#endif
