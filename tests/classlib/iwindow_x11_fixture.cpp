// What the X11 window tests share: the test's resources, registered before main, the splash
// frame built from them, and the test's view of the server.
#include "iwindow_x11_fixture.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "iresource.hpp"
#include "iresourcetable.hpp"

namespace X11WindowTest {

std::uint32_t pictureColour(long x, long y) {
  return y < 15 ? (x < 20 ? kRed : kGreen) : (x < 20 ? kBlue : kYellow);
}

std::uint32_t iconPixel(long x, long y) {
  if (x < 2 || y < 2 || x >= 30 || y >= 30)
    return 0;
  return x < 10 && y < 10 ? 0xFF000000 | kRed : 0xFF000000 | kBlue;
}

namespace {

// --- the test's resources: a frame title, a 40 x 30 picture, a 32 x 32 icon, accelerators --------

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

std::vector<unsigned char> makeBitmap() {
  std::vector<unsigned char> v{'B', 'M'};
  put(v, 14 + 40 + 40 * 30 * 3, 4);
  put(v, 0, 4);
  put(v, 14 + 40, 4);
  putDib(v, 40, 30, 30, 3, pictureColour);
  return v;
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

} // namespace

// --- the test's own view of the server ------------------------------------------------------

std::string Probe::name(Window w) const {
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

std::string Probe::wmName(Window w) const {
  XTextProperty property;
  std::string result;
  if (XGetWMName(d_, w, &property) && property.value != nullptr) {
    result.assign(reinterpret_cast<char*>(property.value), property.nitems);
    XFree(property.value);
  }
  return result;
}

std::string Probe::windowClass(Window w) const {
  XClassHint hint{};
  std::string result;
  if (XGetClassHint(d_, w, &hint)) {
    result = std::string(hint.res_name) + "/" + hint.res_class;
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  return result;
}

std::vector<Window> Probe::children(Window w) const {
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

std::vector<Window> Probe::find(Window w, const std::string& cls) const {
  std::vector<Window> result;
  if (windowClass(w) == cls)
    result.push_back(w);
  for (Window child : children(w))
    for (Window found : find(child, cls))
      result.push_back(found);
  return result;
}

int Probe::mapState(Window w) const {
  XWindowAttributes a;
  return XGetWindowAttributes(d_, w, &a) ? a.map_state : -1;
}

Shot::Shot(const Probe& probe, const IRectangle& r) : rect_(r) {
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

long Shot::count(const IRectangle& r, std::uint32_t colour) const {
  long n = 0;
  for (long y = r.top(); y < r.bottom(); ++y)
    for (long x = r.left(); x < r.right(); ++x)
      n += at(x, y) == colour;
  return n;
}

long Shot::dark(const IRectangle& r) const {
  long n = 0;
  for (long y = r.top(); y < r.bottom(); ++y)
    for (long x = r.left(); x < r.right(); ++x) {
      std::uint32_t p = at(x, y);
      n += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 0x60;
    }
  return n;
}

void settle() {
  for (int i = 0; i < 30; ++i) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// --- the splash --------------------------------------------------------------------------------

Splash::Splash()
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

void Splash::busy() {
  status.setText("Please wait...");
  status.setForegroundColor(IColor::white()).setBackgroundColor(IColor::red());
  frame.refresh(true);
}

} // namespace X11WindowTest
