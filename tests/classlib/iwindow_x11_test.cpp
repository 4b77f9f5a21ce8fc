// Tests of the X11 backend of the window toolkit on a real X server, read back through a
// connection of the test's own: names, classes, geometry and pixels of a frame with a grid
// canvas, text lines, a picture and an information area; content that the server restores
// while no event loop runs; the icon, the busy pointer, the retired frame; accelerator keys
// and the close box; text of any length. (Fonts, the density and the primary monitor:
// ix11display_test.cpp, in the same program.)
#include "iwindow_x11_fixture.hpp" // first: it brings GoogleTest in before Xlib's None and Bool

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include <cstdint>
#include <string>
#include <vector>

#include "iresource.hpp"
#include "iwindowdriver.hpp"

namespace {

using namespace X11WindowTest;

// --- the splash: what the server holds and shows ------------------------------------------------

TEST_F(X11Window, EveryWindowCarriesItsTextAndClassAndSitsWhereTheLayoutPutIt) {
  Splash s;
  s.busy();
  Window frame = xOf(s.frame);
  EXPECT_EQ(probe.name(frame), kTitle);
  EXPECT_EQ(probe.wmName(frame), kTitle);
  EXPECT_EQ(probe.windowClass(frame), "frame/IFrameWindow");
  EXPECT_EQ(s.frame.text(), kTitle);

  std::vector<Window> texts = probe.find(frame, "text/Static");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(probe.name(texts[0]), "First line");
  EXPECT_EQ(probe.name(texts[1]), "Second line");
  std::vector<Window> areas = probe.find(frame, "infoarea/IInfoArea");
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(probe.name(areas[0]), "Please wait...");
  EXPECT_EQ(probe.wmName(areas[0]), "Please wait...");
  EXPECT_EQ(probe.find(frame, "canvas/ICanvas").size(), 2u);
  std::vector<Window> bitmaps = probe.find(frame, "bitmap/IBitmapControl");
  ASSERT_EQ(bitmaps.size(), 1u);
  EXPECT_EQ(bitmaps[0], xOf(s.bitmap));

  // The client area is the grid's minimum size at the place asked for; the information area
  // is below it, as wide, and one line of its font high.
  ISize minimum = s.client.minimumSize();
  IRectangle client = probe.onRoot(xOf(s.client)), status = probe.onRoot(areas[0]);
  EXPECT_EQ(client, IRectangle(IPoint(100, 80), minimum));
  EXPECT_EQ(status, IRectangle(IPoint(100, 80 + minimum.height()),
                               ISize(minimum.width(), s.status.minimumSize().height())));
  EXPECT_EQ(probe.onRoot(frame), IRectangle(100, 80, client.right(), status.bottom()));
  EXPECT_EQ(s.frame.rect(), probe.onRoot(frame));
  EXPECT_EQ(probe.onRoot(xOf(s.bitmap)).size(), ISize(40, 30));
  EXPECT_EQ(probe.mapState(frame), IsViewable);
  EXPECT_EQ(probe.mapState(xOf(s.bitmap)), IsViewable);
}

TEST_F(X11Window, ContentIsDrawnAndSurvivesExposureWithNoEventLoop) {
  Splash s;
  s.busy(); // no event is processed anywhere in this test
  IRectangle status = probe.onRoot(xOf(s.status)), picture = probe.onRoot(xOf(s.bitmap));
  IRectangle first = probe.onRoot(xOf(s.first)), frame = probe.onRoot(xOf(s.frame));

  auto expectContent = [&](const char* when) {
    Shot shot(probe, frame);
    ASSERT_TRUE(shot.valid());
    // White text on red, below a grey border line.
    long area = status.width() * (status.height() - 1);
    IRectangle below(status.left(), status.top() + 1, status.right(), status.bottom());
    EXPECT_GT(shot.count(below, kRed) * 10, area * 7) << when;
    EXPECT_GT(shot.count(below, kWhite), 20) << when;
    EXPECT_EQ(shot.count(IRectangle(status.left(), status.top(), status.right(), status.top() + 1), 0x808080),
              status.width()) << when;
    // The picture at its own size, pixel for pixel.
    for (long y = 0; y < 30; y += 3)
      for (long x = 0; x < 40; x += 3)
        ASSERT_EQ(shot.at(picture.left() + x, picture.top() + y), pictureColour(x, y))
            << when << " at " << x << "," << y;
    // Dark text on the white canvas.
    EXPECT_GT(shot.dark(first), 30) << when;
    EXPECT_GT(shot.count(first, kWhite) * 2, first.width() * first.height()) << when;
  };
  expectContent("after the synchronous refresh");

  // Another window covers the frame and goes: the server repaints what it uncovers.
  XSetWindowAttributes attributes;
  attributes.override_redirect = True;
  attributes.background_pixel = BlackPixel(probe.display(), DefaultScreen(probe.display()));
  Window cover = XCreateWindow(probe.display(), probe.root(), 0, 0, 1280, 1024, 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel,
                               &attributes);
  XMapRaised(probe.display(), cover);
  {
    Shot covered(probe, frame);
    ASSERT_EQ(covered.count(picture, kBlack), picture.width() * picture.height());
  }
  XDestroyWindow(probe.display(), cover);
  expectContent("after another window uncovered it");
}

TEST_F(X11Window, AChangeShowsAtOnceAndThePostedEventStaysQueued) {
  Splash s;
  s.busy();
  Recorder recorder;
  recorder.handleEventsFor(&s.frame);
  s.frame.postEvent(IWindow::command, 1104);

  s.status.setText(" ");
  s.status.setForegroundColor(IColor::darkGray()).setBackgroundColor(IColor::white());
  s.first.setText("Changed line");
  s.frame.refresh(true);
  IRectangle status = probe.onRoot(xOf(s.status));
  Shot shot(probe, status);
  IRectangle below(status.left(), status.top() + 1, status.right(), status.bottom());
  EXPECT_EQ(shot.count(below, kWhite), below.width() * below.height());
  EXPECT_EQ(probe.name(xOf(s.status)), " ");
  EXPECT_EQ(probe.name(xOf(s.first)), "Changed line");
  EXPECT_TRUE(recorder.commands.empty()) << "the refresh dispatched an event";

  EXPECT_TRUE(processUntil([&] { return !recorder.commands.empty(); }));
  EXPECT_EQ(recorder.commands, std::vector<unsigned long>({1104}));
  recorder.stopHandlingEventsFor(&s.frame);
}

// --- the frame's platform side ---------------------------------------------------------------

TEST_F(X11Window, TheIconIsNetWmIconAndTheBusyPointerIsMadeFromIt) {
  Splash s;
  s.frame.refresh(true); // what the library asked of the server is done before the test looks
  IPointerHandle icon = IResourceLibrary().loadIcon(kFrameId, true);
  std::vector<unsigned long> property = probe.property(xOf(s.frame), "_NET_WM_ICON", XA_CARDINAL);
  ASSERT_EQ(property.size(), 2u + 32 * 32);
  EXPECT_EQ(property[0], 32u);
  EXPECT_EQ(property[1], 32u);
  for (long y = 0; y < 32; ++y)
    for (long x = 0; x < 32; ++x)
      // Xlib hands format-32 data back as longs, sign-extended.
      ASSERT_EQ(property[static_cast<std::size_t>(2 + y * 32 + x)] & 0xFFFFFFFF, iconPixel(x, y))
          << x << "," << y;

  int eventBase, errorBase;
  ASSERT_TRUE(XFixesQueryExtension(probe.display(), &eventBase, &errorBase));
  auto cursorIsIcon = [&] {
    XFixesCursorImage* cursor = XFixesGetCursorImage(probe.display());
    if (cursor == nullptr)
      return false;
    bool same = cursor->width == 32 && cursor->height == 32 && cursor->xhot == 16 && cursor->yhot == 16;
    for (long i = 0; same && i < 32 * 32; ++i)
      same = static_cast<std::uint32_t>(cursor->pixels[i]) == iconPixel(i % 32, i / 32);
    XFree(cursor);
    return same;
  };
  // The pointer over a child that has none of its own shows the frame's.
  IRectangle over = probe.onRoot(xOf(s.first));
  XWarpPointer(probe.display(), None, probe.root(), 0, 0, 0, 0, static_cast<int>(over.left() + 3),
               static_cast<int>(over.top() + 3));
  XSync(probe.display(), False);
  EXPECT_FALSE(cursorIsIcon());
  s.frame.setMousePointer(icon);
  s.frame.refresh(true);
  EXPECT_TRUE(cursorIsIcon());
  s.frame.setMousePointer(IPointerHandle());
  s.frame.refresh(true);
  EXPECT_FALSE(cursorIsIcon());
}

TEST_F(X11Window, ARetiredFrameIsDisabledWithdrawnAndOutOfTheTaskBar) {
  Splash s;
  s.busy();
  Window frame = xOf(s.frame);
  Atom skip = probe.atom("_NET_WM_STATE_SKIP_TASKBAR");
  XSelectInput(probe.display(), probe.root(), SubstructureNotifyMask);
  XSync(probe.display(), False);

  s.frame.disable();
  s.frame.hide();
  s.frame.removeFromTaskBar();
  s.frame.removeFromTaskBar();
  s.frame.setFocus(); // refused without complaint: the frame is hidden and disabled
  s.frame.refresh(true);

  EXPECT_EQ(probe.mapState(frame), IsUnmapped);
  EXPECT_EQ(probe.property(frame, "_NET_WM_STATE", XA_ATOM), std::vector<unsigned long>({skip}));
  XWMHints* hints = XGetWMHints(probe.display(), frame);
  ASSERT_NE(hints, nullptr);
  EXPECT_TRUE(hints->flags & InputHint);
  EXPECT_FALSE(hints->input);
  XFree(hints);
  Window focus;
  int revert;
  XGetInputFocus(probe.display(), &focus, &revert);
  EXPECT_NE(focus, frame);
  // Withdrawn, not just unmapped: the window manager is told with a synthetic UnmapNotify.
  bool withdrawn = false;
  XEvent event;
  while (XCheckTypedEvent(probe.display(), UnmapNotify, &event))
    withdrawn = withdrawn || (event.xunmap.window == frame && event.xunmap.send_event);
  EXPECT_TRUE(withdrawn);
  EXPECT_FALSE(s.frame.isVisible());
  EXPECT_TRUE(s.frame.isValid());
}

TEST_F(X11Window, KeysOfTheTableBecomeCommandsAndTheCloseBoxASystemCommand) {
  Splash s;
  Recorder recorder;
  recorder.handleEventsFor(&s.frame);
  Display* d = probe.display();
  auto press = [&](KeySym key, unsigned state) {
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.display = d;
    event.xkey.window = xOf(s.frame);
    event.xkey.root = probe.root();
    event.xkey.same_screen = True;
    event.xkey.keycode = XKeysymToKeycode(d, key);
    event.xkey.state = state;
    XSendEvent(d, xOf(s.frame), True, KeyPressMask, &event);
    XSync(d, False);
  };
  // Capital O and R, Ctrl+Q (character 0x11); a lower-case o and an x are no accelerators.
  press(XK_o, ShiftMask);
  press(XK_o, 0);
  press(XK_x, 0);
  press(XK_r, ShiftMask);
  press(XK_q, ControlMask);
  EXPECT_TRUE(processUntil([&] { return recorder.commands.size() >= 3; }));
  EXPECT_EQ(recorder.commands, std::vector<unsigned long>({16640, 18037, 4096}));

  // A disabled frame takes no keys and no close.
  s.frame.disable();
  press(XK_o, ShiftMask);
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = xOf(s.frame);
  close.xclient.message_type = probe.atom("WM_PROTOCOLS");
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(probe.atom("WM_DELETE_WINDOW"));
  XSendEvent(d, xOf(s.frame), False, NoEventMask, &close);
  XSync(d, False);
  settle();
  EXPECT_EQ(recorder.commands.size(), 3u);
  EXPECT_TRUE(recorder.systemCommands.empty());
  EXPECT_TRUE(s.frame.isValid());

  // Enabled, the close box is the system command SC_CLOSE; left unhandled, the window goes
  // with its children.
  s.frame.enable();
  Window frame = xOf(s.frame), bitmap = xOf(s.bitmap);
  XSendEvent(d, frame, False, NoEventMask, &close);
  XSync(d, False);
  EXPECT_TRUE(processUntil([&] { return !s.frame.isValid(); }));
  EXPECT_EQ(recorder.systemCommands, std::vector<unsigned long>({0xF060}));
  EXPECT_FALSE(s.bitmap.isValid());
  EXPECT_FALSE(s.status.isValid());
  EXPECT_EQ(IWindow::windowWithHandle(IWindowHandle(bitmap)), nullptr);
  EXPECT_EQ(probe.mapState(frame), -1);
  // What is left of the windows still answers, and goes quietly.
  s.first.setText("after the close");
  s.frame.refresh(true);
}

// A window destroyed before its parent leaves the parent's layout: later layouts (here the
// information area's destruction, which lays the frame out again) must not reach it.
TEST_F(X11Window, ChildrenDestroyedBeforeTheirParentLeaveItsLayout) {
  IFrameWindow frame("Children first", 300, 200);
  auto* client = new IMultiCellCanvas(1, &frame, &frame);
  frame.setClient(client);
  auto* line = new IStaticText(2, client, client);
  line->setText("Going first");
  client->addToCell(line, 1, 1);
  auto* status = new IInfoArea(&frame);
  delete line;
  IMultiCellCanvas empty(3, &frame, &frame);
  EXPECT_EQ(client->minimumSize(), empty.minimumSize());
  frame.moveSizeTo(IRectangle(0, 0, 320, 220));
  delete client;
  EXPECT_EQ(frame.client(), nullptr);
  delete status;
  frame.moveSizeTo(IRectangle(0, 0, 300, 200));
  EXPECT_EQ(frame.clientRect(), IRectangle(0, 0, 300, 200));
}

// --- text of any length ------------------------------------------------------------------------

TEST_F(X11Window, TextOfAnyLengthIsMeasuredInFullAndDrawn) {
  // 20,000 advances pass both the signed and the unsigned 16-bit range.
  IFont font("Arial", 10);
  long one = IWindowPlatform::textExtent("x", font).width();
  ASSERT_GT(one, 3);
  EXPECT_EQ(IWindowPlatform::textExtent(std::string(20000, 'x').c_str(), font).width(), 20000 * one);
  EXPECT_EQ(IWindowPlatform::textExtent(std::string(300000, 'x').c_str(), font).width(), 300000 * one);

  // A word of 300,000 characters in a control, aligned left and right: the program lives on,
  // the control carries the whole text and shows its ends.
  IFrameWindow frame("Long text", 400, 100);
  ICanvas canvas(1, &frame, &frame);
  frame.setClient(&canvas);
  IStaticText left(2, &canvas, &canvas, IRectangle(0, 0, 400, 40));
  IStaticText right(3, &canvas, &canvas, IRectangle(0, 50, 400, 90));
  std::string word(300000, 'x');
  left.setText(word.c_str());
  right.setText(word.c_str());
  right.setAlignment(IStaticText::topRight);
  frame.moveSizeTo(IRectangle(10, 10, 410, 110));
  frame.show();
  frame.refresh(true);
  EXPECT_EQ(probe.name(xOf(left)).size(), 300000u);
  Shot shot(probe, IRectangle(10, 10, 410, 110));
  ASSERT_TRUE(shot.valid());
  EXPECT_GT(shot.dark(IRectangle(10, 10, 410, 50)), 200);
  EXPECT_GT(shot.dark(IRectangle(10, 60, 410, 100)), 200);
  EXPECT_GT(shot.dark(IRectangle(10, 60, 30, 100)), 5) << "the right-aligned word's visible start";
}

} // namespace
