// Win32 backend of the window toolkit: the window classes, the message-only object window,
// posting with PostMessageA, the desktop and the thread's message loop with its accelerators.
#include "win32/iwin32window.hpp"

#include <atomic>
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

void registerClass(const char* name, UINT style) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = DriverBase::procedure;
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
