// windriver: finds top-level windows and message boxes of other programs under Windows (Wine),
// prints what they show and presses their buttons. The Windows half of tests/rig/boxdriver.
//
//   windriver wait  [--title T] [--timeout S]   print title, icon, text lines and buttons
//   windriver press [--title T] --button LABEL [--timeout S]
//   windriver key   [--title T] --key Return|Escape [--timeout S]
//   windriver close [--title T] [--timeout S]   what the close box does (SC_CLOSE)
//   windriver gone  [--title T] [--timeout S]   wait until no such window is left
//   windriver list                              every visible top-level window
//   windriver window --title T [--timeout S]    a top-level window (shown or hidden), its
//                                               styles and every window inside it
// Without --title the first message box (dialog class #32770) is taken. Exit status: 0 done,
// 1 bad usage, 2 timeout, 3 no such button.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
  std::string verb;
  bool hiddenToo = false; // window: a hidden window is found too
  std::string title;
  bool anyTitle = true;
  std::string button;
  std::string key;
  double timeout = 20;
};

std::string textOf(HWND hwnd) {
  int length = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  int got = GetWindowTextA(hwnd, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

std::string classOf(HWND hwnd) {
  char name[256] = {0};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// A button label as a person reads it: "&Yes" is "Yes", "&&" is "&".
std::string withoutMnemonic(const std::string& label) {
  std::string result;
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size())
      ++i;
    result += label[i];
  }
  return result;
}

struct Search {
  const Options* options;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(hwnd) && !search->options->hiddenToo)
    return TRUE;
  bool matches = search->options->anyTitle ? classOf(hwnd) == "#32770"
                                           : textOf(hwnd) == search->options->title;
  if (matches) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND findWindow(const Options& options) {
  Search search = {&options, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForWindow(const Options& options) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND hwnd = findWindow(options))
      return hwnd;
    if (GetTickCount() - start > static_cast<DWORD>(options.timeout * 1000))
      return nullptr;
    Sleep(100);
  }
}

BOOL CALLBACK collectChild(HWND hwnd, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> childrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, collectChild, reinterpret_cast<LPARAM>(&children));
  std::vector<HWND> direct;
  for (HWND child : children)
    if (GetParent(child) == parent && IsWindowVisible(child))
      direct.push_back(child);
  return direct;
}

bool isButton(HWND hwnd) {
  LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  LONG kind = style & BS_TYPEMASK;
  return classOf(hwnd) == "Button" && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON);
}

// The pixels of a w x h rectangle of dc at (x, y), as 32-bit values.
std::vector<DWORD> pixelsOf(HDC dc, int x, int y, int w, int h) {
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, dc, x, y, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

// The icon a message box's icon static shows, or null when it shows none. Icon handles are
// not shared between processes under Wine, so the screen's pixels are compared with each
// system icon drawn here on the same background.
const char* iconKindOnce(HWND staticWindow) {
  RECT r;
  GetWindowRect(staticWindow, &r);
  int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
  HDC screen = GetDC(nullptr);
  std::vector<DWORD> shown = pixelsOf(screen, r.left, r.top, w, h);
  struct Kind { LPCSTR id; const char* name; } kinds[] = {
      {IDI_HAND, "error"}, {IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"},
      {IDI_ASTERISK, "information"}};
  const char* best = "unknown";
  std::size_t bestMatches = shown.size() * 9 / 10; // at least 90% of the pixels
  for (const Kind& kind : kinds) {
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    DWORD background = shown.empty() ? 0 : shown[0];
    HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
    RECT all = {0, 0, w, h};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, kind.id), w, h, 0, nullptr, DI_NORMAL);
    SelectObject(memory, old);
    HDC other = CreateCompatibleDC(screen);
    SelectObject(other, bitmap);
    std::vector<DWORD> drawn = pixelsOf(other, 0, 0, w, h);
    DeleteDC(other);
    DeleteObject(bitmap);
    DeleteDC(memory);
    std::size_t matches = 0;
    for (std::size_t i = 0; i < shown.size() && i < drawn.size(); ++i)
      matches += (shown[i] & 0xFFFFFF) == (drawn[i] & 0xFFFFFF);
    if (matches > bestMatches) {
      bestMatches = matches;
      best = kind.name;
    }
  }
  ReleaseDC(nullptr, screen);
  return best;
}

// A box that has just appeared may not have painted its icon yet: look again for a while.
const char* iconKind(HWND staticWindow) {
  if (SendMessageA(staticWindow, STM_GETICON, 0, 0) == 0)
    return nullptr;
  const char* kind = "unknown";
  for (int attempt = 0; attempt < 25; ++attempt) {
    kind = iconKindOnce(staticWindow);
    if (std::strcmp(kind, "unknown") != 0)
      break;
    Sleep(200);
  }
  return kind;
}

void printLines(const char* prefix, const std::string& text) {
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::printf("%s%s\n", prefix, line.c_str());
    if (end == std::string::npos)
      break;
    start = end + 1;
  }
}

