// IPrivateResource on Windows: a critical section (recursive by nature).
#include "ireslock.hpp"

#include <windows.h>

IPrivateResource::IPrivateResource() : lock_(new CRITICAL_SECTION) {
  ::InitializeCriticalSection(static_cast<CRITICAL_SECTION*>(lock_));
}

IPrivateResource::~IPrivateResource() {
  auto* section = static_cast<CRITICAL_SECTION*>(lock_);
  ::DeleteCriticalSection(section);
  delete section;
}

IPrivateResource& IPrivateResource::lock() {
  ::EnterCriticalSection(static_cast<CRITICAL_SECTION*>(lock_));
  return *this;
}

IPrivateResource& IPrivateResource::unlock() {
  ::LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(lock_));
  return *this;
}
