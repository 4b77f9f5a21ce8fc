// The message catalog's texts: the catalog the program names, messages with their inserts, and
// the texts the library falls back on.
#include "iexcept.hpp"

#include "iexcept_platform.hpp"
#include "isystem.hpp"

#include <cstdio>
#include <cstring>
#include <string>

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