void describe(HWND hwnd) {
  std::printf("title: %s\n", textOf(hwnd).c_str());
  std::vector<HWND> children = childrenOf(hwnd);
  for (HWND child : children)
    if (classOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      if (const char* kind = iconKind(child))
        std::printf("icon: %s\n", kind);
  for (HWND child : children)
    if (classOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
      printLines("text: ", textOf(child));
  for (HWND child : children)
    if (isButton(child))
      std::printf("button: %s%s\n", withoutMnemonic(textOf(child)).c_str(),
                  (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? " (default)" : "");
  std::fflush(stdout);
}

BOOL CALLBACK collectDescendant(HWND hwnd, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
  return TRUE;
}

const char* yesNo(bool value) { return value ? "yes" : "no"; }

// Whether the shell gives the window a task-bar button: an application window always, a tool
// window never, any other unowned top-level window when it is shown.
bool hasTaskBarButton(HWND hwnd) {
  LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  if (exStyle & WS_EX_APPWINDOW)
    return true;
  return !(exStyle & WS_EX_TOOLWINDOW) && GetWindow(hwnd, GW_OWNER) == nullptr;
}

// The same lines as the X11 half prints (tests/rig/README.md), then what only Windows has:
//   window: TITLE
//   geometry: X Y WIDTH HEIGHT        the outer rectangle on the screen
//   visible: yes|no
//   taskbar: yes|no
//   client: X Y WIDTH HEIGHT          the client area on the screen
//   enabled: yes|no
//   appwindow: yes|no                 WS_EX_APPWINDOW
//   toolwindow: yes|no                WS_EX_TOOLWINDOW
//   child: CLASS X Y WIDTH HEIGHT TEXT   every window inside, parents first, on the screen
void describeWindow(HWND hwnd) {
  RECT frame, client;
  GetWindowRect(hwnd, &frame);
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  LONG exStyle = GetWindowLongA(hwnd, GWL_EXSTYLE);
  std::printf("window: %s\n", textOf(hwnd).c_str());
  std::printf("geometry: %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
  std::printf("visible: %s\n", yesNo(IsWindowVisible(hwnd) != 0));
  std::printf("taskbar: %s\n", yesNo(hasTaskBarButton(hwnd)));
  std::printf("client: %ld %ld %ld %ld\n", client.left, client.top, client.right - client.left, client.bottom - client.top);
  std::printf("enabled: %s\n", yesNo(IsWindowEnabled(hwnd) != 0));
  std::printf("appwindow: %s\n", yesNo((exStyle & WS_EX_APPWINDOW) != 0));
  std::printf("toolwindow: %s\n", yesNo((exStyle & WS_EX_TOOLWINDOW) != 0));
  std::vector<HWND> all;
  EnumChildWindows(hwnd, collectDescendant, reinterpret_cast<LPARAM>(&all));
  for (HWND child : all) {
    RECT r;
    GetWindowRect(child, &r);
    std::printf("child: %s %ld %ld %ld %ld %s\n", classOf(child).c_str(), r.left, r.top, r.right - r.left,
                r.bottom - r.top, textOf(child).c_str());
  }
  std::fflush(stdout);
}

BOOL CALLBACK listWindow(HWND hwnd, LPARAM) {
  if (IsWindowVisible(hwnd))
    std::printf("window: %s (%s)\n", textOf(hwnd).c_str(), classOf(hwnd).c_str());
  return TRUE;
}

int usage(const char* message) {
  std::fprintf(stderr, "windriver: %s\n"
                       "usage: windriver wait|press|key|close|gone|list|window [--title T] [--button LABEL] "
                       "[--key Return|Escape] [--timeout S]\n", message);
  return 1;
}

int timedOut(const Options& options) {
  if (options.anyTitle)
    std::fprintf(stderr, "windriver: no message box within %g s\n", options.timeout);
  else
    std::fprintf(stderr, "windriver: no window titled \"%s\" within %g s\n", options.title.c_str(), options.timeout);
  return 2;
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  if (argc < 2)
    return usage("no verb");
  options.verb = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string option = argv[i];
    if (i + 1 >= argc)
      return usage(("option without value: " + option).c_str());
    std::string value = argv[++i];
    if (option == "--title") { options.title = value; options.anyTitle = false; }
    else if (option == "--button") options.button = value;
    else if (option == "--key") options.key = value;
    else if (option == "--timeout") options.timeout = std::atof(value.c_str());
    else return usage(("unknown option " + option).c_str());
  }

  if (options.verb == "list") {
    EnumWindows(listWindow, 0);
    return 0;
  }
  if (options.verb == "gone") {
    DWORD start = GetTickCount();
    while (findWindow(options) != nullptr) {
      if (GetTickCount() - start > static_cast<DWORD>(options.timeout * 1000)) {
        std::fprintf(stderr, "windriver: the window is still there after %g s\n", options.timeout);
        return 2;
      }
      Sleep(100);
    }
    return 0;
  }
  if (options.verb != "wait" && options.verb != "press" && options.verb != "key" &&
      options.verb != "close" && options.verb != "window")
    return usage(("unknown verb " + options.verb).c_str());
  if (options.verb == "window") {
    if (options.anyTitle)
      return usage("window needs --title");
    options.hiddenToo = true;
  }
  if (options.verb == "press" && options.button.empty())
    return usage("press needs --button");
  if (options.verb == "key" && options.key != "Return" && options.key != "Escape")
    return usage("key needs --key Return or --key Escape");

  HWND hwnd = waitForWindow(options);
  if (hwnd == nullptr)
    return timedOut(options);

  if (options.verb == "wait") {
    describe(hwnd);
  } else if (options.verb == "window") {
    describeWindow(hwnd);
  } else if (options.verb == "press") {
    for (HWND child : childrenOf(hwnd)) {
      if (isButton(child) && withoutMnemonic(textOf(child)) == options.button) {
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), BN_CLICKED),
                     reinterpret_cast<LPARAM>(child));
        return 0;
      }
    }
    std::fprintf(stderr, "windriver: no button \"%s\"\n", options.button.c_str());
    return 3;
  } else if (options.verb == "key") {
    // To the control with the focus, through the box's own loop (IsDialogMessage), as typed.
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = hwnd;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) && info.hwndFocus != nullptr)
      target = info.hwndFocus;
    WPARAM key = options.key == "Return" ? VK_RETURN : VK_ESCAPE;
    UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0);
    PostMessageA(target, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
  } else {
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  return 0;
}
