// IMessageBox: the library's modal message box with portable styles, severities and responses.
#ifndef IMSGBOX_HPP
#define IMSGBOX_HPP

#include <cstdint>

#include "istring.hpp"

class IException;
class ISystemErrorInfo;
class IWindow;

class IMessageBox {
public:
  enum Severity { informational = 0, warning = 1, question = 2, recoverableError = 3, fatalError = 4 };
  enum Response { enter = 0, ok = 1, cancel = 2, abort = 3, retry = 4, ignore = 5, yes = 6, no = 7,
                  unknown = 8 };

  // A pair of words; the first carries the platform's message-box flags. Styles combine with |.
  class Style {
  public:
    constexpr Style(std::uint32_t word1 = 0, std::uint32_t word2 = 0) noexcept
        : word1_(word1), word2_(word2) {}
    constexpr std::uint32_t asUnsignedLong() const noexcept { return word1_; }
    constexpr std::uint32_t secondWord() const noexcept { return word2_; }
    constexpr Style operator|(const Style& other) const noexcept {
      return Style(word1_ | other.word1_, word2_ | other.word2_);
    }
    Style& operator|=(const Style& other) noexcept {
      word1_ |= other.word1_;
      word2_ |= other.word2_;
      return *this;
    }
    constexpr bool operator==(const Style& other) const noexcept {
      return word1_ == other.word1_ && word2_ == other.word2_;
    }

  private:
    std::uint32_t word1_;
    std::uint32_t word2_;
  };

  // The low four bits of the first word select the button set: 0 to 5 are the platform's,
  // 13 to 15 the library's own (rewritten before the platform call, fixed up after it).
  // noMoveable and noHelp carry no flags: they exist so that styles read alike everywhere.
  static const Style buttonsOk, buttonsOkCancel, buttonsCancel, buttonsEnter, buttonsEnterCancel,
      buttonsRetryCancel, buttonsAbortRetryIgnore, buttonsYesNo, buttonsYesNoCancel, defaultFirst,
      defaultSecond, defaultThird, noMoveable, noHelp, iconInformation, iconQuery, iconWarning,
      iconError, modalApplication, modalSystem;

  // Sets the calling thread up for windowing (once per process: a message queue of 30 entries
  // where the platform needs a size). The owner is not owned and may be null.
  explicit IMessageBox(IWindow* owner);
  virtual ~IMessageBox();

  // The show operations block in a modal loop and return the user's answer. A box that cannot
  // be shown (X11: no display to open, no font to write with; any platform: the platform
  // refuses or loses the box, or building it fails) is written to standard error as
  // "title: text" and one line end, and the answer is that of the first button: showing never
  // raises, so that a message cannot end its caller.
  virtual IMessageBox& setTitle(const char* text);
  // With the style convertSeverity gives; a bad severity raises before anything is shown.
  virtual Response show(const char* text, Severity severity, unsigned long helpId = 0);
  // The central show: a non-zero help id adds a Help button and is the context help id.
  virtual Response show(const char* text, const Style& style, unsigned long helpId = 0);
  // The newest text, as recoverableError when recoverable, else as fatalError.
  virtual Response show(const IException& exception, unsigned long helpId = 0);
  // The record's text as fatalError.
  virtual Response show(const ISystemErrorInfo& errorInfo, unsigned long helpId = 0);

  const IString& title() const noexcept { return title_; }
  IWindow* owner() const noexcept { return owner_; }

  // The raw platform result for one show (1 OK ... 7 No, 15 for the library's enter). Raises
  // the windowing error for "MessageBoxIndirect" when the platform refuses or loses the box.
  unsigned long showMessageBox(const char* text, const char* title, unsigned long helpId,
                               const Style& style);
  static Response convertResponse(unsigned long raw);
  static Style convertSeverity(Severity severity);

private:
  IString title_;
  IWindow* owner_;
};

#endif
