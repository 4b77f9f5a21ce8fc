// Windows: the return-code event goes out through this library's own copy of the post.
#include "rtnchannel_md.hpp"

#include "iwindow.hpp"

// The window object comes from the caller's module, which carries a C++ runtime of its own: an
// exception raised by its operations could not unwind through this library's frames (MinGW:
// std::terminate). PostMessageA reaches the window's queue from any module, so the post goes
// through this library's copy of the handle's operation.
void lanyard::postCommandToHostWindow(const IWindow& window, unsigned long commandId) {
  window.handle().postEvent(IWindow::command, IEventParameter1(commandId), IEventParameter2(0));
}
