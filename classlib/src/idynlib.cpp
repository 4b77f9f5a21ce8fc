// IDLLModule and IDynamicLinkLibrary: the process-wide module registry and its counted records.
#include "idynlib.hpp"

#include <algorithm>
#include <memory>
#include <vector>

#include "idynlib_platform.hpp"
#include "iexcept.hpp"
#include "ireslock.hpp"

namespace {

// The library's published locations for the errors of its modules: the source name and line
// numbers that its exception records have always carried and that logs and callers rely on.
// They are the library's numbering, not lines of this file: keep them as they are.
const char* const kSourceFile = "ireslib1";
const unsigned long kLoadLine = 660;        // IDLLModule::addRef()
const unsigned long kReleaseLine = 720;     // IDLLModule::removeRef()
const unsigned long kFileNameLine = 375;    // IDynamicLinkLibrary::fileName() const
const unsigned long kProcByNameLine = 495;  // IDynamicLinkLibrary::procAddress(const char*) const
const unsigned long kProcByOrdinalLine = 535; // ... procAddress(unsigned long) const

// Every record in use, guarded by the process-wide resource lock. Never destroyed: objects with
// static storage may release their modules after any static registry would be gone.
std::vector<IDLLModule*>& registry() {
  static std::vector<IDLLModule*>* const modules = new std::vector<IDLLModule*>;
  return *modules;
}

// Raises the windowing error for callName with the error code the failed call left.
[[noreturn]] void raiseFailedCall(const IString& callName, unsigned long errorCode,
                                  const IThrowLocation& location) {
  ISetLastErrorCode(errorCode);
  raiseWindowingError(callName, location, IException::accessError, IException::recoverable);
}

} // namespace

// --- IDLLModule ------------------------------------------------------------------------------

IDLLModule::IDLLModule(const char* name)
    : name_(name), handle_(nullptr), useCount_(0), sharers_(0) {}

unsigned long IDLLModule::addRef() {
  if (useCount_ == 0) {
    ISetLastErrorCode(0);
    Handle loaded = idynlib_platform::load(name_);
    // A load that gives no handle fails even when the platform names no reason: counting it
    // would report a module as referenced that is not loaded.
    if (!loaded) {
      unsigned long code = ILastErrorCode();
      raiseFailedCall("LoadLibrary : " + name_, code,
                      IThrowLocation(kSourceFile, "IDLLModule::addRef()", kLoadLine));
    }
    handle_ = loaded;
  }
  return ++useCount_;
}

unsigned long IDLLModule::removeRef() {
  // Without a reference there is nothing to drop; counting below 0 would wrap round and keep
  // the module loaded for good.
  if (useCount_ == 0)
    return 0;
  if (--useCount_ > 0)
    return useCount_;
  Handle released = handle_;
  handle_ = nullptr;
  if (!idynlib_platform::release(released) && idynlib_platform::reportsFailedRelease()) {
    unsigned long code = ILastErrorCode();
    raiseFailedCall("FreeLibrary : " + name_, code,
                    IThrowLocation(kSourceFile, "IDLLModule::removeRef()", kReleaseLine));
  }
  return 0;
}

// --- IDynamicLinkLibrary ---------------------------------------------------------------------

IDynamicLinkLibrary::IDynamicLinkLibrary(const char* fileName) : module_(nullptr) {
  if (!fileName)
    return;
  IResourceLock guard(IPrivateResource::processResource());
  std::unique_ptr<IDLLModule> fresh(new IDLLModule(fileName));
  std::vector<IDLLModule*>& modules = registry();
  auto found = std::find_if(modules.begin(), modules.end(), [&fresh](const IDLLModule* m) {
    return m->name() == fresh->name();
  });
  if (found != modules.end()) {
    module_ = *found;
  } else {
    modules.push_back(fresh.get());
    module_ = fresh.release();
  }
  // A failed load leaves the record in the registry with count 0, for the next object to retry.
  load();
  ++module_->sharers_;
}

