// Frames of the X11 backend under a real reparenting window manager (the rig's openbox): placed
// by their outer rectangle with the manager's decorations counted, moved while the manager holds
// them, measured again when the manager changes their decorations, and kept out of the task bar
// when shown again after their retirement. Run on a display with the manager
// (tests/rig/with-xvfb --wm).
// GoogleTest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "iapplication.hpp"
#include "iframe.hpp"
#include "quietlogger.hpp"
#include "x11probe.hpp"

namespace {

// The test's own connection, with what a window manager adds.
class Probe : public X11Probe {
public:
  bool managed(Window w) const {
    std::vector<unsigned long> clients = property(root(), "_NET_CLIENT_LIST", XA_WINDOW);
    return std::find(clients.begin(), clients.end(), w) != clients.end();
  }
  bool hasState(Window w, const char* state) const {
    std::vector<unsigned long> states = property(w, "_NET_WM_STATE", XA_ATOM);
    return std::find(states.begin(), states.end(), XInternAtom(d_, state, False)) != states.end();
  }
  // What a person sees of the window: the root window's child that holds it, border included.
  IRectangle decorated(Window w) const {
    for (;;) {
      Window rootReturn, parent, *list = nullptr;
      unsigned count = 0;
      if (!XQueryTree(d_, w, &rootReturn, &parent, &list, &count))
        return IRectangle();
      if (list != nullptr)
        XFree(list);
      if (parent == rootReturn)
        break;
      w = parent;
    }
    XWindowAttributes a;
    if (!XGetWindowAttributes(d_, w, &a))
      return IRectangle();
    return IRectangle(IPoint(a.x, a.y), ISize(a.width + 2 * a.border_width, a.height + 2 * a.border_width));
  }
};

Window xOf(const IWindow& w) { return static_cast<Window>(w.handle().asUnsigned()); }

// Runs the library's event processing until done() or five seconds have passed.
template <class Done>
bool processUntil(Done done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  IApplication::current().processEvents();
  return done();
}

class FrameUnderManager : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(probe.display(), nullptr) << "no display to test on";
    ASSERT_FALSE(probe.property(probe.root(), "_NET_SUPPORTING_WM_CHECK", XA_WINDOW).empty())
        << "no window manager runs on the display";
  }
  Probe probe;

private:
  QuietLogger quiet_;
};

TEST_F(FrameUnderManager, TheOuterRectangleCountsTheDecorationsWhereverTheFrameGoes) {
  IFrameWindow frame("Decorated", 0, 0);
  Window x = xOf(frame);
  const IRectangle client(IPoint(200, 150), ISize(300, 200));
  IRectangle outer = frame.frameRectFor(client);
  // The manager answered before the frame was shown: the published extents, counted.
  std::vector<unsigned long> extents = probe.property(x, "_NET_FRAME_EXTENTS", XA_CARDINAL);
  ASSERT_EQ(extents.size(), 4u);
  EXPECT_GT(extents[2], 0u) << "no title bar";
  EXPECT_EQ(outer, IRectangle(client.left() - long(extents[0]), client.top() - long(extents[2]),
                              client.right() + long(extents[1]), client.bottom() + long(extents[3])));

  frame.moveSizeTo(outer);
  EXPECT_EQ(frame.rect(), outer);
  frame.show();
  ASSERT_TRUE(processUntil([&] { return probe.managed(x) && probe.decorated(x) != probe.onRoot(x); }));
  ASSERT_TRUE(processUntil([&] { return probe.decorated(x) == outer; }))
      << "the manager's frame is at " << probe.decorated(x).left() << "," << probe.decorated(x).top();
  EXPECT_EQ(probe.onRoot(x), client);
  EXPECT_EQ(frame.rect(), outer);
  EXPECT_EQ(frame.clientRect().size(), client.size());

  // Moved and resized while the manager holds it: the decorated frame goes where it is asked.
  IRectangle moved(IPoint(40, 30), ISize(outer.width() + 60, outer.height() + 20));
  frame.moveSizeTo(moved);
  EXPECT_TRUE(processUntil([&] { return probe.decorated(x) == moved && frame.rect() == moved; }))
      << "the manager's frame is at " << probe.decorated(x).left() << "," << probe.decorated(x).top()
      << ", the frame says " << frame.rect().left() << "," << frame.rect().top();
  EXPECT_EQ(frame.clientRect().size(), ISize(client.width() + 60, client.height() + 20));
}

TEST_F(FrameUnderManager, DecorationsChangedAfterTheMapAreCountedFromThen) {
  IFrameWindow frame("Redecorated", 0, 0);
  Window x = xOf(frame);
  frame.moveSizeTo(frame.frameRectFor(IRectangle(IPoint(300, 200), ISize(250, 150))));
  frame.show();
  ASSERT_TRUE(processUntil([&] { return probe.managed(x) && probe.decorated(x) == frame.rect(); }));
  IRectangle before = frame.rect();

  // What the manager's own "decorate" toggle does: the Motif hints ask for no decorations
  // (flags: decorations; decorations: none), and the manager takes its title bar away.
  long hints[5] = {2, 0, 0, 0, 0};
  Atom motif = XInternAtom(probe.display(), "_MOTIF_WM_HINTS", False);
  XChangeProperty(probe.display(), x, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
  XSync(probe.display(), False);
  EXPECT_TRUE(processUntil([&] {
    return probe.decorated(x).height() < before.height() && frame.rect() == probe.decorated(x);
  })) << "the frame says " << frame.rect().height() << " high, the manager's "
      << probe.decorated(x).height();
  EXPECT_EQ(frame.clientRect().size(), ISize(250, 150));
}

TEST_F(FrameUnderManager, AFrameShownAgainAfterItsRetirementStaysOutOfTheTaskBar) {
  IFrameWindow frame("Retired", 0, 0);
  Window x = xOf(frame);
  frame.moveSizeTo(frame.frameRectFor(IRectangle(IPoint(100, 100), ISize(200, 100))));
  frame.show();
  ASSERT_TRUE(processUntil([&] { return probe.managed(x); }));
  EXPECT_FALSE(probe.hasState(x, "_NET_WM_STATE_SKIP_TASKBAR"));

  // As the launcher retires its window: the manager lets go of it and clears its state.
  frame.disable();
  frame.hide();
  frame.removeFromTaskBar();
  ASSERT_TRUE(processUntil([&] { return !probe.managed(x); }));

  frame.enable();
  frame.show();
  ASSERT_TRUE(processUntil([&] { return probe.managed(x); }));
  EXPECT_TRUE(processUntil([&] { return probe.hasState(x, "_NET_WM_STATE_SKIP_TASKBAR"); }));
}

} // namespace
