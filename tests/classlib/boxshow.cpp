// boxshow: shows one IMessageBox as its arguments ask and prints the response, for the tests
// that read and press real boxes with tests/rig/boxdriver.
//
//   boxshow [--title T] [--owner none|desktop|object|bogus|frame:TEXT] [--help-id N]
//           [--style HEX | --severity N | --exception recoverable|unrecoverable | --error CODE]
//           [--private] [--desktop-size] [--repeat N] [--times N] [--raw] TEXT
// "\n" in TEXT and in a frame's text becomes a line end; --repeat: TEXT N times over (longer
// than one command-line argument can be); --raw: the style's box through showMessageBox, which
// raises where show answers, printed as "raw: N"; --times: the box N times in a row. Prints
// "response: NAME" for each box and exits 0;
// an IException prints "exception: CLASS: TEXT" and exits 2.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "ierrinfo.hpp"
#include "iexcept.hpp"
#include "iframe.hpp"
#include "imsgbox.hpp"
#include "iwindow.hpp"

namespace {

std::string unescape(const char* text) {
  std::string result;
  for (const char* p = text; *p != 0; ++p) {
    if (p[0] == '\\' && p[1] == 'n') {
      result += '\n';
      ++p;
    } else {
      result += *p;
    }
  }
  return result;
}

// A window object whose handle names no window.
class BogusWindow : public IWindow {
public:
  BogusWindow() { setHandle(IWindowHandle(0x3FFFF0)); }
};

const char* responseName(IMessageBox::Response response) {
  static const char* const names[] = {"enter", "ok", "cancel", "abort", "retry",
                                      "ignore", "yes", "no", "unknown"};
  return names[static_cast<int>(response)];
}

} // namespace

int main(int argc, char** argv) {
  std::string title, owner = "desktop", text, mode = "severity", value = "0";
  bool hasTitle = false, privateMessage = false, desktopSize = false, raw = false;
  unsigned long helpId = 0, repeat = 1, times = 1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "boxshow: %s needs a value\n", arg.c_str());
        std::exit(1);
      }
      return argv[++i];
    };
    if (arg == "--title") { title = unescape(next().c_str()); hasTitle = true; }
    else if (arg == "--owner") owner = next();
    else if (arg == "--help-id") helpId = std::strtoul(next().c_str(), nullptr, 0);
    else if (arg == "--style" || arg == "--severity" || arg == "--exception" || arg == "--error") {
      mode = arg.substr(2);
      value = next();
    }
    else if (arg == "--private") privateMessage = true;
    else if (arg == "--desktop-size") desktopSize = true;
    else if (arg == "--repeat") repeat = std::strtoul(next().c_str(), nullptr, 0);
    else if (arg == "--times") times = std::strtoul(next().c_str(), nullptr, 0);
    else if (arg == "--raw") raw = true;
    else text = unescape(arg.c_str());
  }
  std::string once = text;
  for (unsigned long i = 1; i < repeat; ++i)
    text += once;

  try {
    if (desktopSize) {
      std::printf("desktop: %ldx%ld\n", IWindow::desktopWidth(), IWindow::desktopHeight());
      return 0;
    }
    std::unique_ptr<IFrameWindow> frame;
    BogusWindow bogus;
    IWindow* ownerWindow = nullptr;
    if (owner == "desktop") {
      ownerWindow = IWindow::desktopWindow();
    } else if (owner == "object") {
      ownerWindow = IWindow::objectWindow();
    } else if (owner == "bogus") {
      ownerWindow = &bogus;
    } else if (owner.compare(0, 6, "frame:") == 0) {
      frame.reset(new IFrameWindow(unescape(owner.c_str() + 6).c_str()));
      frame->show();
      ownerWindow = frame.get();
    }
    IMessageBox box(ownerWindow);
    if (hasTitle)
      box.setTitle(title.c_str());
#ifdef _WIN32
    // The library's private message must survive the box's own message loop.
    if (privateMessage)
      PostThreadMessageA(GetCurrentThreadId(), 0xFFE0, 7, 8);
#else
    (void)privateMessage;
#endif
    IMessageBox::Response response;
    if (raw) {
      IMessageBox::Style style(static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 16)));
      std::printf("raw: %lu\n", box.showMessageBox(text.c_str(), title.c_str(), helpId, style));
      return 0;
    }
    for (unsigned long shown = 0; shown < times; ++shown) {
      if (mode == "style")
        response = box.show(text.c_str(), IMessageBox::Style(static_cast<std::uint32_t>(
                                              std::strtoul(value.c_str(), nullptr, 16))), helpId);
      else if (mode == "severity")
        response = box.show(text.c_str(), static_cast<IMessageBox::Severity>(std::atoi(value.c_str())), helpId);
      else if (mode == "exception")
        response = box.show(IException(text.c_str(), 0,
                                       value == "recoverable" ? IException::recoverable
                                                              : IException::unrecoverable), helpId);
      else
        response = box.show(ISystemErrorInfo(std::strtoul(value.c_str(), nullptr, 0), nullptr), helpId);
      std::printf("response: %s\n", responseName(response));
      std::fflush(stdout);
    }
#ifdef _WIN32
    if (privateMessage) {
      MSG message;
      if (PeekMessageA(&message, nullptr, 0xFFE0, 0xFFE0, PM_REMOVE))
        std::printf("private: %u %u\n", static_cast<unsigned>(message.wParam), static_cast<unsigned>(message.lParam));
      else
        std::printf("private: lost\n");
    }
#endif
    return 0;
  } catch (IException& exception) {
    std::printf("exception: %s: %s\n", exception.name(), exception.text(0) != nullptr ? exception.text(0) : "");
    return 2;
  }
}
