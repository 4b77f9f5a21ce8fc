// The exception logger: the record every raised exception leaves, and the default logger that
// prints it to the standard error stream.
#include "iexcept.hpp"
#include "iprocess.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Prints every line to the standard error stream.
class IDefaultExceptionLogger : public IExceptionLogger {
public:
  void writeLine(const char* line) override {
    IProcess::writeStandardError(line);
    IProcess::writeStandardError("\n");
  }
};

IExceptionLogger* programLogger = nullptr;

IExceptionLogger& defaultLogger() {
  static IDefaultExceptionLogger instance;
  return instance;
}

const char* orUnknown(const char* text) { return text ? text : "Unknown"; }

// Formats one record line into buffer (with room for it) or, without a buffer (no memory for
// one), writes as much of it as a line of the stack holds straight to the standard error stream.
template <typename... Args>
void recordLine(IExceptionLogger& logger, char* buffer, std::size_t size, const char* format,
                Args... args) {
  if (buffer) {
    std::snprintf(buffer, size, format, args...);
    logger.writeLine(buffer);
  } else {
    char line[512];
    std::snprintf(line, sizeof line, format, args...);
    IProcess::writeStandardError(line);
    IProcess::writeStandardError("\n");
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

IException& IException::writeToLog() {
  logger()->logException(*this);
  return *this;
}

IExceptionLogger* IException::logger() { return programLogger ? programLogger : &defaultLogger(); }

IExceptionLogger* IException::setLogger(IExceptionLogger* newLogger) {
  IExceptionLogger* previous = logger();
  programLogger = newLogger;
  return previous;
}
