// What the X11 window tests share: the test's resources (a frame title, a 40 x 30 picture, a
// 32 x 32 icon, accelerators), a frame like the launcher's splash built from them, and the
// test's own view of the server (window names, classes, the tree, pixels on the screen).
#ifndef IWINDOW_X11_FIXTURE_HPP
#define IWINDOW_X11_FIXTURE_HPP

// GoogleTest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "iapplication.hpp"
#include "ibitmapcontrol.hpp"
#include "icanvas.hpp"
#include "iframe.hpp"
#include "iinfoarea.hpp"
#include "istatictext.hpp"
#include "quietlogger.hpp"
#include "x11probe.hpp"

namespace X11WindowTest {

inline constexpr unsigned long kFrameId = 901, kBitmapId = 902;
inline constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF,
                               kYellow = 0xFFFF00, kWhite = 0xFFFFFF, kBlack = 0x000000;
inline constexpr char kTitle[] = "Frame from resources";

// The picture's quadrants: red, green / blue, yellow.
std::uint32_t pictureColour(long x, long y);
// The icon: opaque blue with a red square at the top left, inside a transparent border
// (0xAARRGGBB).
std::uint32_t iconPixel(long x, long y);

class Probe : public X11Probe {
public:
  std::string name(Window w) const;    // _NET_WM_NAME
  std::string wmName(Window w) const;  // WM_NAME
  std::string windowClass(Window w) const; // "instance/class"
  std::vector<Window> children(Window w) const;
  // The descendants of w (w included) whose WM_CLASS is cls, in stacking order.
  std::vector<Window> find(Window w, const std::string& cls) const;
  int mapState(Window w) const;
};

// What the screen shows in a rectangle, as 0xRRGGBB.
class Shot {
public:
  Shot(const Probe& probe, const IRectangle& r);
  bool valid() const { return !pixels_.empty(); }
  // At a point of the screen.
  std::uint32_t at(long x, long y) const {
    return pixels_[static_cast<std::size_t>((y - rect_.top()) * rect_.width() + (x - rect_.left()))];
  }
  // How many pixels of the screen rectangle r have the colour.
  long count(const IRectangle& r, std::uint32_t colour) const;
  // Pixels darker than mid-grey: ink of dark text.
  long dark(const IRectangle& r) const;

private:
  IRectangle rect_;
  std::vector<std::uint32_t> pixels_;
};

inline Window xOf(const IWindow& w) { return static_cast<Window>(w.handle().asUnsigned()); }

// Records the commands and system commands of the windows it handles; handles none.
class Recorder : public ICommandHandler {
public:
  bool command(ICommandEvent& event) override {
    commands.push_back(event.commandId());
    return false;
  }
  bool systemCommand(ICommandEvent& event) override {
    systemCommands.push_back(event.commandId());
    return false;
  }
  std::vector<unsigned long> commands, systemCommands;
};

// Runs the library's event processing until done() or two seconds have passed.
template <class Done>
bool processUntil(Done done) {
  for (int i = 0; i < 200 && !done(); ++i) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// Gives events that must not arrive time to arrive.
void settle();

// A frame like the launcher's splash: a grid canvas as client with two text lines and a
// picture canvas holding the bitmap, an information area below, placed on the screen.
struct Splash {
  Splash();
  void busy();

  IFrameWindow frame;
  IMultiCellCanvas client, picture;
  IInfoArea status;
  IStaticText first, second;
  IBitmapControl bitmap;
};

class X11Window : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_NE(probe.display(), nullptr) << "no display to test on"; }
  Probe probe;

private:
  QuietLogger quiet_;
};

} // namespace X11WindowTest

#endif
