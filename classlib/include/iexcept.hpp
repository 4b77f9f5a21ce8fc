// IException and its class tree, throw locations, the exception logger and the raise operations.
#ifndef IEXCEPT_HPP
#define IEXCEPT_HPP

#include <cstdint>

// Where an exception was created or passed on. The texts are not copied: they are literals of
// the code that makes the record.
class IThrowLocation {
public:
  IThrowLocation(const char* fileName = nullptr, const char* functionName = nullptr,
                 unsigned long lineNumber = 0) noexcept;
  const char* fileName() const noexcept { return fileName_; }
  const char* functionName() const noexcept { return functionName_; }
  unsigned long lineNumber() const noexcept { return lineNumber_; }

private:
  const char* fileName_;
  const char* functionName_;
  std::uint32_t lineNumber_;
};

class IException;

// Receives every exception the library raises, before it is thrown. logException writes the
// record of an exception (where it was thrown, its id, group and texts, oldest first) line by
// line through writeLine and then calls endRecord, which does nothing by default.
class IExceptionLogger {
public:
  virtual ~IExceptionLogger();
  virtual void writeLine(const char* line) = 0;
  virtual IExceptionLogger& logException(const IException& exception);
  virtual void endRecord();
};

class IException {
public:
  enum Severity : std::uint8_t { unrecoverable = 0, recoverable = 1 };

  // Class chosen by the library's raise operations.
  enum ExceptionType {
    accessError = 0, deviceError = 1, invalidParameter = 2, invalidRequest = 3,
    outOfSystemResource = 4, outOfWindowResource = 5, outOfMemory = 6, resourceExhausted = 7
  };

  static const unsigned long maxLocations = 5;

  // A non-null text becomes the only entry of the text stack; null leaves the stack empty.
  IException(const char* text, unsigned long errorId = 0, Severity severity = unrecoverable);
  IException(const IException& other);     // deep-copies the text stack
  IException& operator=(const IException& other);
  virtual ~IException();

  virtual bool isRecoverable() const noexcept;
  // Stores loc after the last one; with five stored the fifth is overwritten.
  virtual IException& addLocation(const IThrowLocation& loc);
  virtual const char* name() const noexcept;
  virtual IException& writeToLog();
  [[noreturn]] virtual void terminate();

  IException& setText(const char* text);    // pushes a new newest text
  IException& appendText(const char* text); // extends the newest text
  // The text index places below the newest (0 is the newest); null past the stack.
  const char* text(unsigned long index = 0) const noexcept;
  unsigned long textCount() const noexcept { return textCount_; }

  unsigned long errorId() const noexcept { return errorId_; }
  IException& setErrorId(unsigned long errorId) noexcept;
  const char* errorCodeGroup() const noexcept { return errorCodeGroup_; }
  IException& setErrorCodeGroup(const char* group) noexcept;
  Severity severity() const noexcept { return severity_; }
  IException& setSeverity(Severity severity) noexcept;
  unsigned long locationCount() const noexcept { return locationCount_; }
  // The location at index (0 is the oldest); null past the stored ones.
  const IThrowLocation* locationAtIndex(unsigned long index) const noexcept;

  // The program's logger, or the default one (records to the standard error stream).
  static IExceptionLogger* logger();
  // Returns the logger in use before; null puts the default logger back.
  static IExceptionLogger* setLogger(IExceptionLogger* logger);

private:
  struct TextNode;
  void clearTexts() noexcept;

  Severity severity_;
  std::uint32_t errorId_;
  IThrowLocation locations_[maxLocations];
  std::uint32_t locationCount_;
  std::uint32_t textCount_;
  TextNode* texts_;                  // newest first
  const char* errorCodeGroup_;       // not owned
};

// Error code groups of the library.
extern const char* const IEXC_GROUP_LIBRARY;      // "Obel Class Library"
extern const char* const IEXC_GROUP_C_LIBRARY;    // "Standard C Library"
extern const char* const IEXC_GROUP_SYSTEM;       // "Operating System"
extern const char* const IEXC_GROUP_PRESENTATION; // "Presentation System"
extern const char* const IEXC_GROUP_OTHER;        // "Other Error Group"

#define IEXCEPTION_SUBCLASS(child, parent)                                                   \
  class child : public parent {                                                            \
  public:                                                                                  \
    child(const char* text, unsigned long errorId = 0,                                     \
          IException::Severity severity = IException::unrecoverable)                       \
        : parent(text, errorId, severity) {}                                               \
    ~child() override;                                                                     \
    const char* name() const noexcept override;                                            \
  }

