// The platform error record: an error code and its text from the platform's messages.
#include "ierrinfo.hpp"

#include "iexcept.hpp"
#include "iexcept_platform.hpp"

ISystemErrorInfo::ISystemErrorInfo(const char* callName) : errorId_(ILastErrorCode()) {
  makeText(callName);
}

ISystemErrorInfo::ISystemErrorInfo(unsigned long errorId, const char* callName)
    : errorId_(errorId) {
  makeText(callName);
}

IString ISystemErrorInfo::platformText(unsigned long errorCode) {
  char buffer[iexc::systemTextSize] = {0};
  if (!iexc::systemMessageText(errorCode, buffer, sizeof buffer))
    return IString();
  return IString(buffer);
}

void ISystemErrorInfo::makeText(const char* callName) {
  IString message = platformText(errorId_);
  if (message.isEmpty())
    message = iexc::noErrorText;
  text_ = callName != nullptr ? IString(callName) + ":" + message : message;
}
