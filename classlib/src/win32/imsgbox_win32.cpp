// Win32 backend of the message box: MessageBoxIndirectA (MessageBoxA before NT 4), the look at
// the library's private queue message, right-to-left flags and the queue set-up of old NT.
#include <windows.h>

#include "iexcept.hpp"
#include "imsgboxlogic.hpp"
#include "iwindow.hpp"

namespace {

// The library's private message; the box's own message loop may take it from the queue.
const UINT kPrivateMessage = 0xFFE0;
const int kSmMidEastEnabled = 74;

// The style words that IMessageBox's constants carry are handed to the platform as they are.
namespace L = IMessageBoxLogic;
static_assert(L::styleOk == MB_OK && L::styleOkCancel == MB_OKCANCEL &&
                  L::styleAbortRetryIgnore == MB_ABORTRETRYIGNORE &&
                  L::styleYesNoCancel == MB_YESNOCANCEL && L::styleYesNo == MB_YESNO &&
                  L::styleRetryCancel == MB_RETRYCANCEL,
              "button sets");
static_assert(L::styleDefaultFirst == MB_DEFBUTTON1 && L::styleDefaultSecond == MB_DEFBUTTON2 &&
                  L::styleDefaultThird == MB_DEFBUTTON3,
              "default buttons");
static_assert(L::styleIconError == MB_ICONERROR && L::styleIconQuery == MB_ICONQUESTION &&
                  L::styleIconWarning == MB_ICONWARNING &&
                  L::styleIconInformation == MB_ICONINFORMATION,
              "icons");
static_assert(L::styleApplicationModal == MB_APPLMODAL && L::styleSystemModal == MB_SYSTEMMODAL,
              "modality");
static_assert(L::buttonMask == MB_TYPEMASK && L::iconMask == MB_ICONMASK &&
                  L::defaultMask == MB_DEFMASK && L::helpFlag == MB_HELP,
              "masks");
// The library's own sets fill the button numbers that Windows leaves unused.
static_assert(L::styleCancel > MB_CANCELTRYCONTINUE && L::styleEnterCancel <= MB_TYPEMASK,
              "the library's button sets");

#if !defined(_WIN64)
static_assert(sizeof(MSGBOXPARAMSA) == 40, "the parameter block of MessageBoxIndirectA");
#endif

} // namespace

bool IMessageBoxPlatform::isOldNT() {
  DWORD version = GetVersion();
  bool ntLine = (version & 0x80000000u) == 0;
  return ntLine && LOBYTE(LOWORD(version)) < 4;
}

bool IMessageBoxPlatform::requestQueue(long size) {
  // SetMessageQueue exists only on the old platforms that need it; look it up rather than
  // bind to it.
  typedef BOOL(WINAPI * SetMessageQueueFunction)(int);
  HMODULE user = GetModuleHandleA("user32.dll");
  auto setMessageQueue = reinterpret_cast<SetMessageQueueFunction>(
      reinterpret_cast<void (*)()>(user != nullptr ? GetProcAddress(user, "SetMessageQueue") : nullptr));
  return setMessageQueue == nullptr || setMessageQueue(static_cast<int>(size)) != 0;
}

unsigned long IMessageBoxPlatform::show(IWindow* owner, const char* text, const char* title,
                                        std::uint32_t flags, unsigned long helpId) {
  MSG waiting;
  bool wasWaiting = PeekMessageA(&waiting, nullptr, kPrivateMessage, kPrivateMessage, PM_NOREMOVE) != 0;

  if (GetSystemMetrics(kSmMidEastEnabled) != 0) {
    // The application's default bidirectional settings are those of the process's layout.
    DWORD layout = 0;
    if (GetProcessDefaultLayout(&layout) && (layout & LAYOUT_RTL))
      flags |= MB_RIGHT | MB_RTLREADING;
  }

  HWND ownerHandle = owner != nullptr ? reinterpret_cast<HWND>(owner->handle().asUnsigned()) : nullptr;
  unsigned long result;
  if (isOldNT()) {
    result = static_cast<unsigned long>(MessageBoxA(ownerHandle, text, title, flags));
  } else {
    MSGBOXPARAMSA parameters = {};
    parameters.cbSize = sizeof parameters;
    parameters.hwndOwner = ownerHandle;
    parameters.hInstance = nullptr;
    parameters.lpszText = text;
    parameters.lpszCaption = title;
    parameters.dwStyle = flags;
    parameters.lpszIcon = nullptr;
    parameters.dwContextHelpId = helpId;
    parameters.lpfnMsgBoxCallback = nullptr;
    parameters.dwLanguageId = 0;
    result = static_cast<unsigned long>(MessageBoxIndirectA(&parameters));
    if (result == 0) IMessageBoxLogic::raiseShowFailure();
  }

  MSG after;
  if (wasWaiting && !PeekMessageA(&after, nullptr, kPrivateMessage, kPrivateMessage, PM_NOREMOVE))
    PostMessageA(nullptr, waiting.message, waiting.wParam, waiting.lParam);
  return result;
}
