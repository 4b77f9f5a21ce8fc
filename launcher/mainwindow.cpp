// The main window: construction in its order, the information panel and the table of its lines,
// placement, and the busy state of the status line.
#include "mainwindow.hpp"

#include "iprepare.hpp"
#include "iresource.hpp"
#include "messages.hpp"
#include "placement.hpp"
#include "trace.hpp"

namespace {

// Window identifiers and resources of the panel.
const unsigned long clientCanvasId = 1225, pictureCanvasId = 1530, textLineId = 1530,
                    pictureId = 1450;
const unsigned long pictureBitmap = 1004, iconId = 1008, versionString = 6403;

// The panel stands in column 2 of the client canvas, the picture at its foot; the empty rows 1,
// 9 and 11 space its groups, and the margins and the picture's row take any room left.
const unsigned long panelColumn = 2, pictureRow = 12;

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

// Adds text, to be drawn in font, to the preparation's needs: one use per font, so that each
// font is opened once.
void addFontUse(IPreparation::Needs& needs, const IFont& font, const IString& text) {
  for (IPreparation::FontUse& use : needs.fonts)
    if (use.font == font) {
      use.texts.push_back(text);
      return;
    }
  needs.fonts.push_back({font, {text}});
}

// The frame keeps its size, and its accelerator table is loaded with it.
IFrameWindow::Style frameStyle() { return IFrameWindow::defaultStyle() | IFrameWindow::accelerator; }

} // namespace

struct MainWindow::PanelLine {
  IStaticText MainWindow::*control;
  IFont PanelFonts::*font;
  const char* text;       // the product's own text; null for the string resource below
  unsigned long stringId; // the version line's text, which the build writes into the resources
  unsigned long row;      // in the panel's column
  IStaticText::Alignment alignment;

  IString textToShow() const {
    return text != nullptr ? IString(text) : IResourceLibrary().loadString(stringId);
  }
};

// The panel from top to bottom, which is also the order in which its controls are made.
const MainWindow::PanelLine MainWindow::panelLines[] = {
    {&MainWindow::makerLine_, &PanelFonts::line, QuilletText::maker, 0, 2, makerAlignment},
    {&MainWindow::familyLine_, &PanelFonts::line, QuilletText::family, 0, 3, lineAlignment},
    {&MainWindow::productLine_, &PanelFonts::product, QuilletText::product, 0, 4, lineAlignment},
    {&MainWindow::longTitleLine_, &PanelFonts::longTitle, QuilletText::longTitle, 0, 5,
     lineAlignment},
    {&MainWindow::versionLine_, &PanelFonts::line, nullptr, versionString, 6, lineAlignment},
    {&MainWindow::copyrightLine_, &PanelFonts::line, QuilletText::copyright, 0, 7, lineAlignment},
    {&MainWindow::emailLine_, &PanelFonts::line, QuilletText::supportEmail, 0, 8, lineAlignment},
    {&MainWindow::webLine_, &PanelFonts::line, QuilletText::webSite, 0, 10, lineAlignment},
};

MainWindow::MainWindow(unsigned long windowId)
    : IFrameWindow(windowId, frameStyle()), ICommandHandler(), profile_(),
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
    // The controls measure with the library's default font until they are given theirs.
    needs.fonts = {{IFont(), {}}, {fonts.status, {QuilletText::busy}}};
    for (const PanelLine& line : panelLines)
      addFontUse(needs, fonts.*line.font, line.textToShow());
    needs.bitmaps = {IResourceLibrary().loadBitmap(pictureBitmap)};
    return needs;
  });
}

void MainWindow::buildPanel() {
  profile_.measure(IWindow::desktopWindow()->handle());
  PanelFonts fonts(profile_);
  statusLine_.setFont(fonts.status);
  clientCanvas_.setFont(fonts.canvas);

  for (const PanelLine& line : panelLines) {
    IStaticText& control = this->*line.control;
    control.setText(line.textToShow());
    control.setFont(fonts.*line.font);
    control.setAlignment(line.alignment);
    clientCanvas_.addToCell(&control, panelColumn, line.row);
  }
  clientCanvas_.addToCell(&pictureCanvas_, panelColumn, pictureRow);
  long cellWidth = clientCanvas_.defaultCell().width();
  clientCanvas_.setColumnWidth(panelColumn - 1, cellWidth, true)
      .setColumnWidth(panelColumn, cellWidth)
      .setColumnWidth(panelColumn + 1, cellWidth, true)
      .setRowHeight(pictureRow, 0, true);
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

void MainWindow::retire() {
  disable();
  hide();
  removeFromTaskBar();
}

bool MainWindow::command(ICommandEvent&) { return false; }

bool MainWindow::systemCommand(ICommandEvent&) { return false; }
