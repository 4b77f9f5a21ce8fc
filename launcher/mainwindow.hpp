// The launcher's main window: a splash frame with the information panel and the status line,
// which is its own command handler and starts the Java application as the last step of its
// construction.
#ifndef MAINWINDOW_HPP
#define MAINWINDOW_HPP

#include "displayprofile.hpp"
#include "ibitmapcontrol.hpp"
#include "icanvas.hpp"
#include "iframe.hpp"
#include "iinfoarea.hpp"
#include "istatictext.hpp"
#include "ititle.hpp"

struct LauncherState;

class MainWindow : public IFrameWindow, public ICommandHandler {
public:
  // Builds, lays out, places and shows the window, then starts the Java application (in this
  // process, or by replacing the process with the runtime's java). The frame style asked for is
  // not used: the window is always a splash of fixed size.
  MainWindow(unsigned long windowId, LauncherState& state,
             const IFrameWindow::Style& style = IFrameWindow::defaultStyle());
  ~MainWindow() override;

  // Has the class library open the fonts of the panel and the status line for this display,
  // measure their texts and put the picture on the display, on a thread of its own, while the
  // launcher creates the VM: the window then finds them ready. Without a display there is
  // nothing to prepare.
  static void prepare();

  // The status line says "Please wait..." in white on red and the busy pointer shows; painted
  // at once, as no event loop runs while the application starts.
  void showBusy();
  // The status line goes blank (one blank, dark gray on white) and the default pointer returns.
  void clearBusy();

  // Whether the application runs in this process, so that the event loop must keep it alive.
  bool hostsApplication() const noexcept { return hostsApplication_; }

protected:
  // Every command and system command is left to the default processing: the return-code event
  // and the accelerators have no action, and Close and Move behave as the platform's.
  bool command(ICommandEvent& event) override;
  bool systemCommand(ICommandEvent& event) override;

private:
  void buildPanel();
  void place();

  LauncherState& state_;
  DisplayProfile profile_;
  ITitle title_;
  IMultiCellCanvas clientCanvas_;
  IMultiCellCanvas pictureCanvas_;
  IInfoArea statusLine_;
  IStaticText makerLine_, familyLine_, productLine_, longTitleLine_, versionLine_, copyrightLine_,
      emailLine_, webLine_;
  IBitmapControl picture_;
  IPointerHandle busyPointer_;
  bool hostsApplication_ = false;
};

#endif