IDynamicLinkLibrary::IDynamicLinkLibrary(const IDynamicLinkLibrary& other)
    : module_(other.module_) {
  if (!module_)
    return;
  IResourceLock guard(IPrivateResource::processResource());
  module_->addRef();
  ++module_->sharers_;
}

IDynamicLinkLibrary::~IDynamicLinkLibrary() {
  if (!module_)
    return;
  // The registry is shared with constructors on other threads, so its removal takes the lock.
  IResourceLock guard(IPrivateResource::processResource());
  --module_->sharers_;
  if (module_->handle()) {
    try {
      unload();
    } catch (const IException&) {
      // Already written to the log; a destructor must not throw, and the record goes anyway.
    }
  }
  // A record that another object still points to stays, even at count 0 (after an unbalanced
  // unload()), so that object never refers to a deleted record.
  if (module_->useCount() == 0 && module_->sharers_ == 0) {
    std::vector<IDLLModule*>& modules = registry();
    modules.erase(std::remove(modules.begin(), modules.end(), module_), modules.end());
    delete module_;
  }
}

IString IDynamicLinkLibrary::fileName() const {
  IString path;
  if (!idynlib_platform::fileName(handle(), path)) {
    unsigned long code = ILastErrorCode();
    raiseFailedCall("GetModuleFileName", code,
                    IThrowLocation(kSourceFile, "IDynamicLinkLibrary::fileName() const", kFileNameLine));
  }
  return path;
}

IString IDynamicLinkLibrary::fileNameOf(ProcAddress address) {
  IString path;
  return address && idynlib_platform::fileNameOf(address, path) ? path : IString();
}

bool IDynamicLinkLibrary::isLoaded() const { return module_ && module_->handle(); }

IDLLModule::Handle IDynamicLinkLibrary::handle() const {
  return module_ ? module_->handle() : nullptr;
}

IDynamicLinkLibrary& IDynamicLinkLibrary::load() {
  if (module_) {
    IResourceLock guard(IPrivateResource::processResource());
    module_->addRef();
  }
  return *this;
}

IDynamicLinkLibrary& IDynamicLinkLibrary::unload() {
  if (module_) {
    IResourceLock guard(IPrivateResource::processResource());
    module_->removeRef();
  }
  return *this;
}

IDynamicLinkLibrary::ProcAddress IDynamicLinkLibrary::procAddress(const char* name) const {
  ISetLastErrorCode(0);
  ProcAddress address = name ? idynlib_platform::procAddress(handle(), name) : nullptr;
  if (!address) {
    unsigned long code = ILastErrorCode();
    raiseFailedCall(IString("GetProcAddress: ") + IString(name), code,
                    IThrowLocation(kSourceFile,
                                   "IDynamicLinkLibrary::procAddress(const char*) const", kProcByNameLine));
  }
  return address;
}

IDynamicLinkLibrary::ProcAddress IDynamicLinkLibrary::procAddress(unsigned long ordinal) const {
  // Only the low 16 bits are an ordinal: the upper ones tell a name from an ordinal in the
  // platform's call.
  unsigned short low = static_cast<unsigned short>(ordinal & 0xFFFFu);
  ISetLastErrorCode(0);
  ProcAddress address = idynlib_platform::procAddress(handle(), low);
  if (!address) {
    unsigned long code = ILastErrorCode();
    raiseFailedCall("GetProcAddress #: " + IString(static_cast<unsigned long>(low)), code,
                    IThrowLocation(kSourceFile,
                                   "IDynamicLinkLibrary::procAddress(unsigned long) const", kProcByOrdinalLine));
  }
  return address;
}

unsigned long IDynamicLinkLibrary::registeredModules() {
  IResourceLock guard(IPrivateResource::processResource());
  return static_cast<unsigned long>(registry().size());
}
