// IException, its class tree, the exception logger, the raise operations and catalog texts.
#include "iexcept.hpp"

#include "iexcept_platform.hpp"
#include "isystem.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <string>

const char* const IEXC_GROUP_LIBRARY = "Obel Class Library";
const char* const IEXC_GROUP_C_LIBRARY = "Standard C Library";
const char* const IEXC_GROUP_SYSTEM = "Operating System";
const char* const IEXC_GROUP_PRESENTATION = "Presentation System";
const char* const IEXC_GROUP_OTHER = "Other Error Group";

namespace iexc {

const char* const catalogFallbackText = "Unable to load text from message file.";
const char* const noErrorText = "No error text is available.";

void trimLineEnd(char* text) noexcept {
  std::size_t n = std::strlen(text);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r'))
    text[--n] = '\0';
}

const char* catalogName() {
  // Fixed for the life of the process: a program that changes the variable later keeps
  // reading the catalog it started with.
  static const std::string name = [] {
    std::string value;
    return ISystem::environmentValue("TAVRO MSGFILE", value) ? value : std::string("KORBMSGS.MSG");
  }();
  return name.c_str();
}

bool catalogTextFrom(const char* name, unsigned long id, const char* const* inserts,
                     unsigned long insertCount, char* buffer, std::size_t size) noexcept {
  const char* nine[maxInserts];
  unsigned long used = 0;
  if (inserts) {
    for (; used < insertCount && used < maxInserts && inserts[used]; ++used)
      nine[used] = inserts[used];
  }
  // An insert the message refers to but the caller did not give reads as an empty text,
  // never as memory behind the caller's list.
  for (unsigned long i = used; i < maxInserts; ++i)
    nine[i] = "";

  char text[catalogTextSize];
  bool found = name && catalogMessage(name, id, nine, text, sizeof text);
  if (!found)
    std::snprintf(text, sizeof text, "%s", catalogFallbackText);
  if (buffer && size > 0)
    std::snprintf(buffer, size, "%s", text);
  return found;
}

} // namespace iexc

bool IMessageCatalogText(unsigned long messageNumber, const char* const* inserts,
                         unsigned long insertCount, char* buffer, unsigned long bufferSize) {
  return iexc::catalogTextFrom(iexc::catalogName(), messageNumber, inserts, insertCount, buffer,
                               bufferSize);
}

unsigned long ILastErrorCode() { return iexc::lastErrorCode(); }
void ISetLastErrorCode(unsigned long code) { iexc::setLastErrorCode(code); }

// ---------------------------------------------------------------------------------------
// IThrowLocation

IThrowLocation::IThrowLocation(const char* fileName, const char* functionName,
                               unsigned long lineNumber) noexcept
    : fileName_(fileName), functionName_(functionName),
      lineNumber_(static_cast<std::uint32_t>(lineNumber)) {}

// ---------------------------------------------------------------------------------------
// IException: the text stack is a singly linked list, newest first. Allocation failures
// leave a text out instead of failing, so an exception can always be made and thrown.

struct IException::TextNode {
  TextNode* next;
  char* text;
};

namespace {

char* copyText(const char* text, std::size_t extra = 0) noexcept {
  std::size_t n = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(n + extra + 1));
  if (copy)
    std::memcpy(copy, text, n + 1);
  return copy;
}

} // namespace

IException::IException(const char* text, unsigned long errorId, Severity severity)
    : severity_(severity), errorId_(static_cast<std::uint32_t>(errorId)), locationCount_(0),
      textCount_(0), texts_(nullptr), errorCodeGroup_(IEXC_GROUP_LIBRARY) {
  setText(text);
}

IException::IException(const IException& other)
    : severity_(other.severity_), errorId_(other.errorId_), locationCount_(other.locationCount_),
      textCount_(0), texts_(nullptr), errorCodeGroup_(other.errorCodeGroup_) {
  for (unsigned long i = 0; i < maxLocations; ++i)
    locations_[i] = other.locations_[i];
  // Copy in list order, appending at the tail, so the copy keeps newest first.
  TextNode** tail = &texts_;
  for (const TextNode* node = other.texts_; node; node = node->next) {
    TextNode* copy = new (std::nothrow) TextNode{nullptr, copyText(node->text)};
    if (copy && !copy->text) {
      delete copy;
      copy = nullptr;
    }
    if (!copy)
      continue;
    *tail = copy;
    tail = &copy->next;
    ++textCount_;
  }
}

