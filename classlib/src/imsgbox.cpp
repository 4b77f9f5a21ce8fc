// IMessageBox: styles, severities and responses, the show operations, and the message box's
// portable rules (flags, fix-ups, button sets, queue set-up, title) shared by every backend.
#include "imsgbox.hpp"

#include <cstdio>
#include <mutex>
#include <string>

#include "ierrinfo.hpp"
#include "iexcept.hpp"
#include "imsgboxlogic.hpp"
#include "iprocess.hpp"
#include "iwindow.hpp"
#include "iwindowdriver.hpp"

// No moving and no help are the defaults: they carry no flag.
const IMessageBox::Style IMessageBox::buttonsOk(IMessageBoxLogic::styleOk);
const IMessageBox::Style IMessageBox::buttonsOkCancel(IMessageBoxLogic::styleOkCancel);
const IMessageBox::Style IMessageBox::buttonsCancel(IMessageBoxLogic::styleCancel);
const IMessageBox::Style IMessageBox::buttonsEnter(IMessageBoxLogic::styleEnter);
const IMessageBox::Style IMessageBox::buttonsEnterCancel(IMessageBoxLogic::styleEnterCancel);
const IMessageBox::Style IMessageBox::buttonsRetryCancel(IMessageBoxLogic::styleRetryCancel);
const IMessageBox::Style IMessageBox::buttonsAbortRetryIgnore(IMessageBoxLogic::styleAbortRetryIgnore);
const IMessageBox::Style IMessageBox::buttonsYesNo(IMessageBoxLogic::styleYesNo);
const IMessageBox::Style IMessageBox::buttonsYesNoCancel(IMessageBoxLogic::styleYesNoCancel);
const IMessageBox::Style IMessageBox::defaultFirst(IMessageBoxLogic::styleDefaultFirst);
const IMessageBox::Style IMessageBox::defaultSecond(IMessageBoxLogic::styleDefaultSecond);
const IMessageBox::Style IMessageBox::defaultThird(IMessageBoxLogic::styleDefaultThird);
const IMessageBox::Style IMessageBox::noMoveable(0x0);
const IMessageBox::Style IMessageBox::noHelp(0x0);
const IMessageBox::Style IMessageBox::iconInformation(IMessageBoxLogic::styleIconInformation);
const IMessageBox::Style IMessageBox::iconQuery(IMessageBoxLogic::styleIconQuery);
const IMessageBox::Style IMessageBox::iconWarning(IMessageBoxLogic::styleIconWarning);
const IMessageBox::Style IMessageBox::iconError(IMessageBoxLogic::styleIconError);
const IMessageBox::Style IMessageBox::modalApplication(IMessageBoxLogic::styleApplicationModal);
const IMessageBox::Style IMessageBox::modalSystem(IMessageBoxLogic::styleSystemModal);

namespace {
// The library's published locations for the message box's errors: the source name and line
// numbers that its exception records have always carried and that logs and callers rely on.
// They are the library's numbering, not lines of this file: keep them as they are.
const char* const kFile = "imsgbox";
const unsigned long kShowFailedLine = 674;      // IMessageBox::showMessageBox(...)
const unsigned long kResponseLine = 419;        // IMessageBox::convertResponse(unsigned long)
const unsigned long kSeverityLine = 386;        // IMessageBox::convertSeverity(Severity)
} // namespace

// --- portable rules --------------------------------------------------------------------------

IMessageBoxLogic::Flags IMessageBoxLogic::prepare(std::uint32_t styleWord, unsigned long helpId) {
  Flags result{styleWord, 0};
  if (helpId != 0)
    result.flags |= helpFlag;
  result.buttonSet = result.flags & buttonMask;
  if (result.buttonSet == libraryCancel || result.buttonSet == libraryEnter)
    result.flags &= ~static_cast<std::uint32_t>(buttonMask);
  else if (result.buttonSet == libraryEnterCancel)
    result.flags = (result.flags & ~static_cast<std::uint32_t>(buttonMask)) | 1;
  result.flags |= foregroundFlag;
  return result;
}

unsigned long IMessageBoxLogic::fixUp(std::uint32_t buttonSet, unsigned long raw) {
  // A failed call (0) stays a failure: turning it into an answer would hide the error.
  if (raw == 0)
    return 0;
  switch (buttonSet) {
  case libraryCancel: return rawCancel;
  case libraryEnter: return rawEnter;
  case libraryEnterCancel: return raw == rawOk ? rawEnter : raw;
  default: return raw;
  }
}

long IMessageBoxLogic::requestQueue(long size, const std::function<bool(long)>& request) {
  for (; size > 0; size -= 8) {
    if (request(size))
      return size;
  }
  return 0;
}

IString IMessageBoxLogic::titleFor(const IString& title, IWindow* owner) {
  if (!title.isEmpty())
    return title;
  if (owner == nullptr || owner == IWindow::desktopWindow() ||
      IWindowPrivate::isObjectWindow(owner))
    return IString();
  IWindowHandle desktop = IWindow::desktopWindow()->handle();
  if (desktop.isValid() && owner->handle() == desktop)
    return IString();
  return owner->text();
}

