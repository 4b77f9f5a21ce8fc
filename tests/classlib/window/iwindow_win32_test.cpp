// The Win32 backend as the platform shows it, on Wine's display: the splash-shaped frame's
// windows and their texts and styles, layout, fonts, pixels painted without a message loop,
// the task-bar styles, and the frame as the rig's windriver reads it. (Resources, keys,
// pointers, closing and exceptions: iwindow_win32_behaviour_test.cpp.)
#include "iwindow_win32_fixture.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "iwindowdriver.hpp"

namespace {

using namespace Win32WindowTest;

// quadrants.bmp: 40 x 30, top left, top right, bottom left, bottom right.
const COLORREF quadrants[] = {RGB(200, 30, 40), RGB(30, 160, 50), RGB(20, 40, 190), RGB(230, 210, 20)};

std::string textOf(HWND hwnd) {
  char text[512] = {0};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

std::string classOf(HWND hwnd) {
  char name[64] = {0};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// What is on the screen at a window's client point.
COLORREF pixelAt(const IWindow& window, long x, long y) {
  POINT at = {static_cast<LONG>(x), static_cast<LONG>(y)};
  ClientToScreen(hwndOf(window), &at);
  HDC screen = GetDC(nullptr);
  COLORREF color = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return color;
}

// The screen's pixels of a window's client area, row by row.
struct Pixels {
  long width = 0, height = 0;
  std::vector<COLORREF> colors;
  COLORREF at(long x, long y) const { return colors[static_cast<std::size_t>(y * width + x)]; }
  // The columns and rows where a pixel of that colour is, as a rectangle; empty for none.
  RECT extentOf(COLORREF color) const {
    RECT r = {width, height, -1, -1};
    for (long y = 0; y < height; ++y)
      for (long x = 0; x < width; ++x)
        if (at(x, y) == color) {
          r.left = std::min(r.left, static_cast<LONG>(x));
          r.right = std::max(r.right, static_cast<LONG>(x + 1));
          r.top = std::min(r.top, static_cast<LONG>(y));
          r.bottom = std::max(r.bottom, static_cast<LONG>(y + 1));
        }
    return r;
  }
};

Pixels pixelsOf(const IWindow& window) {
  RECT client;
  GetClientRect(hwndOf(window), &client);
  POINT origin = {0, 0};
  ClientToScreen(hwndOf(window), &origin);
  Pixels pixels;
  pixels.width = client.right;
  pixels.height = client.bottom;
  HDC screen = GetDC(nullptr);
  for (long y = 0; y < pixels.height; ++y)
    for (long x = 0; x < pixels.width; ++x)
      pixels.colors.push_back(GetPixel(screen, origin.x + x, origin.y + y));
  ReleaseDC(nullptr, screen);
  return pixels;
}

TEST_F(Win32Window, EachLineIsAChildWindowWhoseWindowTextIsItsText) {
  Splash splash;
  HWND frame = hwndOf(splash.frame);
  EXPECT_EQ(textOf(frame), "Window test frame");
  EXPECT_EQ(classOf(frame), "IFrameWindow");

  struct Child { const IWindow& window; const char* className; const char* text; HWND parent; } children[] = {
      {splash.client, "ICanvas", "", frame},
      {splash.maker, "IStaticText", "Obel", hwndOf(splash.client)},
      {splash.product, "IStaticText", "Quillet", hwndOf(splash.client)},
      {splash.version, "IStaticText", "A line & an ampersand", hwndOf(splash.client)},
      {splash.picture, "IBitmapControl", "", hwndOf(splash.client)},
      {splash.status, "IInfoArea", "Please wait...", frame},
  };
  for (const Child& child : children) {
    HWND hwnd = hwndOf(child.window);
    EXPECT_EQ(classOf(hwnd), child.className);
    EXPECT_EQ(textOf(hwnd), child.text) << child.className;
    EXPECT_EQ(GetParent(hwnd), child.parent) << child.className;
    EXPECT_EQ(static_cast<unsigned long>(GetDlgCtrlID(hwnd)), child.window.id()) << child.className;
  }
  splash.status.setText(" ");
  EXPECT_EQ(textOf(hwndOf(splash.status)), " ");

  // The default frame keeps its size; WS_EX_APPWINDOW gives it its task-bar button.
  LONG style = GetWindowLongA(frame, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  IFrameWindow sizable("Sizable");
  EXPECT_EQ(GetWindowLongA(hwndOf(sizable), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX),
            WS_THICKFRAME | WS_MAXIMIZEBOX);
}

TEST_F(Win32Window, TheClientAreaIsTheCanvasMinimumSizeWithTheInformationAreaBelow) {
  Splash splash;
  ISize size = splash.client.minimumSize();
  long statusHeight = splash.status.minimumSize().height();

  // frameRectFor put the client area where it was asked for, at exactly its size.
  RECT client;
  GetClientRect(hwndOf(splash.frame), &client);
  POINT origin = {0, 0};
  ClientToScreen(hwndOf(splash.frame), &origin);
  EXPECT_EQ(origin.x, 200);
  EXPECT_EQ(origin.y, 150);
  EXPECT_EQ(client.right, size.width());
  EXPECT_EQ(client.bottom, size.height() + statusHeight);

  EXPECT_EQ(splash.client.rect(), IRectangle(IPoint(0, 0), size));
  EXPECT_EQ(splash.status.rect(), IRectangle(0, size.height(), size.width(), size.height() + statusHeight));
  // The picture's own size is its minimum: its column is at least as wide.
  EXPECT_EQ(splash.picture.minimumSize(), ISize(40, 30));
  EXPECT_GE(splash.picture.size().width(), 40);

  // A frame the user sizes lays out again: the client follows the new client area.
  IFrameWindow sizable("Sizable");
  IMultiCellCanvas canvas(1, &sizable, &sizable);
  IInfoArea area(&sizable);
  sizable.setClient(&canvas);
  SetWindowPos(hwndOf(sizable), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(hwndOf(sizable), &client);
  EXPECT_EQ(canvas.rect(), IRectangle(0, 0, client.right, client.bottom - area.minimumSize().height()));
}

TEST_F(Win32Window, AnImmediateRefreshPaintsTheFrameAndItsChildrenWithoutALoop) {
  Splash splash;
  splash.status.setForegroundColor(IColor::white()).setBackgroundColor(IColor::red());
  splash.maker.setForegroundColor(IColor::black()).setBackgroundColor(IColor(255, 255, 0));
  splash.frame.show();
  splash.frame.refresh(true);

  // The canvas's colour in its empty top row, the picture's own pixels in its quadrants.
  EXPECT_EQ(pixelAt(splash.client, 5, 5), RGB(240, 240, 255));
  EXPECT_EQ(pixelAt(splash.picture, 2, 2), quadrants[0]);
  EXPECT_EQ(pixelAt(splash.picture, 37, 2), quadrants[1]);
  EXPECT_EQ(pixelAt(splash.picture, 2, 27), quadrants[2]);
  EXPECT_EQ(pixelAt(splash.picture, 37, 27), quadrants[3]);

  // The maker line: black text on yellow, at the left.
  Pixels maker = pixelsOf(splash.maker);
  EXPECT_EQ(maker.at(0, 0), RGB(255, 255, 0));
  RECT ink = maker.extentOf(RGB(0, 0, 0));
  EXPECT_GE(ink.left, ITextDriver::staticTextMarginX);
  EXPECT_LT(ink.left, ITextDriver::staticTextMarginX + 3);

  // The status line: white on red below its dark gray border line, its text centred.
  Pixels status = pixelsOf(splash.status);
  for (long x = 0; x < status.width; ++x)
    ASSERT_EQ(status.at(x, 0), RGB(128, 128, 128)) << "border line at " << x;
  EXPECT_EQ(status.at(1, status.height - 1), RGB(255, 0, 0));
  Pixels body = status;
  body.colors.erase(body.colors.begin(), body.colors.begin() + body.width); // without the line
  body.height -= 1;
  RECT text = body.extentOf(RGB(255, 255, 255));
  ASSERT_LT(text.left, text.right) << "no text in the status line";
  EXPECT_NEAR((text.left + text.right) / 2.0, status.width / 2.0, 2.0);

  // A change alone paints nothing while no loop runs; the frame's refresh repaints its child.
  splash.status.setForegroundColor(IColor::darkGray()).setBackgroundColor(IColor::white());
  splash.status.setText(" ");
  EXPECT_EQ(pixelAt(splash.status, 1, status.height - 1), RGB(255, 0, 0));
  splash.frame.refresh(true);
  EXPECT_EQ(pixelAt(splash.status, 1, status.height - 1), RGB(255, 255, 255));
}

TEST_F(Win32Window, RemovingTheTaskBarButtonKeepsTheFrameAsItWas) {
  for (bool shown : {true, false}) {
    IFrameWindow frame("Task bar");
    HWND hwnd = hwndOf(frame);
    frame.show(shown);
    frame.removeFromTaskBar();
    LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0);
    EXPECT_NE(exStyle & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(IsWindowVisible(hwnd) != 0, shown);
    EXPECT_EQ(frame.isVisible(), shown);
  }
}

// The font a text window was given, as GDI has it.
LOGFONTA fontOf(const IWindow& window) {
  LOGFONTA font = {};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageA(hwndOf(window), WM_GETFONT, 0, 0));
  GetObjectA(handle, sizeof font, &font);
  return font;
}

TEST_F(Win32Window, FontsAreRealisedByValueAtTheScreensDensity) {
  IFrameWindow frame("Fonts");
  ICanvas canvas(1, &frame, &frame);
  HDC screen = GetDC(nullptr);
  long density = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);

  // A trailing style word is the weight; GDI gets the family name.
  IStaticText bold(1, &canvas, &canvas), emphasised(2, &canvas, &canvas), plain(3, &canvas, &canvas);
  bold.setFont(IFont("Arial Bold", 24));
  emphasised.setFont(IFont("Arial", 24).setBold());
  plain.setFont(IFont("Arial", 24));
  for (const IStaticText* text : {&bold, &emphasised}) {
    LOGFONTA font = fontOf(*text);
    EXPECT_STREQ(font.lfFaceName, "Arial");
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_EQ(font.lfHeight, -IFont::pixelsFor(24, density));
  }
  EXPECT_EQ(fontOf(plain).lfWeight, FW_NORMAL);
  EXPECT_EQ(IWindowPlatform::textExtent("Quillet", IFont("Arial Bold", 24)),
            IWindowPlatform::textExtent("Quillet", IFont("Arial", 24).setBold()));

  // The default face is the one message boxes use, at the font's own size.
  NONCLIENTMETRICSA metrics = {};
  metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0));
  IStaticText standard(4, &canvas, &canvas);
  standard.setFont(IFont(nullptr, 12));
  EXPECT_STREQ(fontOf(standard).lfFaceName, metrics.lfMessageFont.lfFaceName);
  EXPECT_EQ(fontOf(standard).lfHeight, -IFont::pixelsFor(12, density));

  // A face that is not installed is mapped to one that is.
  IFont missing("No Such Face Anywhere", 12);
  EXPECT_GT(IWindowPlatform::textExtent("Quillet", missing).width(), 0);
  EXPECT_GT(IWindowPlatform::lineHeight(missing), 0);

  // Equal values share one GDI font, which goes with its last window.
  IStaticText again(5, &canvas, &canvas);
  again.setFont(IFont("Arial", 24).setBold());
  HFONT shared = reinterpret_cast<HFONT>(SendMessageA(hwndOf(again), WM_GETFONT, 0, 0));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(hwndOf(emphasised), WM_GETFONT, 0, 0)), shared);
  HFONT once;
  {
    IStaticText alone(6, &canvas, &canvas);
    alone.setFont(IFont("Arial", 31));
    once = reinterpret_cast<HFONT>(SendMessageA(hwndOf(alone), WM_GETFONT, 0, 0));
    EXPECT_EQ(GetObjectType(once), static_cast<DWORD>(OBJ_FONT));
  }
  // Fonts only the cache holds are let go once it is full (the handle may be a new font's by
  // then, but not one of 31 points).
  for (unsigned long size = 40; size < 80; ++size)
    IWindowPlatform::textExtent("x", IFont("Arial", size));
  LOGFONTA after = {};
  if (GetObjectType(once) == OBJ_FONT) {
    GetObjectA(once, sizeof after, &after);
    EXPECT_NE(after.lfHeight, -IFont::pixelsFor(31, density));
  }
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_FONT));
}