IException& IException::operator=(const IException& other) {
  if (this == &other)
    return *this;
  IException copy(other);
  clearTexts();
  severity_ = copy.severity_;
  errorId_ = copy.errorId_;
  for (unsigned long i = 0; i < maxLocations; ++i)
    locations_[i] = copy.locations_[i];
  locationCount_ = copy.locationCount_;
  errorCodeGroup_ = copy.errorCodeGroup_;
  texts_ = copy.texts_;
  textCount_ = copy.textCount_;
  copy.texts_ = nullptr;
  copy.textCount_ = 0;
  return *this;
}

IException::~IException() { clearTexts(); }

void IException::clearTexts() noexcept {
  while (texts_) {
    TextNode* next = texts_->next;
    std::free(texts_->text);
    delete texts_;
    texts_ = next;
  }
  textCount_ = 0;
}

bool IException::isRecoverable() const noexcept { return severity_ != unrecoverable; }

IException& IException::addLocation(const IThrowLocation& loc) {
  // The first four places keep where the exception began; the last one follows it.
  if (locationCount_ < maxLocations)
    locations_[locationCount_++] = loc;
  else
    locations_[maxLocations - 1] = loc;
  return *this;
}

const char* IException::name() const noexcept { return "IException"; }

IException& IException::writeToLog() {
  logger()->logException(*this);
  return *this;
}

void IException::terminate() {
  if (std::terminate_handler handler = std::get_terminate())
    handler();
  std::abort();
}

IException& IException::setText(const char* text) {
  if (!text)
    return *this;
  char* copy = copyText(text);
  if (!copy)
    return *this;
  TextNode* node = new (std::nothrow) TextNode{texts_, copy};
  if (!node) {
    std::free(copy);
    return *this;
  }
  texts_ = node;
  ++textCount_;
  return *this;
}

IException& IException::appendText(const char* text) {
  if (!text)
    return *this;
  if (!texts_)
    return setText(text);
  std::size_t have = std::strlen(texts_->text);
  std::size_t add = std::strlen(text);
  char* grown = static_cast<char*>(std::realloc(texts_->text, have + add + 1));
  if (!grown)
    return *this;
  std::memcpy(grown + have, text, add + 1);
  texts_->text = grown;
  return *this;
}

const char* IException::text(unsigned long index) const noexcept {
  const TextNode* node = texts_;
  for (unsigned long i = 0; node && i < index; ++i)
    node = node->next;
  return node ? node->text : nullptr;
}

IException& IException::setErrorId(unsigned long errorId) noexcept {
  errorId_ = static_cast<std::uint32_t>(errorId);
  return *this;
}

IException& IException::setErrorCodeGroup(const char* group) noexcept {
  errorCodeGroup_ = group;
  return *this;
}

IException& IException::setSeverity(Severity severity) noexcept {
  severity_ = severity;
  return *this;
}

const IThrowLocation* IException::locationAtIndex(unsigned long index) const noexcept {
  return index < locationCount_ ? &locations_[index] : nullptr;
}

// ---------------------------------------------------------------------------------------
// The logger

namespace {

// Prints every line to the standard error stream.
class IDefaultExceptionLogger : public IExceptionLogger {
public:
  void writeLine(const char* line) override {
    std::fprintf(stderr, "%s\n", line);
    std::fflush(stderr);
  }
};

IExceptionLogger* programLogger = nullptr;

IExceptionLogger& defaultLogger() {
  static IDefaultExceptionLogger instance;
  return instance;
}

const char* orUnknown(const char* text) { return text ? text : "Unknown"; }

// Formats one record line into buffer (with room for it) or, without a buffer, prints it
// straight to the standard error stream with a line end.
template <typename... Args>
void recordLine(IExceptionLogger& logger, char* buffer, std::size_t size, const char* format,
                Args... args) {
  if (buffer) {
    std::snprintf(buffer, size, format, args...);
    logger.writeLine(buffer);
  } else {
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
  }
}

} // namespace

IExceptionLogger::~IExceptionLogger() = default;

void IExceptionLogger::endRecord() {}

