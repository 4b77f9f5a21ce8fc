// The main window: construction in its order, the information panel, placement, and the busy
// state of the status line.
#include "mainwindow.hpp"

#include "appstart.hpp"
#include "iprepare.hpp"
#include "iresource.hpp"
#include "launcherstate.hpp"
#include "messages.hpp"
#include "placement.hpp"
#include "trace.hpp"

namespace {

// Window identifiers and resources of the panel.
const unsigned long clientCanvasId = 1225, pictureCanvasId = 1530, textLineId = 1530,
                    pictureId = 1450;
const unsigned long pictureBitmap = 1004, iconId = 1008, versionString = 6403;

// The maker's name stands at the left like a letterhead; the other lines are centred.
const IStaticText::Alignment makerAlignment = IStaticText::centerLeft;
const IStaticText::Alignment lineAlignment = IStaticText::centerCenter;

// The panel's fonts, from the two that the display's class chose.
struct PanelFonts {
  IFont status;    // the label font at the size the display class chose
  IFont canvas;    // the label font made small
  IFont line;      // the text font at 10 points: every line but the two below
  IFont longTitle; // the text font in bold at 12 points
  IFont product;   // the text font in bold at 24 points

  explicit PanelFonts(const DisplayProfile& profile)
      : status(profile.fontAt(DisplayProfile::labelFontPosition)), canvas(status),
        line(profile.fontAt(DisplayProfile::textFontPosition)), longTitle(line), product(line) {
    canvas.setPointSize(8);
    line.setPointSize(10);
    longTitle.setBold(true).setPointSize(12);
    product.setBold(true).setPointSize(24);
  }
};

// The frame keeps its size, and its accelerator table is loaded with it.
IFrameWindow::Style frameStyle() { return IFrameWindow::defaultStyle() | IFrameWindow::accelerator; }

} // namespace

MainWindow::MainWindow(unsigned long windowId, LauncherState& state, const IFrameWindow::Style&)
    : IFrameWindow(windowId, frameStyle()), ICommandHandler(), state_(state), profile_(),
      title_(this, QuilletText::longTitle),
      clientCanvas_(clientCanvasId, this, this),
      pictureCanvas_(pictureCanvasId, &clientCanvas_, &clientCanvas_),
      statusLine_(this),
      makerLine_(textLineId, &clientCanvas_, &clientCanvas_),
      familyLine_(textLineId, &clientCanvas_, &clientCanvas_),
      productLine_(textLineId, &clientCanvas_, &clientCanvas_),
      longTitleLine_(textLineId, &clientCanvas_, &clientCanvas_),
      versionLine_(textLineId, &clientCanvas_, &clientCanvas_),
      copyrightLine_(textLineId, &clientCanvas_, &clientCanvas_),
      emailLine_(textLineId, &clientCanvas_, &clientCanvas_),
      webLine_(textLineId, &clientCanvas_, &clientCanvas_),
      picture_(pictureId, &pictureCanvas_, &pictureCanvas_, pictureBitmap) {
  traceStep("window-members");
  setClient(&clientCanvas_);
  handleEventsFor(this);
  statusLine_.setAlignment(IInfoArea::centered);
  statusLine_.enableBorder(true);
  setIcon(iconId);
  buildPanel();
  busyPointer_ = IResourceLibrary().loadIcon(iconId, true);
  statusLine_.setText("");
  place();
  show();
  traceStep("window-shown");
  if (state_.externalStart)
    startExternally(*this, state_);
  else
    hostsApplication_ = startInProcess(*this, state_);
}

MainWindow::~MainWindow() { stopHandlingEventsFor(this); }

