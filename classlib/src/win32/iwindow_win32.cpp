// Win32 backend of the window toolkit: the window classes and procedure, the message-only
// object window, posting with PostMessageA, the desktop and the thread's message loop.
#include "win32/iwin32window.hpp"

#include <atomic>
#include <exception>
#include <mutex>
#include <vector>

namespace IWin32 {

const char* const frameClass = "IFrameWindow";
const char* const canvasClass = "ICanvas";
const char* const staticTextClass = "IStaticText";
const char* const infoAreaClass = "IInfoArea";
const char* const bitmapClass = "IBitmapControl";
const char* const objectClass = "IObjectWindow";

} // namespace IWin32

// The toolkit's event numbers are the platform's messages, posted and dispatched as they are.
static_assert(IEventNumber::command == WM_COMMAND && IEventNumber::systemCommand == WM_SYSCOMMAND &&
                  IEventNumber::close == WM_CLOSE && IEventNumber::user == WM_USER &&
                  IEventNumber::closeCommand == SC_CLOSE,
              "event numbers");

namespace {

using namespace IWin32;

// An exception must not unwind through user32's frames (the dispatcher is not built with our
// unwinder): the window procedure keeps it, and the loop rethrows it after DispatchMessageA.
thread_local std::exception_ptr pendingException;

std::atomic<DWORD> loopThread{0};
std::atomic<bool> exitRequested{false};

// The frames with an accelerator table. Only the window thread makes frames and runs the loop.
struct Accelerators {
  HWND frame;
  HACCEL table;
};
std::vector<Accelerators>& acceleratorTables() {
  static std::vector<Accelerators>* tables = new std::vector<Accelerators>; // outlives statics
  return *tables;
}

LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (MessageTarget* target = targetOf(hwnd))
      return target->message(hwnd, message, wParam, lParam);
    // The object window (and the desktop's stand-ins) have no driver: commands still reach
    // their handlers.
    if (message == WM_COMMAND || message == WM_SYSCOMMAND) {
      if (IWindow* window = IWindow::windowWithHandle(handleOf(hwnd))) {
        bool handled = message == WM_COMMAND ? window->dispatchCommand(LOWORD(wParam))
                                             : window->dispatchSystemCommand(LOWORD(wParam));
        if (handled)
          return 0;
      }
    }
  } catch (...) {
    keepPendingException();
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void registerClass(const char* name, UINT style) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = windowProcedure;
  windowClass.hInstance = thisModule();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  // No class brush: each window paints its own background colour (WM_ERASEBKGND).
  windowClass.hbrBackground = nullptr;
  windowClass.lpszClassName = name;
  RegisterClassExA(&windowClass);
}

// The accelerator translation of the frame that msg is for (its root window), when it has one.
bool translateAccelerator(MSG& msg) {
  if (msg.hwnd == nullptr)
    return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  for (const Accelerators& entry : acceleratorTables())
    if (entry.frame == root)
      return TranslateAcceleratorA(root, entry.table, &msg) != 0;
  return false;
}

// One message through the accelerators, translation and dispatch; a handler's exception comes
// out here, after user32's frames.
void handle(MSG& msg) {
  if (translateAccelerator(msg)) {
    rethrowPendingException();
    return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  rethrowPendingException();
}

} // namespace

HINSTANCE IWin32::thisModule() {
  static HINSTANCE module = [] {
    HMODULE handle = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&thisModule), &handle);
    return static_cast<HINSTANCE>(handle);
  }();
  return module;
}

void IWin32::registerClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    registerClass(frameClass, 0);
    registerClass(canvasClass, 0);
    // Text and pictures are placed by the size of their window: a new size repaints all of it.
    registerClass(staticTextClass, CS_HREDRAW | CS_VREDRAW);
    registerClass(infoAreaClass, CS_HREDRAW | CS_VREDRAW);
    registerClass(bitmapClass, CS_HREDRAW | CS_VREDRAW);
    registerClass(objectClass, 0);
  });
}

