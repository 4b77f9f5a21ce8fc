// The launcher's main window: a splash frame with the information panel and the status line,
// which is its own command handler.
#ifndef MAINWINDOW_HPP
#define MAINWINDOW_HPP

#include "displayprofile.hpp"
#include "ibitmapcontrol.hpp"
#include "icanvas.hpp"
#include "iframe.hpp"
#include "iinfoarea.hpp"
#include "istatictext.hpp"
#include "ititle.hpp"

class MainWindow : public IFrameWindow, public ICommandHandler {
public:
  // Builds the window with its panel and places it at the desktop's middle, hidden: the main
  // sequence shows it and starts the application from it. Always a splash of fixed size.
  explicit MainWindow(unsigned long windowId);
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
  // Disabled, hidden and without a task-bar button: once the application has been started,
  // only its own windows are seen.
  void retire();

protected:
  // Every command and system command is left to the default processing: the return-code event
  // and the accelerators have no action, and Close and Move behave as the platform's.
  bool command(ICommandEvent& event) override;
  bool systemCommand(ICommandEvent& event) override;

private:
  // One line of the information panel: its control, font, text and cell. The one table of
  // them (in the source) builds the panel and names what prepare makes ready, so that the two
  // cannot drift apart.
  struct PanelLine;
  static const PanelLine panelLines[];

  void buildPanel();
  void place();

  DisplayProfile profile_;
  ITitle title_;
  IMultiCellCanvas clientCanvas_;
  IMultiCellCanvas pictureCanvas_;
  IInfoArea statusLine_;
  IStaticText makerLine_, familyLine_, productLine_, longTitleLine_, versionLine_, copyrightLine_,
      emailLine_, webLine_;
  IBitmapControl picture_;
  IPointerHandle busyPointer_;
};

#endif
