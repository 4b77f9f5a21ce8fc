// The class library's raise operations: each builds its exception, sets its group and location,
// writes it to the log and throws it; the collection classes' throwIt; and the thread's last
// platform error.
#include "iexcept.hpp"

#include "iexcept_platform.hpp"

#include <cstdio>

unsigned long ILastErrorCode() { return iexc::lastErrorCode(); }
void ISetLastErrorCode(unsigned long code) { iexc::setLastErrorCode(code); }

namespace {

template <class E>
[[noreturn]] void logAndThrow(E& e, const char* group, const IThrowLocation& location,
                              bool log = true) {
  e.setErrorCodeGroup(group);
  e.addLocation(location);
  if (log)
    e.writeToLog();
  throw e;
}

// Builds the class of the type code with text (or, when text is null, with the texts that
// compose puts on it) and throws it. An unknown type code gives a plain IException, which
// every handler of the system still catches.
template <typename Compose>
[[noreturn]] void raiseOfType(IException::ExceptionType type, const char* text,
                              unsigned long errorId, IException::Severity severity,
                              const char* group, const IThrowLocation& location, Compose compose,
                              bool log = true) {
#define IEXC_RAISE_CASE(code, cls)                                                           \
  case IException::code: {                                                                   \
    cls e(text, errorId, severity);                                                          \
    compose(e);                                                                              \
    logAndThrow(e, group, location, log);                                                    \
  }
  switch (type) {
    IEXC_RAISE_CASE(accessError, IAccessError)
    IEXC_RAISE_CASE(deviceError, IDeviceError)
    IEXC_RAISE_CASE(invalidParameter, IInvalidParameter)
    IEXC_RAISE_CASE(invalidRequest, IInvalidRequest)
    IEXC_RAISE_CASE(outOfSystemResource, IOutOfSystemResource)
    IEXC_RAISE_CASE(outOfWindowResource, IOutOfWindowResource)
    IEXC_RAISE_CASE(outOfMemory, IOutOfMemory)
    IEXC_RAISE_CASE(resourceExhausted, IResourceExhausted)
  }
#undef IEXC_RAISE_CASE
  IException e(text, errorId, severity);
  compose(e);
  logAndThrow(e, group, location, log);
}

void noComposition(IException&) {}

// callName ":" detail as one text.
void composeCallText(IException& e, const char* callName, const char* detail) {
  e.setText(callName ? callName : "");
  e.appendText(":");
  e.appendText(detail);
}

} // namespace

void raiseLibraryError(unsigned long errorId, const IThrowLocation& location,
                       IException::ExceptionType type, IException::Severity severity,
                       const char* insert) {
  char text[iexc::catalogTextSize];
  const char* inserts[1] = {insert};
  IMessageCatalogText(errorId, inserts, 1, text, sizeof text);
  raiseOfType(type, text, errorId, severity, IEXC_GROUP_LIBRARY, location, noComposition);
}

void raiseError(const char* text, unsigned long errorId, const IThrowLocation& location,
                IException::ExceptionType type, IException::Severity severity, const char* group) {
  raiseOfType(type, text, errorId, severity, group, location, noComposition);
}

void raiseWindowingError(const char* callName, const IThrowLocation& location,
                         IException::ExceptionType type, IException::Severity severity) {
  unsigned long code = iexc::lastErrorCode();
  raiseOfType(type, nullptr, code, severity, IEXC_GROUP_PRESENTATION, location,
              [callName](IException& e) { composeCallText(e, callName, iexc::noErrorText); });
}

void raiseRepeatedWindowingError(const char* callName, const IThrowLocation& location,
                                 IException::ExceptionType type, IException::Severity severity) {
  unsigned long code = iexc::lastErrorCode();
  raiseOfType(
      type, nullptr, code, severity, IEXC_GROUP_PRESENTATION, location,
      [callName](IException& e) { composeCallText(e, callName, iexc::noErrorText); }, false);
}

namespace {

template <class E>
[[noreturn]] void raiseCheck(const char* conditionText, const IThrowLocation& location) {
  char text[iexc::catalogTextSize];
  const char* inserts[1] = {conditionText};
  IMessageCatalogText(1, inserts, 1, text, sizeof text);
  E e(text, 1, IException::recoverable);
  logAndThrow(e, IEXC_GROUP_OTHER, location);
}

} // namespace

