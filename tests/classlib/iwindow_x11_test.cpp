// Tests of the X11 backend of the window toolkit on a real X server, read back through a
// connection of the test's own: names, classes, geometry and pixels of a frame with a grid
// canvas, text lines, a picture and an information area; content that the server restores
// while no event loop runs; the icon, the busy pointer, the retired frame; accelerator keys
// and the close box; text of any length; fonts, the density and the primary monitor.
//
// Environment (set by the CMake entries that run it on particular servers):
//   QUILLET_TEST_DENSITY   the density the server is set up for (X11Display tests)
//   QUILLET_TEST_MONITOR   "LEFT TOP WIDTH HEIGHT" of the primary monitor (X11Display tests)
//   QUILLET_TEST_RANDR     1: the server is the test's own to reconfigure with RandR
// GoogleTest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <fontconfig/fontconfig.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "iapplication.hpp"
#include "ibitmapcontrol.hpp"
#include "icanvas.hpp"
#include "idevicecontext.hpp"
#include "iframe.hpp"
#include "iimage.hpp"
#include "iinfoarea.hpp"
#include "iresource.hpp"
#include "iresourcetable.hpp"
#include "istatictext.hpp"
#include "iwindowdriver.hpp"
#include "quietlogger.hpp"
#include "x11probe.hpp"
#include "x11/ix11drawing.hpp"

