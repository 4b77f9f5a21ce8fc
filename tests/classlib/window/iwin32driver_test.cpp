// The Win32 driver's own handling of the messages the platform sends a frame: the close box's
// system command and the sizes the platform gives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "icanvas.hpp"
#include "iframe.hpp"
#include "istatictext.hpp"
#include "quietlogger.hpp"

namespace {

HWND hwndOf(const IWindow& window) { return reinterpret_cast<HWND>(window.handle().asUnsigned()); }

class Win32Driver : public ::testing::Test {
private:
  QuietLogger quiet_;
};

// Records the system commands of the windows it handles; takes them while told to.
class SystemCommands : public ICommandHandler {
public:
  bool systemCommand(ICommandEvent& event) override {
    seen.push_back(event.commandId());
    return take;
  }
  std::vector<unsigned long> seen;
  bool take = true;
};

TEST_F(Win32Driver, TheCloseBoxIsASystemCommandThatClosesTheFrameWhenNoHandlerTakesIt) {
  IFrameWindow frame("Close box");
  ICanvas canvas(1, &frame, &frame);
  IStaticText line(2, &canvas, &canvas);
  frame.setClient(&canvas);
  SystemCommands handler;
  handler.handleEventsFor(&frame);
  HWND hwnd = hwndOf(frame), lineWindow = hwndOf(line);

  // What the title bar's close box sends; a handler that takes it keeps the frame.
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(handler.seen, std::vector<unsigned long>({SC_CLOSE}));
  EXPECT_TRUE(frame.isValid());
  EXPECT_TRUE(IsWindow(hwnd));

  // Left to the platform, the close takes the frame and its children at once.
  handler.take = false;
  SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(handler.seen, std::vector<unsigned long>({SC_CLOSE, SC_CLOSE}));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(IsWindow(lineWindow));
  EXPECT_FALSE(frame.isValid());
  EXPECT_FALSE(line.isValid());
  EXPECT_EQ(IWindow::windowWithHandle(IWindowHandle(reinterpret_cast<IWindowHandle::Value>(hwnd))), nullptr);
  handler.stopHandlingEventsFor(&frame);
}

// A frame that counts its layouts.
class CountingFrame : public IFrameWindow {
public:
  CountingFrame() : IFrameWindow("Counting layouts") {}
  int layouts = 0;

protected:
  void sizeChanged() override {
    ++layouts;
    IFrameWindow::sizeChanged();
  }
};

TEST_F(Win32Driver, EachNewSizeLaysTheFrameOutOnceWhoeverGivesIt) {
  CountingFrame frame;
  ICanvas canvas(1, &frame, &frame);
  frame.setClient(&canvas);
  frame.show();
  HWND hwnd = hwndOf(frame);

  // The library's own move lays out after it, not also from the platform's WM_SIZE.
  frame.layouts = 0;
  frame.moveSizeTo(IRectangle(IPoint(40, 40), ISize(320, 240)));
  EXPECT_EQ(frame.layouts, 1);

  // A size from outside the library comes through WM_SIZE.
  SetWindowPos(hwnd, nullptr, 0, 0, 360, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(frame.layouts, 2);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(canvas.rect(), IRectangle(0, 0, client.right, client.bottom));

  // Minimised, the frame keeps its layout (its client area is empty then); restored, it lays
  // out again.
  ShowWindow(hwnd, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(hwnd));
  EXPECT_EQ(frame.layouts, 2);
  EXPECT_EQ(canvas.rect(), IRectangle(0, 0, client.right, client.bottom));
  ShowWindow(hwnd, SW_RESTORE);
  EXPECT_EQ(frame.layouts, 3);
  EXPECT_EQ(canvas.rect(), IRectangle(0, 0, client.right, client.bottom));
}

} // namespace