IExceptionLogger& IExceptionLogger::logException(const IException& e) {
  static const char* const locationFormat =
      "%s exception thrown.\n   function: %s\n   file: %s\n   line: %lu";
  const IThrowLocation* where =
      e.locationCount() ? e.locationAtIndex(e.locationCount() - 1) : nullptr;

  // The line buffer holds the longest line of the record: at least 200 bytes.
  std::size_t size = 200;
  if (where) {
    int need = std::snprintf(nullptr, 0, locationFormat, e.name(), orUnknown(where->functionName()),
                             orUnknown(where->fileName()), where->lineNumber());
    if (need > 0 && static_cast<std::size_t>(need) + 1 > size)
      size = static_cast<std::size_t>(need) + 1;
  }
  for (unsigned long i = 0; i < e.textCount(); ++i) {
    const char* t = e.text(i);
    std::size_t need = (t ? std::strlen(t) : 0) + 6 + 1; // indent and terminator
    if (need > size)
      size = need;
  }
  char* buffer = static_cast<char*>(std::malloc(size));

  if (where)
    recordLine(*this, buffer, size, locationFormat, e.name(), orUnknown(where->functionName()),
               orUnknown(where->fileName()), where->lineNumber());
  else
    recordLine(*this, buffer, size, "\n%s exception thrown.\n   Location information is unavailable.",
               e.name());

  if (e.errorId())
    recordLine(*this, buffer, size, "   Error Id is %lu", e.errorId());
  else
    recordLine(*this, buffer, size, "%s", "   Error Id is unavailable.");

  if (e.errorCodeGroup())
    recordLine(*this, buffer, size, "   Error Code group is %s", e.errorCodeGroup());
  else
    recordLine(*this, buffer, size, "%s", "    Error Code group is unavailable.");

  if (e.textCount()) {
    recordLine(*this, buffer, size, "%s", "   Exception text is:");
    for (unsigned long i = e.textCount(); i-- > 0;)
      recordLine(*this, buffer, size, "      %s", e.text(i) ? e.text(i) : "");
  } else {
    recordLine(*this, buffer, size, "%s", "   Exception text is unavailable.");
  }

  std::free(buffer);
  endRecord();
  return *this;
}

IExceptionLogger* IException::logger() { return programLogger ? programLogger : &defaultLogger(); }

IExceptionLogger* IException::setLogger(IExceptionLogger* newLogger) {
  IExceptionLogger* previous = logger();
  programLogger = newLogger;
  return previous;
}

// ---------------------------------------------------------------------------------------
// The class tree

#define IEXCEPTION_CLASS_BODY(child)                                                         \
  child::~child() = default;                                                                 \
  const char* child::name() const noexcept { return #child; }

IEXCEPTION_CLASS_BODY(IAccessError)
IEXCEPTION_CLASS_BODY(IAssertionFailure)
IEXCEPTION_CLASS_BODY(IDeviceError)
IEXCEPTION_CLASS_BODY(IInvalidParameter)
IEXCEPTION_CLASS_BODY(IInvalidRequest)
IEXCEPTION_CLASS_BODY(IResourceExhausted)
IEXCEPTION_CLASS_BODY(IOutOfMemory)
IEXCEPTION_CLASS_BODY(IOutOfCollectionMemory)
IEXCEPTION_CLASS_BODY(IOutOfSystemResource)
IEXCEPTION_CLASS_BODY(IOutOfWindowResource)

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

#define IPRECONDITION_CLASS_BODY(child)                                                      \
  IEXCEPTION_CLASS_BODY(child)                                                               \
  void child::throwIt(unsigned long messageNumber, const char* fileName,                     \
                      unsigned long lineNumber) {                                            \
    throwPrecondition<child>(                                                                \
        messageNumber, fileName, lineNumber,                                                 \
        IThrowLocation("iexc", #child "::throwIt(unsigned long,const char*,unsigned long)",  \
                       __LINE__));                                                           \
  }

IPRECONDITION_CLASS_BODY(IPreconditionViolation)
IPRECONDITION_CLASS_BODY(IFullException)
IPRECONDITION_CLASS_BODY(IEmptyException)
IPRECONDITION_CLASS_BODY(INotEmptyException)
IPRECONDITION_CLASS_BODY(INotBoundedException)
IPRECONDITION_CLASS_BODY(ICursorInvalidException)
IPRECONDITION_CLASS_BODY(IPositionInvalidException)
IPRECONDITION_CLASS_BODY(INotContainsKeyException)
IPRECONDITION_CLASS_BODY(IKeyAlreadyExistsException)
IPRECONDITION_CLASS_BODY(IRootAlreadyExistsException)
IPRECONDITION_CLASS_BODY(IChildAlreadyExistsException)
IPRECONDITION_CLASS_BODY(IIdenticalCollectionException)
IPRECONDITION_CLASS_BODY(IInvalidReplacementException)
IPRECONDITION_CLASS_BODY(ICyclicAttachException)

// ---------------------------------------------------------------------------------------
// The raise operations

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
