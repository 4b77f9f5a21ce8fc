// The Win32 backend's windows at work on Wine's display: resources from the program,
// character codes that become commands while the loop runs, the pointer, a frame that the
// platform closes, and an exception raised inside a platform call. (The windows as the
// platform shows them: iwindow_win32_test.cpp.)
#include "iwindow_win32_fixture.hpp"

#include <map>
#include <string>
#include <vector>

#include "iapplication.hpp"
#include "iexcept.hpp"
#include "iresource.hpp"

namespace {

using namespace Win32WindowTest;

const unsigned long missingId = 9999;

// Counts the commands per id; command 1 ends the loop.
class Commands : public ICommandHandler {
public:
  bool command(ICommandEvent& event) override {
    if (event.commandId() == 1) {
      IApplication::current().exit();
      return true;
    }
    ++counts[event.commandId()];
    if (event.commandId() == throwOn)
      throw IInvalidRequest("handler failed");
    return false;
  }
  std::map<unsigned long, int> counts;
  unsigned long throwOn = 0;
};

TEST_F(Win32Window, ResourcesComeFromTheProgramAndAMissingOneNamesTheCallAndTheId) {
  IResourceLibrary resources;
  EXPECT_EQ(resources.loadString(frameId), "Window test frame");
  EXPECT_EQ(resources.loadString(ampersandString), "A line & an ampersand");

  IBitmapHandle bitmap = resources.loadBitmap(quadrantsBitmap);
  EXPECT_EQ(IResourceLibrary::bitmapSize(bitmap), ISize(40, 30));
  // Loaded once: windows made again and again from it collect no GDI objects.
  EXPECT_EQ(resources.loadBitmap(quadrantsBitmap), bitmap);

  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(resources.loadIcon(pointerIcon).asUnsigned()), &info));
  BITMAP mask;
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, GetSystemMetrics(SM_CXICON));
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr)
    DeleteObject(info.hbmColor);

  HACCEL table = reinterpret_cast<HACCEL>(resources.loadAccelTable(frameId).asUnsigned());
  ACCEL entries[8];
  ASSERT_EQ(CopyAcceleratorTableA(table, entries, 8), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(entries[i].fVirt & FVIRTKEY, 0) << "key " << entries[i].key << " is a character code";

  struct Missing { const char* call; void (*load)(); } missing[] = {
      {"LoadStringA(9999)", [] { IResourceLibrary().loadString(missingId); }},
      {"LoadImageA(9999)", [] { IResourceLibrary().loadBitmap(missingId); }},
      {"LoadImageA(9999)", [] { IResourceLibrary().loadIcon(missingId); }},
      {"LoadAcceleratorsA(9999)", [] { IResourceLibrary().loadAccelTable(missingId); }},
  };
  for (const Missing& m : missing) {
    try {
      m.load();
      ADD_FAILURE() << m.call << " did not raise";
    } catch (const IException& e) {
      EXPECT_EQ(std::string(e.text()).find(m.call), 0u) << e.text();
    }
  }
}

TEST_F(Win32Window, CharacterCodesOfTheTableBecomeCommandsWhileTheLoopRuns) {
  Splash splash;
  Commands commands;
  commands.handleEventsFor(&splash.frame);
  splash.frame.show();
  HWND frame = hwndOf(splash.frame);
  HWND child = hwndOf(splash.client);
  auto type = [](HWND target, WPARAM character) { PostMessageA(target, WM_CHAR, character, 1); };
  type(frame, 'O');
  type(frame, 'R');
  type(frame, 0x11); // Ctrl+Q
  type(child, 'O');  // keys typed into a child are the frame's too
  type(frame, 'o');  // not in the table: no command
  // The virtual key of O is not in the table either: its WM_CHAR is a lower-case o.
  PostMessageA(frame, WM_KEYDOWN, 'O', 1);
  PostMessageA(frame, WM_KEYUP, 'O', 1 | (3u << 30));
  splash.frame.postEvent(IWindow::command, 1);
  IApplication::current().run();
  EXPECT_EQ(commands.counts, (std::map<unsigned long, int>{{16640, 2}, {18037, 1}, {4096, 1}}));

  // A frame made without the style has no table.
  IFrameWindow plain(frameId);
  Commands none;
  none.handleEventsFor(&plain);
  type(hwndOf(plain), 'O');
  plain.postEvent(IWindow::command, 1);
  IApplication::current().run();
  EXPECT_TRUE(none.counts.empty());

  // A handler's exception from an accelerator's command comes out of the loop.
  commands.throwOn = 4096;
  type(frame, 0x11);
  EXPECT_THROW(IApplication::current().run(), IInvalidRequest);
}