IEXCEPTION_SUBCLASS(IAccessError, IException);
IEXCEPTION_SUBCLASS(IAssertionFailure, IException);
IEXCEPTION_SUBCLASS(IDeviceError, IException);
IEXCEPTION_SUBCLASS(IInvalidParameter, IException);
IEXCEPTION_SUBCLASS(IInvalidRequest, IException);
IEXCEPTION_SUBCLASS(IResourceExhausted, IException);
IEXCEPTION_SUBCLASS(IOutOfMemory, IResourceExhausted);
IEXCEPTION_SUBCLASS(IOutOfCollectionMemory, IOutOfMemory);
IEXCEPTION_SUBCLASS(IOutOfSystemResource, IResourceExhausted);
IEXCEPTION_SUBCLASS(IOutOfWindowResource, IResourceExhausted);

// Failed preconditions of the library and its collections. Each has throwIt, which builds the
// exception from a catalog message (or a built-in text for 370 to 384), logs it and throws.
#define IPRECONDITION_SUBCLASS(child, parent)                                                \
  class child : public parent {                                                            \
  public:                                                                                  \
    child(const char* text, unsigned long errorId = 0,                                     \
          IException::Severity severity = IException::unrecoverable)                       \
        : parent(text, errorId, severity) {}                                               \
    ~child() override;                                                                     \
    const char* name() const noexcept override;                                            \
    [[noreturn]] static void throwIt(unsigned long messageNumber, const char* fileName,    \
                                     unsigned long lineNumber);                            \
  }

IPRECONDITION_SUBCLASS(IPreconditionViolation, IException);
IPRECONDITION_SUBCLASS(IFullException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IEmptyException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(INotEmptyException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(INotBoundedException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(ICursorInvalidException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IPositionInvalidException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(INotContainsKeyException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IKeyAlreadyExistsException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IRootAlreadyExistsException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IChildAlreadyExistsException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IIdenticalCollectionException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(IInvalidReplacementException, IPreconditionViolation);
IPRECONDITION_SUBCLASS(ICyclicAttachException, IPreconditionViolation);

#undef IEXCEPTION_SUBCLASS
#undef IPRECONDITION_SUBCLASS

// The library's raise operations: each builds the exception, sets its group, adds the caller's
// location, writes it to the log and throws it.

// Text from the message catalog for errorId, insert as its first insert text (may be null).
[[noreturn]] void raiseLibraryError(unsigned long errorId, const IThrowLocation& location,
                                    IException::ExceptionType type = IException::invalidRequest,
                                    IException::Severity severity = IException::recoverable,
                                    const char* insert = nullptr);
// Error id: the thread's last platform error; text: callName ":" "No error text is available."
[[noreturn]] void raiseWindowingError(const char* callName, const IThrowLocation& location,
                                      IException::ExceptionType type = IException::accessError,
                                      IException::Severity severity = IException::recoverable);
// As raiseWindowingError, but not written to the log: for the repeats of a failure whose first
// occurrence was logged and whose count the caller reports.
[[noreturn]] void raiseRepeatedWindowingError(const char* callName, const IThrowLocation& location,
                                              IException::ExceptionType type = IException::accessError,
                                              IException::Severity severity = IException::recoverable);
// Text as given, in the error code group given: a failure that neither a catalog message nor a
// platform call describes (a resource that is missing, a display that cannot be opened).
[[noreturn]] void raiseError(const char* text, unsigned long errorId, const IThrowLocation& location,
                             IException::ExceptionType type = IException::invalidRequest,
                             IException::Severity severity = IException::recoverable,
                             const char* group = IEXC_GROUP_LIBRARY);
[[noreturn]] void raiseParameterCheck(const char* conditionText, const IThrowLocation& location);
[[noreturn]] void raiseStateCheck(const char* conditionText, const IThrowLocation& location);
[[noreturn]] void raiseAssertion(const char* text, const IThrowLocation& location);
// Text: the platform's message for errorCode, after callName and ":" when a call name is given.
[[noreturn]] void raiseSystemError(unsigned long errorCode, const char* callName,
                                   const IThrowLocation& location,
                                   IException::ExceptionType type = IException::accessError,
                                   IException::Severity severity = IException::recoverable);

// The calling thread's last platform error code (GetLastError, errno).
unsigned long ILastErrorCode();
void ISetLastErrorCode(unsigned long code);

// Catalog message messageNumber with up to nine inserts (taken up to the first null; an insert
// the message names but the caller did not give reads as empty), or "Unable to load text from
// message file." when the catalog or the message is missing. The catalog is named by the
// environment variable "TAVRO MSGFILE", else "KORBMSGS.MSG"; the name is read once per process.
// The result is written into buffer (cut to fit, always terminated); false for the fallback.
bool IMessageCatalogText(unsigned long messageNumber, const char* const* inserts,
                         unsigned long insertCount, char* buffer, unsigned long bufferSize);

#endif
