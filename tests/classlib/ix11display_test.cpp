// Tests of the X11 backend's fonts and display on a real X server: face names in fontconfig's
// terms, the faces matched, the density fonts are opened at, and the primary monitor as the
// desktop (each server set up by its CMake entry).
//
// Environment (set by the CMake entries that run it on particular servers):
//   QUILLET_TEST_DENSITY   the density the server is set up for (X11Display tests)
//   QUILLET_TEST_MONITOR   "LEFT TOP WIDTH HEIGHT" of the primary monitor (X11Display tests)
//   QUILLET_TEST_RANDR     1: the server is the test's own to reconfigure with RandR
// GoogleTest first: Xlib defines None and Bool as macros.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "idevicecontext.hpp"
#include "ifont.hpp"
#include "iwindow.hpp"
#include "iwindowdriver.hpp"
#include "x11probe.hpp"
#include "x11/ix11drawing.hpp"

namespace {

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
  X11Probe probe;
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