TEST_F(Win32Window, ThePointerIsTheWindowsOwnOrItsNearestAncestors) {
  Splash splash;
  splash.frame.show();
  splash.frame.refresh(true);
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
  IPointerHandle busy = IResourceLibrary().loadIcon(pointerIcon);
  HCURSOR busyCursor = reinterpret_cast<HCURSOR>(busy.asUnsigned());
  HWND maker = hwndOf(splash.maker);
  auto hover = [maker] {
    SendMessageA(maker, WM_SETCURSOR, reinterpret_cast<WPARAM>(maker), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };

  // The mouse over the maker line: the frame's pointer shows there at once.
  POINT over = {3, 3};
  ClientToScreen(maker, &over);
  ASSERT_TRUE(SetCursorPos(over.x, over.y));
  SetCursor(arrow);
  splash.frame.setMousePointer(busy);
  EXPECT_EQ(GetCursor(), busyCursor);
  // The nearest window with a pointer wins, whichever of them is set last.
  splash.maker.setMousePointer(IPointerHandle(reinterpret_cast<IPointerHandle::Value>(cross)));
  EXPECT_EQ(GetCursor(), cross);
  splash.frame.setMousePointer(busy);
  EXPECT_EQ(GetCursor(), cross);
  hover();
  EXPECT_EQ(GetCursor(), cross);
  splash.maker.setMousePointer(IPointerHandle());
  EXPECT_EQ(GetCursor(), busyCursor);
  hover();
  EXPECT_EQ(GetCursor(), busyCursor);
  // 0: the class cursor.
  splash.frame.setMousePointer(IPointerHandle());
  EXPECT_EQ(GetCursor(), arrow);
  hover();
  EXPECT_EQ(GetCursor(), arrow);

  // The mouse elsewhere: the pointer waits until the mouse comes.
  ASSERT_TRUE(SetCursorPos(5, 5));
  SetCursor(cross);
  splash.frame.setMousePointer(busy);
  EXPECT_EQ(GetCursor(), cross);
  hover();
  EXPECT_EQ(GetCursor(), busyCursor);
}

TEST_F(Win32Window, AFrameClosedByThePlatformTakesItsChildrenWithIt) {
  Splash splash;
  IWindowHandle text = splash.maker.handle();
  splash.frame.postEvent(IWindow::close);
  for (int i = 0; i < 50 && splash.frame.isValid(); ++i) {
    IApplication::current().processEvents();
    Sleep(20);
  }
  EXPECT_FALSE(splash.frame.isValid());
  for (const IWindow* window : std::vector<const IWindow*>{&splash.client, &splash.maker, &splash.picture, &splash.status})
    EXPECT_FALSE(window->isValid());
  EXPECT_EQ(IWindow::windowWithHandle(text), nullptr);
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(text.asUnsigned())));
  // The objects still answer, and go without touching the windows that are gone.
  EXPECT_EQ(splash.maker.text(), "Obel");
  splash.maker.setText("still here");
}

// A frame whose layout fails while armed.
class FailingFrame : public IFrameWindow {
public:
  FailingFrame() : IFrameWindow("Failing layout") {}
  bool armed = false;

protected:
  void sizeChanged() override {
    if (armed)
      throw IInvalidRequest("layout failed");
    IFrameWindow::sizeChanged();
  }
};

TEST_F(Win32Window, AnExceptionRaisedInsideThePlatformComesOutOfTheCallThatCausedIt) {
  // The tool-window frame is smaller: the platform sizes the client area, and the window lays
  // out from inside user32.
  FailingFrame frame;
  frame.armed = true;
  EXPECT_THROW(frame.removeFromTaskBar(), IInvalidRequest);
  // Nothing is left over for the next window.
  IFrameWindow next("Next");
  EXPECT_TRUE(next.isValid());
  frame.armed = false;
}

} // namespace
