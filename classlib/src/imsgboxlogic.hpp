// The message box's portable rules: flags in, raw results out, button sets, queue set-up, title.
#ifndef IMSGBOXLOGIC_HPP
#define IMSGBOXLOGIC_HPP

#include <cstdint>
#include <functional>
#include <vector>

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
