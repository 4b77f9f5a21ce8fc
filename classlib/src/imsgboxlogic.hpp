// The message box's portable rules: flags in, raw results out, button sets, queue set-up, title,
// and the layout of a box that a backend draws itself.
#ifndef IMSGBOXLOGIC_HPP
#define IMSGBOXLOGIC_HPP

#include <cstdint>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "igeometry.hpp"
#include "istring.hpp"

class IWindow;

namespace IMessageBoxLogic {

// Platform message-box flags (the Windows MB_ values) and raw results (IDOK ... IDNO).
enum : std::uint32_t {
  buttonMask = 0xF, iconMask = 0xF0, defaultMask = 0xF00,
  helpFlag = 0x4000, foregroundFlag = 0x10000, rightFlag = 0x80000, rtlReadingFlag = 0x100000,
  libraryCancel = 13, libraryEnter = 14, libraryEnterCancel = 15
};
// The style words of IMessageBox's constants: the platform's MB_ values, which the Win32
// backend checks against windows.h when it is compiled; the library's own sets above them.
enum : std::uint32_t {
  styleOk = 0x0, styleOkCancel = 0x1, styleAbortRetryIgnore = 0x2, styleYesNoCancel = 0x3,
  styleYesNo = 0x4, styleRetryCancel = 0x5, styleCancel = libraryCancel,
  styleEnter = libraryEnter, styleEnterCancel = libraryEnterCancel,
  styleDefaultFirst = 0x0, styleDefaultSecond = 0x100, styleDefaultThird = 0x200,
  styleIconError = 0x10, styleIconQuery = 0x20, styleIconWarning = 0x30,
  styleIconInformation = 0x40, styleApplicationModal = 0x0, styleSystemModal = 0x1000
};
enum : unsigned long {
  rawOk = 1, rawCancel = 2, rawAbort = 3, rawRetry = 4, rawIgnore = 5, rawYes = 6, rawNo = 7,
  rawHelp = 9, rawEnter = 15
};

// The platform flags for a style word and help id, with the button set the style asked for.
struct Flags {
  std::uint32_t flags;     // what the platform is called with
  std::uint32_t buttonSet; // the requested set, 0 to 15, for the fix-up
};
Flags prepare(std::uint32_t styleWord, unsigned long helpId);

// The platform's raw result turned into the library's for the requested button set.
unsigned long fixUp(std::uint32_t buttonSet, unsigned long raw);

// Asks for a message queue of size entries; while request refuses, asks again with 8 fewer
// until it succeeds or the size is no longer positive. Returns the size granted, 0 for none.
long requestQueue(long size, const std::function<bool(long)>& request);

// The title a box shows: its own title; else the owner's current text unless the owner is the
// desktop or the library's object window; else empty.
IString titleFor(const IString& title, IWindow* owner);

// What a box drawn by the library shows for platform flags (after prepare): its buttons in
// order with their labels and raw results (Help last when asked for), the default one, the
// icon, and what Escape and the close box answer (0: they do nothing, as on Windows for sets
// without Cancel other than OK alone).
struct Button {
  const char* label;
  unsigned long raw;
};
struct Layout {
  std::vector<Button> buttons;
  std::size_t defaultButton;
  const char* icon;          // "information", "question", "warning", "error", or null
  unsigned long escapeResult;
};
Layout layout(std::uint32_t flags);

// --- the box a backend draws itself (X11) ----------------------------------------------------

// The box's measures, in pixels: margins around and between its parts, the icon's square, the
// buttons' least size and the room around a label, and the least width of the whole box.
struct BoxMeasures {
  static constexpr long margin = 12;
  static constexpr long iconSize = 32;
  static constexpr long iconGap = 12;      // between the icon and the text
  static constexpr long buttonGap = 8;     // between two buttons
  static constexpr long buttonMinWidth = 75;
  static constexpr long buttonMinHeight = 23;
  static constexpr long labelRoomX = 24;   // a label's width plus this is a button's
  static constexpr long labelRoomY = 10;   // a line's height plus this is a button's
  static constexpr long lineSpacing = 2;   // added to the font's line height
  static constexpr long boxMinWidth = 180;
  // The text is wrapped to five eighths of the screen's width less this, but never narrower
  // than textMinWidth; it keeps this much of the screen's height free for the rest of the box.
  static constexpr long textWidthLess = 100;
  static constexpr long textMinWidth = 240;
  static constexpr long screenHeightLess = 160;
};

// The width to wrap the text to, and the most lines it may take, on a screen of that size.
long wrapWidth(long screenWidth);
std::size_t maxLines(long screenHeight, long lineHeight);

// Width in pixels of text[from, to) (whole UTF-8 characters), as the backend's font measures it.
typedef std::function<long(const std::string& text, std::size_t from, std::size_t to)> Measure;

// The text's lines for width: cut at line ends (a carriage return before one is dropped), then
// wrapped at blanks; a word wider than the width is cut between characters. At most maxLines
// lines: a text that goes on has ellipsis put after its last. The work is bounded by what is
// kept, however long the text.
std::vector<std::string> wrap(const std::string& text, long width, std::size_t maxLines,
                              const Measure& measure, const std::string& ellipsis);

// Where each part of the box goes, relative to the box, and where the box goes on the screen:
// centred across, a third of the way down.
struct BoxContent {
  long lineHeight;      // the font's, with the spacing
  std::size_t lineCount;
  long textWidth;       // the widest line
  long labelWidth;      // the widest button label
  long labelHeight;     // the font's line height
  std::size_t buttonCount;
  bool hasIcon;
};
struct BoxGeometry {
  IRectangle box;       // on the screen
  IRectangle icon;      // empty without an icon
  IRectangle text;
  std::vector<IRectangle> buttons; // left to right
};
BoxGeometry boxGeometry(const IRectangle& screen, const BoxContent& content);

// The window a box belongs to: owner when it is a window with a platform window of its own,
// other than the desktop and the library's object window, which own nothing visible; else null.
IWindow* owningWindow(IWindow* owner);

// The raw result of a box's first button: the answer when no box can be shown.
unsigned long firstButtonResult(std::uint32_t flags);

// Writes a box that cannot be shown to standard error: the title, ": ", the text and one line
// end (null texts as empty ones), so that the message is not lost.
void writeUnshown(const char* title, const char* text);

// The response of a box that could not be shown, after writing it with writeUnshown: that of
// its first button, as the library's fix-ups give it for the style.
unsigned long unshownResult(std::uint32_t styleWord, unsigned long helpId);

// The platform refused to show the box: the windowing error for "MessageBoxIndirect".
[[noreturn]] void raiseShowFailure();

} // namespace IMessageBoxLogic

// The hooks each backend provides to show one box.
namespace IMessageBoxPlatform {
// True on platforms of the NT line older than version 4 (the queue size and MessageBoxA).
bool isOldNT();
// The platform's answer to a queue request of size entries.
bool requestQueue(long size);
// Shows the box modally with prepared flags; returns the platform's raw result. Raises the
// windowing error for "MessageBoxIndirect" when the platform call fails.
unsigned long show(IWindow* owner, const char* text, const char* title, std::uint32_t flags,
                   unsigned long helpId);
} // namespace IMessageBoxPlatform

#endif