// What the rig's windriver prints for `window`, run as another process while this thread runs
// no loop (it reads the windows without asking this process).
std::string windriverWindow(const char* title) {
  const char* build = std::getenv("QUILLET_BUILD_DIR");
  if (build == nullptr)
    return "QUILLET_BUILD_DIR is not set";
  std::string program = std::string("Z:") + build + "/rig-bin/windriver.exe";
  for (char& c : program)
    if (c == '/')
      c = '\\';
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
    return "no pipe";
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  std::string command = "\"" + program + "\" window --title \"" + title + "\" --timeout 10";
  BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[4096];
    DWORD got;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
      output.append(buffer, got);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  } else {
    output = "cannot start " + program;
  }
  CloseHandle(readEnd);
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  return output;
}

// "X Y WIDTH HEIGHT" of a window on the screen.
std::string onScreen(const IWindow& window) {
  RECT r;
  GetWindowRect(hwndOf(window), &r);
  std::ostringstream text;
  text << r.left << ' ' << r.top << ' ' << r.right - r.left << ' ' << r.bottom - r.top;
  return text.str();
}

TEST_F(Win32Window, TheTestDriverReadsTheFrameShownAndRetired) {
  Splash splash;
  splash.frame.show();
  std::string got = windriverWindow("Window test frame");
  IRectangle frame = splash.frame.rect();
  std::ostringstream head;
  head << "window: Window test frame\ngeometry: " << frame.left() << ' ' << frame.top() << ' '
       << frame.width() << ' ' << frame.height() << "\nvisible: yes\ntaskbar: yes\n"
       << "client: 200 150 " << splash.status.rect().right() << ' ' << splash.status.rect().bottom()
       << "\nenabled: yes\nappwindow: yes\ntoolwindow: no\n";
  EXPECT_EQ(got.substr(0, head.str().size()), head.str()) << got;
  for (const std::string& child :
       {"child: ICanvas " + onScreen(splash.client) + " \n", "child: IStaticText " + onScreen(splash.maker) + " Obel\n",
        "child: IStaticText " + onScreen(splash.version) + " A line & an ampersand\n",
        "child: IBitmapControl " + onScreen(splash.picture) + " \n",
        "child: IInfoArea " + onScreen(splash.status) + " Please wait...\n"})
    EXPECT_NE(got.find(child), std::string::npos) << child << "in\n" << got;

  // Retired as the launcher retires it: still found, and its state shows.
  splash.frame.disable();
  splash.frame.hide();
  splash.frame.removeFromTaskBar();
  got = windriverWindow("Window test frame");
  for (const char* state : {"visible: no\n", "taskbar: no\n", "enabled: no\n", "appwindow: no\n", "toolwindow: yes\n"})
    EXPECT_NE(got.find(state), std::string::npos) << state << "in\n" << got;
}

} // namespace
