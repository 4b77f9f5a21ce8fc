// POSIX (X11): the return-code event goes out through the window's own operation.
#include "rtnchannel_md.hpp"

#include "iwindow.hpp"

// Posted events wait in a queue of the class-library copy that runs the window's event loop,
// which only the window's own (virtual) operation reaches; the C++ runtime is shared here, so
// its exception unwinds into this library safely.
void lanyard::postCommandToHostWindow(const IWindow& window, unsigned long commandId) {
  window.postEvent(IWindow::command, IEventParameter1(commandId), IEventParameter2(0));
}