namespace {

// --- the test's resources: a frame title, a 40 x 30 picture, a 32 x 32 icon, accelerators --------

const unsigned long kFrameId = 901, kBitmapId = 902;
const std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00,
                    kWhite = 0xFFFFFF, kBlack = 0x000000;

// Little-endian fields of the file formats.
void put(std::vector<unsigned char>& v, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    v.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A BITMAPINFOHEADER (headerHeight: an icon's counts its mask) and the pixels from the bottom
// row up, `bytes` bytes of colour(x, y) each (the test's widths need no row padding).
template <class Colour>
void putDib(std::vector<unsigned char>& v, long width, long height, long headerHeight, int bytes,
            Colour colour) {
  put(v, 40, 4);
  put(v, static_cast<std::uint32_t>(width), 4);
  put(v, static_cast<std::uint32_t>(headerHeight), 4);
  put(v, 1, 2);
  put(v, static_cast<std::uint32_t>(bytes * 8), 2);
  for (int i = 0; i < 6; ++i)
    put(v, 0, 4);
  for (long y = height - 1; y >= 0; --y)
    for (long x = 0; x < width; ++x)
      put(v, colour(x, y), bytes);
}

// The picture's quadrants: red, green / blue, yellow.
std::uint32_t pictureColour(long x, long y) {
  return y < 15 ? (x < 20 ? kRed : kGreen) : (x < 20 ? kBlue : kYellow);
}

std::vector<unsigned char> makeBitmap() {
  std::vector<unsigned char> v{'B', 'M'};
  put(v, 14 + 40 + 40 * 30 * 3, 4);
  put(v, 0, 4);
  put(v, 14 + 40, 4);
  putDib(v, 40, 30, 30, 3, pictureColour);
  return v;
}

// The icon: opaque blue with a red square at the top left, inside a transparent border.
std::uint32_t iconPixel(long x, long y) {
  if (x < 2 || y < 2 || x >= 30 || y >= 30)
    return 0;
  return x < 10 && y < 10 ? 0xFF000000 | kRed : 0xFF000000 | kBlue;
}

std::vector<unsigned char> makeIcon() {
  std::vector<unsigned char> v;
  for (std::uint32_t field : {0, 1, 1}) // ICONDIR with one image
    put(v, field, 2);
  for (std::uint32_t field : {32, 32, 0, 0}) // 32 x 32, no palette
    put(v, field, 1);
  put(v, 1, 2);
  put(v, 32, 2);
  put(v, 40 + 32 * 32 * 4 + 32 * 4, 4);
  put(v, 22, 4);
  putDib(v, 32, 32, 64, 4, iconPixel);
  v.insert(v.end(), 32 * 4, 0); // the AND mask: the alpha channel decides
  return v;
}

const char kTitle[] = "Frame from resources";
const std::vector<unsigned char>& bitmapData() {
  static const std::vector<unsigned char> data = makeBitmap();
  return data;
}
const std::vector<unsigned char>& iconData() {
  static const std::vector<unsigned char> data = makeIcon();
  return data;
}
const IAcceleratorEntry kAccelerators[] = {
    {0, 'O', 16640}, {0, 'R', 18037}, {IAcceleratorEntry::last, 0x11, 4096}};

const IResourceEntry kResources[] = {
    {IResourceEntry::string, kFrameId, reinterpret_cast<const unsigned char*>(kTitle),
     sizeof kTitle - 1},
    {IResourceEntry::bitmap, kBitmapId, bitmapData().data(), bitmapData().size()},
    {IResourceEntry::iconGroup, kFrameId, iconData().data(), iconData().size()},
    {IResourceEntry::acceleratorTable, kFrameId, reinterpret_cast<const unsigned char*>(kAccelerators),
     sizeof kAccelerators}};
const IResourceTable kTable(kResources, sizeof kResources / sizeof kResources[0]);

// --- the test's own view of the server ------------------------------------------------------

class Probe : public X11Probe {
public:
  std::string name(Window w) const {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::string result;
    if (XGetWindowProperty(d_, w, atom("_NET_WM_NAME"), 0, 1 << 20, False, atom("UTF8_STRING"),
                           &type, &format, &count, &after, &data) == Success && data != nullptr)
      result.assign(reinterpret_cast<char*>(data), count);
    if (data != nullptr)
      XFree(data);
    return result;
  }
  std::string wmName(Window w) const {
    XTextProperty property;
    std::string result;
    if (XGetWMName(d_, w, &property) && property.value != nullptr) {
      result.assign(reinterpret_cast<char*>(property.value), property.nitems);
      XFree(property.value);
    }
    return result;
  }
  std::string windowClass(Window w) const {
    XClassHint hint{};
    std::string result;
    if (XGetClassHint(d_, w, &hint)) {
      result = std::string(hint.res_name) + "/" + hint.res_class;
      XFree(hint.res_name);
      XFree(hint.res_class);
    }
    return result;
  }
  std::vector<Window> children(Window w) const {
    Window rootReturn, parent, *list = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(d_, w, &rootReturn, &parent, &list, &count)) {
      result.assign(list, list + count);
      if (list != nullptr)
        XFree(list);
    }
    return result;
  }
  // The descendants of w (w included) whose WM_CLASS is cls, in stacking order.
  std::vector<Window> find(Window w, const std::string& cls) const {
    std::vector<Window> result;
    if (windowClass(w) == cls)
      result.push_back(w);
    for (Window child : children(w))
      for (Window found : find(child, cls))
        result.push_back(found);
    return result;
  }
  int mapState(Window w) const {
    XWindowAttributes a;
    return XGetWindowAttributes(d_, w, &a) ? a.map_state : -1;
  }
};

// What the screen shows in a rectangle, as 0xRRGGBB.
class Shot {
public:
  Shot(const Probe& probe, const IRectangle& r) : rect_(r) {
    XSync(probe.display(), False);
    XImage* image = XGetImage(probe.display(), probe.root(), static_cast<int>(r.left()),
                              static_cast<int>(r.top()), static_cast<unsigned>(r.width()),
                              static_cast<unsigned>(r.height()), AllPlanes, ZPixmap);
    if (image == nullptr)
      return;
    pixels_.resize(static_cast<std::size_t>(r.width() * r.height()));
    for (long y = 0; y < r.height(); ++y)
      for (long x = 0; x < r.width(); ++x)
        pixels_[static_cast<std::size_t>(y * r.width() + x)] =
            static_cast<std::uint32_t>(XGetPixel(image, static_cast<int>(x), static_cast<int>(y)) & 0xFFFFFF);
    XDestroyImage(image);
  }
  bool valid() const { return !pixels_.empty(); }
  // At a point of the screen.
  std::uint32_t at(long x, long y) const {
    return pixels_[static_cast<std::size_t>((y - rect_.top()) * rect_.width() + (x - rect_.left()))];
  }
  // How many pixels of the screen rectangle r have the colour.
  long count(const IRectangle& r, std::uint32_t colour) const {
    long n = 0;
    for (long y = r.top(); y < r.bottom(); ++y)
      for (long x = r.left(); x < r.right(); ++x)
        n += at(x, y) == colour;
    return n;
  }
  // Pixels darker than mid-grey: ink of dark text.
  long dark(const IRectangle& r) const {
    long n = 0;
    for (long y = r.top(); y < r.bottom(); ++y)
      for (long x = r.left(); x < r.right(); ++x) {
        std::uint32_t p = at(x, y);
        n += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x60;
      }
    return n;
  }

private:
  IRectangle rect_;
  std::vector<std::uint32_t> pixels_;
};

Window xOf(const IWindow& w) { return static_cast<Window>(w.handle().asUnsigned()); }

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
void settle() {
  for (int i = 0; i < 30; ++i) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// A frame like the launcher's splash: a grid canvas as client with two text lines and a
// picture canvas holding the bitmap, an information area below, placed on the screen.
struct Splash {
  Splash()
      : frame(kFrameId, IFrameWindow::defaultStyle() | IFrameWindow::accelerator | IFrameWindow::appIcon),
        client(1225, &frame, &frame), picture(1530, &client, &client), status(&frame),
        first(1530, &client, &client), second(1530, &client, &client),
        bitmap(1450, &picture, &picture, kBitmapId) {
    frame.setClient(&client);
    status.setAlignment(IInfoArea::centered).enableBorder(true);
    status.setFont(IFont("Arial Bold", 12));
    client.setFont(IFont("Times New Roman", 14));
    first.setText("First line");
    second.setText("Second line");
    second.setAlignment(IStaticText::centerCenter);
    client.addToCell(&first, 2, 2).addToCell(&second, 2, 3).addToCell(&picture, 2, 5);
    client.setColumnWidth(1, 10, true).setColumnWidth(3, 10, true);
    picture.addToCell(&bitmap, 2, 2);
    status.setText("");
    IRectangle area(IPoint(100, 80), client.minimumSize());
    frame.moveSizeTo(frame.frameRectFor(area));
    frame.show();
  }
  void busy() {
    status.setText("Please wait...");
    status.setForegroundColor(IColor::white()).setBackgroundColor(IColor::red());
    frame.refresh(true);
  }

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

// --- fonts ---------------------------------------------------------------------------------------

struct Match {
  std::string family;
  int weight, slant;
  double pixelSize;
};

Match matched(const IFont& font) {
  XftFont* opened = IX11::sharedDrawing()->font(font);
  Match m{"", 0, 0, 0};
  if (opened == nullptr)
    return m;
  FcChar8* family = nullptr;
  if (FcPatternGetString(opened->pattern, FC_FAMILY, 0, &family) == FcResultMatch)
    m.family = reinterpret_cast<char*>(family);
  FcPatternGetInteger(opened->pattern, FC_WEIGHT, 0, &m.weight);
  FcPatternGetInteger(opened->pattern, FC_SLANT, 0, &m.slant);
  FcPatternGetDouble(opened->pattern, FC_PIXEL_SIZE, 0, &m.pixelSize);
  return m;
}

// The face name's parts (read by the portable rule, tested with it) in fontconfig's terms: its
// weight scale, its slants, the font's own bold flag, and pixels at the measured density.
TEST(X11Fonts, TheNamesPartsBecomeFontconfigsWeightSlantAndSize) {
  struct Case {
    IFont font;
    const char* family;
    int weight, slant;
  };
  const Case cases[] = {
      {IFont("Times New Roman Bold Italic", 14), "Times New Roman", FC_WEIGHT_BOLD, FC_SLANT_ITALIC},
      {IFont("DejaVu Sans Light"), "DejaVu Sans", FC_WEIGHT_LIGHT, FC_SLANT_ROMAN},
      {IFont("Foo Oblique"), "Foo", FC_WEIGHT_REGULAR, FC_SLANT_OBLIQUE},
      {IFont("Arial", 10).setBold(), "Arial", FC_WEIGHT_BOLD, FC_SLANT_ROMAN},
      {IFont("Arial Black").setBold(), "Arial", FC_WEIGHT_BLACK, FC_SLANT_ROMAN}, // never lighter
      {IFont(), "", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN}};
  for (const Case& c : cases) {
    IX11::FontRequest request = IX11::fontRequest(c.font, 120);
    EXPECT_EQ(request.family, c.family) << c.font.name();
    EXPECT_EQ(request.weight, c.weight) << c.font.name();
    EXPECT_EQ(request.slant, c.slant) << c.font.name();
    EXPECT_EQ(request.pixelSize, IFont::pixelsFor(c.font.pointSize(), 120)) << c.font.name();
  }
  EXPECT_EQ(IX11::fontRequest(IFont("Arial", 0), 96).pixelSize, 1);
}

TEST(X11Fonts, WindowsFacesMatchTheirMetricTwinsAndUnknownFacesTheDefault) {
  ASSERT_NE(IX11::sharedDrawing(), nullptr);
  Match serif = matched(IFont("Times New Roman", 12));
  EXPECT_EQ(serif.family, "Liberation Serif");
  EXPECT_LT(serif.weight, FC_WEIGHT_BOLD);
  Match label = matched(IFont("Arial Bold", 10));
  EXPECT_EQ(label.family, "Liberation Sans");
  EXPECT_GE(label.weight, FC_WEIGHT_BOLD);
  EXPECT_GE(matched(IFont("Times New Roman", 24).setBold()).weight, FC_WEIGHT_BOLD);
  Match unknown = matched(IFont("No Such Face Anywhere", 10));
  EXPECT_EQ(unknown.family, matched(IFont(nullptr, 10)).family);
  EXPECT_FALSE(unknown.family.empty());
  // Opened once, then taken from the cache.
  EXPECT_EQ(IX11::sharedDrawing()->font(IFont("Arial Bold", 10)),
            IX11::sharedDrawing()->font(IFont("Arial Bold", 10)));
  // The same font measures the same in layout and drawing: a heavier face is wider.
  EXPECT_GT(IWindowPlatform::textExtent("Quillet", IFont("Arial Bold", 24)).width(),
            IWindowPlatform::textExtent("Quillet", IFont("Arial", 24)).width());
}

// --- the display: density and the primary monitor (each server set up by its CMake entry) --------

TEST(X11Display, DensityIsTheServersAndTheFontsAreOpenedAtIt) {
  const char* expected = std::getenv("QUILLET_TEST_DENSITY");
  if (expected == nullptr)
    GTEST_SKIP() << "run with QUILLET_TEST_DENSITY on a server set up for it";
  long density = std::atol(expected);
  IDeviceContext context(IWindow::desktopWindow()->handle());
  EXPECT_EQ(context.horizontalDensity(), density);
  EXPECT_EQ(context.horizontalResolution(), IWindow::desktopWidth());
  EXPECT_EQ(matched(IFont("Arial Bold", 10)).pixelSize, IFont::pixelsFor(10, density));
  EXPECT_EQ(matched(IFont("Times New Roman", 24)).pixelSize, IFont::pixelsFor(24, density));
}

TEST(X11Display, TheDesktopIsThePrimaryMonitor) {
  long left = 0, top = 0, width = 1280, height = 1024;
  if (const char* monitor = std::getenv("QUILLET_TEST_MONITOR"))
    std::istringstream(monitor) >> left >> top >> width >> height;
  IRectangle expected(IPoint(left, top), ISize(width, height));
  EXPECT_EQ(IWindowPlatform::desktopRect(), expected);
  EXPECT_EQ(IWindow::desktopWindow()->rect(), expected);
  EXPECT_EQ(IWindow::desktopWidth(), width);
  EXPECT_EQ(IWindow::desktopHeight(), height);
}

// RandR's primary output wins over the root window: the server's one output is made 800 x 600
// at 100,50 and primary, then put back.
TEST(X11Display, RandRsPrimaryOutputIsTheDesktop) {
  if (std::getenv("QUILLET_TEST_RANDR") == nullptr)
    GTEST_SKIP() << "run with QUILLET_TEST_RANDR on a server of the test's own";
  Probe probe;
  Display* d = probe.display();
  Window root = probe.root();
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, root);
  ASSERT_NE(resources, nullptr);
  ASSERT_GE(resources->noutput, 1);
  ASSERT_GE(resources->ncrtc, 1);
  XRRCrtcInfo* original = XRRGetCrtcInfo(d, resources, resources->crtcs[0]);
  ASSERT_NE(original, nullptr);
  XRRModeInfo mode{};
  char name[] = "quillet-test-800x600";
  mode.width = 800;
  mode.height = 600;
  mode.dotClock = 40000000;
  mode.hSyncStart = 840;
  mode.hSyncEnd = 968;
  mode.hTotal = 1056;
  mode.vSyncStart = 601;
  mode.vSyncEnd = 605;
  mode.vTotal = 628;
  mode.name = name;
  mode.nameLength = static_cast<unsigned>(std::strlen(name));
  RRMode small = XRRCreateMode(d, root, &mode);
  XRRAddOutputMode(d, resources->outputs[0], small);
  ASSERT_EQ(XRRSetCrtcConfig(d, resources, resources->crtcs[0], CurrentTime, 100, 50, small,
                             original->rotation, resources->outputs, 1), RRSetConfigSuccess);
  XRRSetOutputPrimary(d, root, resources->outputs[0]);
  XSync(d, False);
  EXPECT_EQ(IWindowPlatform::desktopRect(), IRectangle(100, 50, 900, 650));

  XRRSetCrtcConfig(d, resources, resources->crtcs[0], CurrentTime, original->x, original->y,
                   original->mode, original->rotation, original->outputs, original->noutput);
  XRRSetOutputPrimary(d, root, None);
  XSync(d, False);
  EXPECT_EQ(IWindowPlatform::desktopRect(), IRectangle(0, 0, 1280, 1024));
  XRRFreeCrtcInfo(original);
  XRRFreeScreenResources(resources);
}

} // namespace
