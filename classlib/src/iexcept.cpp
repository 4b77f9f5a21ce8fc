// IException and its class tree: texts, locations, severity and group; and throw locations.
#include "iexcept.hpp"

#include "iexcept_platform.hpp"

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

IEXCEPTION_CLASS_BODY(IPreconditionViolation)
IEXCEPTION_CLASS_BODY(IFullException)
IEXCEPTION_CLASS_BODY(IEmptyException)
IEXCEPTION_CLASS_BODY(INotEmptyException)
IEXCEPTION_CLASS_BODY(INotBoundedException)
IEXCEPTION_CLASS_BODY(ICursorInvalidException)
IEXCEPTION_CLASS_BODY(IPositionInvalidException)
IEXCEPTION_CLASS_BODY(INotContainsKeyException)
IEXCEPTION_CLASS_BODY(IKeyAlreadyExistsException)
IEXCEPTION_CLASS_BODY(IRootAlreadyExistsException)
IEXCEPTION_CLASS_BODY(IChildAlreadyExistsException)
IEXCEPTION_CLASS_BODY(IIdenticalCollectionException)
IEXCEPTION_CLASS_BODY(IInvalidReplacementException)
IEXCEPTION_CLASS_BODY(ICyclicAttachException)
