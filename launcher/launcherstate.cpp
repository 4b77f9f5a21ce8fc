// LauncherState: the shared message box, owned by the desktop window, and the message styles.
#include "launcherstate.hpp"

#include "iwindow.hpp"

const IMessageBox::Style failureStyle = IMessageBox::buttonsOk | IMessageBox::iconError;
const IMessageBox::Style displayStyle = IMessageBox::buttonsOk | IMessageBox::iconWarning;

LauncherState::LauncherState() : messageBox(IWindow::desktopWindow()) {}
