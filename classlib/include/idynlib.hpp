// IDynamicLinkLibrary: shared libraries bound by file name, with shared, counted module records.
#ifndef IDYNLIB_HPP
#define IDYNLIB_HPP

#include <cstdint>

#include "istring.hpp"

// A process-wide record of one module name: its platform handle and its use count.
class IDLLModule {
public:
  typedef void* Handle;
  explicit IDLLModule(const char* name);
  const IString& name() const noexcept { return name_; }
  Handle handle() const noexcept { return handle_; }
  unsigned long useCount() const noexcept { return useCount_; }
  // Loads the module at the first reference; returns the new use count.
  unsigned long addRef();
  // Releases the module at the last reference; returns the new use count.
  unsigned long removeRef();

private:
  IString name_;
  Handle handle_;
  std::uint32_t useCount_;
};

class IDynamicLinkLibrary {
public:
  typedef void (*ProcAddress)();

  explicit IDynamicLinkLibrary(const char* fileName); // loads the library; null: no module
  IDynamicLinkLibrary(const IDynamicLinkLibrary& other);
  IDynamicLinkLibrary& operator=(const IDynamicLinkLibrary&) = delete;
  virtual ~IDynamicLinkLibrary();

  virtual IString fileName() const;
  virtual bool isLoaded() const;
  virtual IDLLModule::Handle handle() const;
  virtual IDynamicLinkLibrary& load();
  virtual IDynamicLinkLibrary& unload();

  ProcAddress procAddress(const char* name) const;
  ProcAddress procAddress(unsigned long ordinal) const;

  // How many records the process-wide registry holds (for tests and diagnostics).
  static unsigned long registeredModules();
  const IDLLModule* module() const noexcept { return module_; }

private:
  IDLLModule* module_;
};

#endif