IWin32::MessageTarget* IWin32::targetOf(HWND hwnd) {
  // Only this module's classes carry a driver in their user data (the other module's copy of
  // the library registers the same names with its own procedure).
  if (hwnd == nullptr || reinterpret_cast<WNDPROC>(GetClassLongPtrA(hwnd, GCLP_WNDPROC)) != windowProcedure)
    return nullptr;
  return reinterpret_cast<MessageTarget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

HWND IWin32::createWindow(MessageTarget* target, DWORD exStyle, const char* className,
                          const char* text, DWORD style, const Placement& placement, HWND parent,
                          unsigned long id, const char* function, unsigned long line) {
  registerClasses();
  rethrowPendingException(); // an earlier call's, not this window's
  // A child's menu handle is its identifier (GetDlgCtrlID); a top-level window has no menu.
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
  HWND hwnd = CreateWindowExA(exStyle, className, text, style, placement.x, placement.y,
                              placement.width, placement.height, parent, menu, thisModule(), target);
  if (hwnd == nullptr) {
    // A handler that failed while the window was made is the reason the platform gives up.
    rethrowPendingException();
    raiseWindowingError("CreateWindowEx", IThrowLocation("iwindow", function, line),
                        IException::outOfWindowResource);
  }
  if (pendingException) {
    // A handler failed while the window was made: the driver that would own it is not made.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    rethrowPendingException();
  }
  return hwnd;
}

void IWin32::keepPendingException() {
  if (!pendingException)
    pendingException = std::current_exception();
}

void IWin32::rethrowPendingException() {
  if (pendingException) {
    std::exception_ptr pending = pendingException;
    pendingException = nullptr;
    std::rethrow_exception(pending);
  }
}

void IWin32::setAccelerators(HWND frame, HACCEL table) {
  std::vector<Accelerators>& tables = acceleratorTables();
  for (auto entry = tables.begin(); entry != tables.end(); ++entry)
    if (entry->frame == frame) {
      tables.erase(entry);
      break;
    }
  if (table != nullptr)
    tables.push_back(Accelerators{frame, table});
}

// --- the platform's calls ---------------------------------------------------------------------

IWindowHandle IWindowPlatform::desktopHandle() { return handleOf(GetDesktopWindow()); }

IRectangle IWindowPlatform::desktopRect() {
  // The desktop window spans every monitor; the library's desktop is the primary one.
  POINT origin = {0, 0};
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info))
    raiseWindowingError("GetMonitorInfo", IThrowLocation("iwindow", "IWindowPlatform::desktopRect()", __LINE__));
  const RECT& r = info.rcMonitor;
  return IRectangle(r.left, r.top, r.right, r.bottom);
}

IWindowHandle IWindowPlatform::newObjectWindow() {
  registerClasses();
  HWND hwnd = CreateWindowExA(0, objectClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              thisModule(), nullptr);
  if (hwnd == nullptr)
    raiseWindowingError("CreateWindowEx", IThrowLocation("iwindow", "IWindow::objectWindow()", __LINE__),
                        IException::outOfWindowResource);
  return handleOf(hwnd);
}

IString IWindowPlatform::windowText(const IWindowHandle& handle) {
  HWND hwnd = hwndOf(handle);
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
  return PostMessageA(hwndOf(handle), eventId, static_cast<WPARAM>(p1), static_cast<LPARAM>(p2)) != 0;
}

void IWindowPlatform::run() {
  loopThread = GetCurrentThreadId();
  struct Leave {
    ~Leave() { loopThread = 0; }
  } leave;
  MSG message;
  for (;;) {
    if (exitRequested.exchange(false))
      break;
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1)
      break;
    handle(message);
  }
}

void IWindowPlatform::processEvents() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the loop that runs around this call.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    handle(message);
  }
}

void IWindowPlatform::exit() {
  exitRequested = true;
  DWORD thread = loopThread.load();
  if (thread != 0 && thread != GetCurrentThreadId())
    PostThreadMessageA(thread, WM_NULL, 0, 0);
}
