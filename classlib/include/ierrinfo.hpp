// ISystemErrorInfo: a platform error record, an error code with the platform's text for it.
#ifndef IERRINFO_HPP
#define IERRINFO_HPP

#include "istring.hpp"

class ISystemErrorInfo {
public:
  // The record of errorId; without one, of the calling thread's last platform error code
  // (GetLastError, errno). The text is the platform's message for the code, after callName
  // and ":" when a call name is given; "No error text is available." when the platform has none.
  explicit ISystemErrorInfo(const char* callName = nullptr);
  ISystemErrorInfo(unsigned long errorId, const char* callName);

  unsigned long errorId() const noexcept { return errorId_; }
  const char* text() const noexcept { return text_; }
  operator const char*() const noexcept { return text_; }

  // The platform's text for errorCode; empty when it has none.
  static IString platformText(unsigned long errorCode);

private:
  void makeText(const char* callName);
  unsigned long errorId_;
  IString text_;
};

#endif
