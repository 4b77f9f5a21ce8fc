// Portable part of the platform error record: its text from the platform's message.
#include "ierrinfo.hpp"

#include "iexcept.hpp"

ISystemErrorInfo::ISystemErrorInfo(const char* callName) : errorId_(ILastErrorCode()) {
  makeText(callName);
}

ISystemErrorInfo::ISystemErrorInfo(unsigned long errorId, const char* callName)
    : errorId_(errorId) {
  makeText(callName);
}

void ISystemErrorInfo::makeText(const char* callName) {
  IString message = platformText(errorId_);
  if (message.isEmpty())
    message = "No error text is available.";
  text_ = callName != nullptr ? IString(callName) + ":" + message : message;
}
