// What the Win32 window tests share: the test resources' ids (window.rc), a frame shaped like
// the launcher's splash, and the fixture that keeps the library's exception records quiet.
#ifndef IWINDOW_WIN32_FIXTURE_HPP
#define IWINDOW_WIN32_FIXTURE_HPP

#include <windows.h>

#include <gtest/gtest.h>

#include "ibitmapcontrol.hpp"
#include "icanvas.hpp"
#include "iframe.hpp"
#include "iinfoarea.hpp"
#include "istatictext.hpp"
#include "quietlogger.hpp"

namespace Win32WindowTest {

// The test resources (window.rc).
inline constexpr unsigned long frameId = 1003, ampersandString = 1005, quadrantsBitmap = 1004,
                               pointerIcon = 1008;

inline HWND hwndOf(const IWindow& window) { return reinterpret_cast<HWND>(window.handle().asUnsigned()); }

class Win32Window : public ::testing::Test {
private:
  QuietLogger quiet_;
};

// A frame shaped like the launcher's splash: a grid canvas as its client with three text lines
// and a picture, and an information area below it.
struct Splash {
  IFrameWindow frame{frameId, IFrameWindow::defaultStyle() | IFrameWindow::accelerator};
  IMultiCellCanvas client{1225, &frame, &frame};
  IStaticText maker{1530, &client, &client};
  IStaticText product{1530, &client, &client};
  IStaticText version{1530, &client, &client};
  IBitmapControl picture{1450, &client, &client, quadrantsBitmap};
  IInfoArea status{&frame};

  Splash() {
    frame.setClient(&client);
    client.setBackgroundColor(IColor(240, 240, 255));
    maker.setText("Obel");
    product.setText("Quillet");
    product.setFont(IFont("Arial Bold", 24));
    version.setText(ampersandString);
    version.setAlignment(IStaticText::centerCenter);
    status.setAlignment(IInfoArea::centered);
    status.enableBorder(true);
    status.setFont(IFont("Arial Bold", 12));
    status.setText("Please wait...");
    client.addToCell(&maker, 2, 2).addToCell(&product, 2, 3).addToCell(&version, 2, 4);
    client.addToCell(&picture, 2, 6);
    client.setColumnWidth(1, 10, true).setColumnWidth(3, 10, true).setRowHeight(6, 0, true);
    // Client area at (200, 150) on the screen, as the launcher places its first sizing.
    ISize size = client.minimumSize();
    frame.moveSizeTo(frame.frameRectFor(IRectangle(IPoint(200, 150), size)));
  }
};

} // namespace Win32WindowTest

#endif