void MainWindow::prepare() {
  IPreparation::start([] {
    IPreparation::Needs needs;
    if (!IWindow::desktopWindow()->isValid())
      return needs;
    DisplayProfile profile;
    profile.measure(IWindow::desktopWindow()->handle());
    PanelFonts fonts(profile);
    IString version = IResourceLibrary().loadString(versionString);
    // The controls measure with the library's default font until they are given theirs.
    needs.fonts = {{IFont(), {}},
                   {fonts.status, {QuilletText::busy}},
                   {fonts.line, {QuilletText::maker, QuilletText::family, version,
                                 QuilletText::copyright, QuilletText::supportEmail,
                                 QuilletText::webSite}},
                   {fonts.longTitle, {QuilletText::longTitle}},
                   {fonts.product, {QuilletText::product}}};
    needs.bitmaps = {IResourceLibrary().loadBitmap(pictureBitmap)};
    return needs;
  });
}

void MainWindow::buildPanel() {
  profile_.measure(IWindow::desktopWindow()->handle());
  PanelFonts fonts(profile_);
  statusLine_.setFont(fonts.status);
  clientCanvas_.setFont(fonts.canvas);

  makerLine_.setText(QuilletText::maker);
  familyLine_.setText(QuilletText::family);
  versionLine_.setText(versionString);
  copyrightLine_.setText(QuilletText::copyright);
  emailLine_.setText(QuilletText::supportEmail);
  webLine_.setText(QuilletText::webSite);
  for (IStaticText* line : {&makerLine_, &familyLine_, &versionLine_, &copyrightLine_, &emailLine_, &webLine_})
    line->setFont(fonts.line);
  longTitleLine_.setText(QuilletText::longTitle);
  longTitleLine_.setFont(fonts.longTitle);
  productLine_.setText(QuilletText::product);
  productLine_.setFont(fonts.product);

  makerLine_.setAlignment(makerAlignment);
  for (IStaticText* line : {&familyLine_, &productLine_, &longTitleLine_, &versionLine_,
                            &copyrightLine_, &emailLine_, &webLine_})
    line->setAlignment(lineAlignment);

  // Column 2 holds the panel; the empty rows 1, 9 and 11 space its groups, and the margins and
  // the picture's row take any room left.
  clientCanvas_.addToCell(&makerLine_, 2, 2)
      .addToCell(&familyLine_, 2, 3)
      .addToCell(&productLine_, 2, 4)
      .addToCell(&longTitleLine_, 2, 5)
      .addToCell(&versionLine_, 2, 6)
      .addToCell(&copyrightLine_, 2, 7)
      .addToCell(&emailLine_, 2, 8)
      .addToCell(&webLine_, 2, 10)
      .addToCell(&pictureCanvas_, 2, 12);
  long cellWidth = clientCanvas_.defaultCell().width();
  clientCanvas_.setColumnWidth(1, cellWidth, true)
      .setColumnWidth(2, cellWidth)
      .setColumnWidth(3, cellWidth, true)
      .setRowHeight(12, 0, true);
  pictureCanvas_.addToCell(&picture_, 7, 5);
}

void MainWindow::place() {
  IRectangle desktop = IWindow::desktopWindow()->rect();
  IRectangle client = Placement::initialClientRect(desktop.size(), clientCanvas_.minimumSize());
  moveSizeTo(frameRectFor(client));
  moveSizeTo(Placement::centred(rect(), desktop));
}

void MainWindow::showBusy() {
  statusLine_.setText(QuilletText::busy);
  statusLine_.setForegroundColor(IColor::white());
  statusLine_.setBackgroundColor(IColor::red());
  setMousePointer(busyPointer_);
  refresh(true);
  traceStep("busy-painted");
}

void MainWindow::clearBusy() {
  statusLine_.setText(QuilletText::idle);
  statusLine_.setForegroundColor(IColor::darkGray());
  statusLine_.setBackgroundColor(IColor::white());
  setMousePointer(IPointerHandle());
  refresh(true);
}

bool MainWindow::command(ICommandEvent&) { return false; }

bool MainWindow::systemCommand(ICommandEvent&) { return false; }