void raiseParameterCheck(const char* conditionText, const IThrowLocation& location) {
  raiseCheck<IInvalidParameter>(conditionText, location);
}

void raiseStateCheck(const char* conditionText, const IThrowLocation& location) {
  raiseCheck<IInvalidRequest>(conditionText, location);
}

void raiseAssertion(const char* text, const IThrowLocation& location) {
  IAssertionFailure e(text, 0, IException::unrecoverable);
  logAndThrow(e, IEXC_GROUP_OTHER, location);
}

void raiseSystemError(unsigned long errorCode, const char* callName,
                      const IThrowLocation& location, IException::ExceptionType type,
                      IException::Severity severity) {
  char message[iexc::systemTextSize];
  if (!iexc::systemMessageText(errorCode, message, sizeof message))
    std::snprintf(message, sizeof message, "%s", iexc::noErrorText);
  iexc::trimLineEnd(message);
  if (callName && *callName)
    raiseOfType(type, nullptr, errorCode, severity, IEXC_GROUP_SYSTEM, location,
                [&](IException& e) { composeCallText(e, callName, message); });
  raiseOfType(type, message, errorCode, severity, IEXC_GROUP_SYSTEM, location, noComposition);
}

// The collection classes' throwIt: the text from the collection catalog (or the built-in one),
// logged with the caller's place and again with throwIt's own.
namespace {

const char* builtInCollectionText(unsigned long messageNumber) {
  static const char* const texts[] = {
      "child already exists",                // 370
      "collection is empty",                 // 371
      "cursor not contained in collection",  // 372
      "cursor not for given collection",     // 373
      "cursor not for this collection",      // 374
      "identical collection",                // 375
      "invalid cursor",                      // 376
      "invalid position",                    // 377
      "invalid replacement",                 // 378
      "key already exists",                  // 379
      "key not contained",                   // 380
      "collection is unbounded",             // 381
      "out of collection memory",            // 382
      "root already exists",                 // 383
      "cyclic child attachment",             // 384
  };
  if (messageNumber >= 370 && messageNumber <= 384)
    return texts[messageNumber - 370];
  return "unknown exception text";
}

template <class E>
[[noreturn]] void throwPrecondition(unsigned long messageNumber, const char* fileName,
                                    unsigned long lineNumber, const IThrowLocation& self) {
  char text[iexc::catalogTextSize];
  if (!iexc::catalogTextFrom("korbmsgs.msg", messageNumber, nullptr, 0, text, sizeof text))
    std::snprintf(text, sizeof text, "%s", builtInCollectionText(messageNumber));
  E e(text, 0, IException::unrecoverable);
  if (e.textCount() == 0) // the text could not be copied
    e.setText("unknown exception text");
  e.addLocation(IThrowLocation(fileName, nullptr, lineNumber));
  e.writeToLog();
  e.addLocation(self);
  e.writeToLog();
  throw e;
}

} // namespace

#define IPRECONDITION_THROW_IT(child)                                                        \
  void child::throwIt(unsigned long messageNumber, const char* fileName,                     \
                      unsigned long lineNumber) {                                            \
    throwPrecondition<child>(                                                                \
        messageNumber, fileName, lineNumber,                                                 \
        IThrowLocation("iexc", #child "::throwIt(unsigned long,const char*,unsigned long)",  \
                       __LINE__));                                                           \
  }

IPRECONDITION_THROW_IT(IPreconditionViolation)
IPRECONDITION_THROW_IT(IFullException)
IPRECONDITION_THROW_IT(IEmptyException)
IPRECONDITION_THROW_IT(INotEmptyException)
IPRECONDITION_THROW_IT(INotBoundedException)
IPRECONDITION_THROW_IT(ICursorInvalidException)
IPRECONDITION_THROW_IT(IPositionInvalidException)
IPRECONDITION_THROW_IT(INotContainsKeyException)
IPRECONDITION_THROW_IT(IKeyAlreadyExistsException)
IPRECONDITION_THROW_IT(IRootAlreadyExistsException)
IPRECONDITION_THROW_IT(IChildAlreadyExistsException)
IPRECONDITION_THROW_IT(IIdenticalCollectionException)
IPRECONDITION_THROW_IT(IInvalidReplacementException)
IPRECONDITION_THROW_IT(ICyclicAttachException)