IMessageBoxLogic::Layout IMessageBoxLogic::layout(std::uint32_t flags) {
  Layout result{{}, 0, nullptr, 0};
  switch (flags & buttonMask) {
  case 0: result.buttons = {{"OK", rawOk}}; result.escapeResult = rawOk; break;
  case 1: result.buttons = {{"OK", rawOk}, {"Cancel", rawCancel}}; result.escapeResult = rawCancel; break;
  case 2: result.buttons = {{"Abort", rawAbort}, {"Retry", rawRetry}, {"Ignore", rawIgnore}}; break;
  case 3:
    result.buttons = {{"Yes", rawYes}, {"No", rawNo}, {"Cancel", rawCancel}};
    result.escapeResult = rawCancel;
    break;
  case 4: result.buttons = {{"Yes", rawYes}, {"No", rawNo}}; break;
  case 5: result.buttons = {{"Retry", rawRetry}, {"Cancel", rawCancel}}; result.escapeResult = rawCancel; break;
  case 6:
    result.buttons = {{"Cancel", rawCancel}, {"Try Again", 10}, {"Continue", 11}};
    result.escapeResult = rawCancel;
    break;
  default: return result; // no such set: the platform refuses the box
  }
  if (flags & helpFlag)
    result.buttons.push_back({"Help", rawHelp});
  std::size_t wanted = (flags & defaultMask) >> 8;
  result.defaultButton = wanted < result.buttons.size() ? wanted : 0;
  switch (flags & iconMask) {
  case 0x10: result.icon = "error"; break;
  case 0x20: result.icon = "question"; break;
  case 0x30: result.icon = "warning"; break;
  case 0x40: result.icon = "information"; break;
  default: break;
  }
  return result;
}

unsigned long IMessageBoxLogic::firstButtonResult(std::uint32_t flags) {
  Layout boxLayout = layout(flags);
  return boxLayout.buttons.empty() ? static_cast<unsigned long>(rawOk) : boxLayout.buttons.front().raw;
}

void IMessageBoxLogic::writeUnshown(const char* title, const char* text) {
  const std::string line = std::string(title != nullptr ? title : "") + ": " +
                           (text != nullptr ? text : "") + "\n";
  IProcess::writeStandardError(line.c_str());
}

unsigned long IMessageBoxLogic::unshownResult(std::uint32_t styleWord, unsigned long helpId) {
  Flags prepared = prepare(styleWord, helpId);
  return fixUp(prepared.buttonSet, firstButtonResult(prepared.flags));
}

void IMessageBoxLogic::raiseShowFailure() {
  raiseWindowingError("MessageBoxIndirect",
                      IThrowLocation(kFile,
                                     "IMessageBox::showMessageBox(const char*,const char*,"
                                     "unsigned long,const Style&)",
                                     kShowFailedLine),
                      IException::invalidRequest, IException::recoverable);
}

// --- IMessageBox -----------------------------------------------------------------------------

IMessageBox::IMessageBox(IWindow* owner) : owner_(owner) {
  // Only the first set-up in the process matters, and only where the platform sizes queues.
  static std::once_flag setUp;
  std::call_once(setUp, [] {
    if (IMessageBoxPlatform::isOldNT())
      IMessageBoxLogic::requestQueue(30, IMessageBoxPlatform::requestQueue);
  });
}

IMessageBox::~IMessageBox() = default;

IMessageBox& IMessageBox::setTitle(const char* text) {
  title_ = text;
  return *this;
}

IMessageBox::Response IMessageBox::show(const char* text, Severity severity, unsigned long helpId) {
  return show(text, convertSeverity(severity), helpId);
}

IMessageBox::Response IMessageBox::show(const char* text, const Style& style, unsigned long helpId) {
  IString title = title_;
  // A message must reach the user, and its caller must go on: a box that cannot be shown (the
  // platform refuses it, it cannot be built, it is destroyed unanswered) is written to
  // standard error instead, and answered as its first button would be. What the library
  // raised has gone to its exception log on the way.
  try {
    title = IMessageBoxLogic::titleFor(title_, owner_);
    return convertResponse(showMessageBox(text, title, helpId, style));
  } catch (...) {
    IMessageBoxLogic::writeUnshown(title, text);
    return convertResponse(IMessageBoxLogic::unshownResult(style.asUnsignedLong(), helpId));
  }
}

IMessageBox::Response IMessageBox::show(const IException& exception, unsigned long helpId) {
  return show(exception.text(0), exception.isRecoverable() ? recoverableError : fatalError, helpId);
}

IMessageBox::Response IMessageBox::show(const ISystemErrorInfo& errorInfo, unsigned long helpId) {
  return show(errorInfo.text(), fatalError, helpId);
}

unsigned long IMessageBox::showMessageBox(const char* text, const char* title,
                                          unsigned long helpId, const Style& style) {
  IMessageBoxLogic::Flags prepared = IMessageBoxLogic::prepare(style.asUnsignedLong(), helpId);
  unsigned long raw = IMessageBoxPlatform::show(owner_, text != nullptr ? text : "",
                                                title != nullptr ? title : "", prepared.flags,
                                                helpId);
  return IMessageBoxLogic::fixUp(prepared.buttonSet, raw);
}

IMessageBox::Response IMessageBox::convertResponse(unsigned long raw) {
  if (raw >= IMessageBoxLogic::rawOk && raw <= IMessageBoxLogic::rawNo)
    return static_cast<Response>(raw);
  if (raw == IMessageBoxLogic::rawEnter)
    return enter;
  if (raw == 0)
    raiseWindowingError("IMESSAGEBOX",
                        IThrowLocation(kFile, "IMessageBox::convertResponse(unsigned long)", kResponseLine),
                        IException::accessError, IException::recoverable);
  return unknown;
}

IMessageBox::Style IMessageBox::convertSeverity(Severity severity) {
  switch (severity) {
  case informational: return iconInformation | buttonsOk;
  case warning: return iconWarning | buttonsEnterCancel;
  case question: return iconQuery | buttonsRetryCancel;
  case recoverableError: return iconError | buttonsRetryCancel;
  case fatalError: return iconError | buttonsOk;
  }
  raiseLibraryError(39, IThrowLocation(kFile, "IMessageBox::convertSeverity(Severity)", kSeverityLine),
                    IException::invalidParameter, IException::recoverable);
}
