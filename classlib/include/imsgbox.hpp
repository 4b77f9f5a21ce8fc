// IMessageBox: the library's modal message box with portable styles, severities and responses.
#ifndef IMSGBOX_HPP
#define IMSGBOX_HPP

#include <cstdint>

#include "istring.hpp"

class IException;
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

  static const Style buttonsOk, buttonsOkCancel, buttonsCancel, buttonsEnter, buttonsEnterCancel,
      buttonsRetryCancel, buttonsAbortRetryIgnore, buttonsYesNo, buttonsYesNoCancel, defaultFirst,
      defaultSecond, defaultThird, noMoveable, noHelp, iconInformation, iconQuery, iconWarning,
      iconError, modalApplication, modalSystem;

  explicit IMessageBox(IWindow* owner);
  virtual ~IMessageBox();

  virtual IMessageBox& setTitle(const char* text);
  virtual Response show(const char* text, Severity severity, unsigned long helpId = 0);
  virtual Response show(const char* text, const Style& style, unsigned long helpId = 0);
  virtual Response show(const IException& exception, unsigned long helpId = 0);

  const IString& title() const noexcept { return title_; }
  IWindow* owner() const noexcept { return owner_; }

  // The raw platform result for one show (1 OK ... 7 No, 15 for the library's enter).
  unsigned long showMessageBox(const char* text, const char* title, unsigned long helpId,
                               const Style& style);
  static Response convertResponse(unsigned long raw);
  static Style convertSeverity(Severity severity);

private:
  IString title_;
  IWindow* owner_;
};

#endif
