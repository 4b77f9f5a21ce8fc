// Win32 backend of the window toolkit: the window class and procedure, frames, the message-only
// object window, posting with PostMessageA and the thread's message loop.
#include <windows.h>

#include <atomic>
#include <exception>
#include <mutex>

#include "iexcept.hpp"
#include "iframe.hpp"
#include "iwindowplatform.hpp"

namespace {

const char* const kWindowClass = "IFrameWindow";
const char* const kObjectClass = "IObjectWindow";

// An exception must not unwind through user32's frames (the dispatcher is not built with our
// unwinder): the window procedure keeps it, and the loop rethrows it after DispatchMessageA.
thread_local std::exception_ptr pendingException;

std::atomic<DWORD> loopThread{0};
std::atomic<bool> exitRequested{false};

class Win32FrameDriver;

// The module whose copy of the library registers the classes: quillet.exe and lanyard.dll each
// carry their own, and a class belongs to the module that registered it.
HINSTANCE thisModule() {
  static HINSTANCE module = [] {
    HMODULE handle = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &handle);
    return static_cast<HINSTANCE>(handle);
  }();
  return module;
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

void registerClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXA frameClass = {};
    frameClass.cbSize = sizeof frameClass;
    frameClass.style = CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = windowProcedure;
    frameClass.hInstance = thisModule();
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = kWindowClass;
    RegisterClassExA(&frameClass);
    WNDCLASSEXA objectClass = {};
    objectClass.cbSize = sizeof objectClass;
    objectClass.lpfnWndProc = windowProcedure;
    objectClass.hInstance = thisModule();
    objectClass.lpszClassName = kObjectClass;
    RegisterClassExA(&objectClass);
  });
}

class Win32FrameDriver : public IWindowDriver {
public:
  Win32FrameDriver(IFrameWindow& frame, const char* title, long width, long height) : frame_(frame) {
    registerClasses();
    hwnd_ = CreateWindowExA(0, kWindowClass, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            width, height, nullptr, nullptr, thisModule(), this);
    if (hwnd_ == nullptr)
      raiseWindowingError("CreateWindowEx",
                          IThrowLocation("iwindow", "IFrameWindow::IFrameWindow(const char*,long,long)", __LINE__),
                          IException::outOfWindowResource);
    windowCreated(frame_, IWindowHandle(reinterpret_cast<IWindowHandle::Value>(hwnd_)));
  }

  ~Win32FrameDriver() override {
    if (hwnd_ != nullptr) {
      SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }

  void setText(const char* text) override { SetWindowTextA(hwnd_, text); }
  void show(bool visible) override { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

  // WM_NCDESTROY: the platform window is gone (a close, or the end of its thread).
  void destroyed() {
    hwnd_ = nullptr;
    windowGone(frame_);
  }

private:
  IFrameWindow& frame_;
  HWND hwnd_ = nullptr;
};

IWindow* windowOf(HWND hwnd) {
  return IWindow::windowWithHandle(IWindowHandle(reinterpret_cast<IWindowHandle::Value>(hwnd)));
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      if (IWindow* window = windowOf(hwnd))
        if (window->dispatchCommand(LOWORD(wParam)))
          return 0;
      break;
    case WM_SYSCOMMAND:
      if (IWindow* window = windowOf(hwnd))
        if (window->dispatchSystemCommand(LOWORD(wParam)))
          return 0;
      break;
    case WM_NCDESTROY:
      if (auto* driver = reinterpret_cast<Win32FrameDriver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        driver->destroyed();
      }
      break;
    default:
      break;
    }
  } catch (...) {
    if (!pendingException)
      pendingException = std::current_exception();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void rethrowPending() {
  if (pendingException) {
    std::exception_ptr pending = pendingException;
    pendingException = nullptr;
    std::rethrow_exception(pending);
  }
}

} // namespace

std::unique_ptr<IWindowDriver> IWindowDriver::newFrame(IFrameWindow& frame, const char* title,
                                                       long width, long height) {
  return std::unique_ptr<IWindowDriver>(new Win32FrameDriver(frame, title, width, height));
}

IWindowHandle IWindowPlatform::desktopHandle() {
  return IWindowHandle(reinterpret_cast<IWindowHandle::Value>(GetDesktopWindow()));
}

IWindowHandle IWindowPlatform::newObjectWindow() {
  registerClasses();
  HWND hwnd = CreateWindowExA(0, kObjectClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              thisModule(), nullptr);
  if (hwnd == nullptr)
    raiseWindowingError("CreateWindowEx", IThrowLocation("iwindow", "IWindow::objectWindow()", __LINE__),
                        IException::outOfWindowResource);
  return IWindowHandle(reinterpret_cast<IWindowHandle::Value>(hwnd));
}

long IWindowPlatform::desktopWidth() {
  HDC dc = GetDC(GetDesktopWindow());
  long width = GetDeviceCaps(dc, HORZRES);
  ReleaseDC(GetDesktopWindow(), dc);
  return width;
}

long IWindowPlatform::desktopHeight() {
  HDC dc = GetDC(GetDesktopWindow());
  long height = GetDeviceCaps(dc, VERTRES);
  ReleaseDC(GetDesktopWindow(), dc);
  return height;
}

IString IWindowPlatform::windowText(const IWindowHandle& handle) {
  HWND hwnd = reinterpret_cast<HWND>(handle.asUnsigned());
  int length = GetWindowTextLengthA(hwnd);
  if (length <= 0)
    return IString();
  std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(length) + 1]);
  int got = GetWindowTextA(hwnd, buffer.get(), length + 1);
  return IString(buffer.get(), static_cast<unsigned long>(got > 0 ? got : 0));
}

bool IWindowPlatform::post(const IWindowHandle& handle, unsigned long eventId, std::uintptr_t p1,
                           std::uintptr_t p2) {
  // PostMessageA with no window posts to the calling thread: not what a window's post means.
  if (!handle.isValid()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  return PostMessageA(reinterpret_cast<HWND>(handle.asUnsigned()), eventId,
                      static_cast<WPARAM>(p1), static_cast<LPARAM>(p2)) != 0;
}

void IWindowPlatform::run() {
  loopThread = GetCurrentThreadId();
  MSG message;
  for (;;) {
    if (exitRequested.exchange(false))
      break;
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1)
      break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    rethrowPending();
  }
  loopThread = 0;
}

void IWindowPlatform::processEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the loop that runs around this call.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    rethrowPending();
  }
}

void IWindowPlatform::exit() {
  exitRequested = true;
  DWORD thread = loopThread.load();
  if (thread != 0 && thread != GetCurrentThreadId())
    PostThreadMessageA(thread, WM_NULL, 0, 0);
}
