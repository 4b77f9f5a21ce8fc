// IDynamicLinkLibrary: shared libraries bound by file name, with shared, counted module records.
#ifndef IDYNLIB_HPP
#define IDYNLIB_HPP

#include <cstdint>

#include "istring.hpp"

// A process-wide record of one module name: its platform handle and its use count. Records are
// made, shared and deleted by IDynamicLinkLibrary under the process-wide resource lock.
//
// Names are resolved as the platform's loader does on Windows (LoadLibraryA). On POSIX a name
// whose last component has no extension is completed to "lib<name>.so" ("lanyard" becomes
// "liblanyard.so"; a trailing '.' means "no extension": "lanyard." stays "lanyard"). A name
// without a directory part is then looked for: among the libraries the process has loaded
// already, in the program's own directory, in the absolute entries of PATH as it is at that
// moment, and last in the system's library directories. A name that does not exist as written
// is matched without regard to case, as on Windows. The library's own dependencies that are not
// loaded yet are found along the same search (not through an RPATH or LD_LIBRARY_PATH), and
// released with it.
//
// On every platform the current directory is never searched: not itself, and (on POSIX) not
// through an empty or relative entry of PATH. Windows takes it out of the process's search
// before the first load. On POSIX a file that users other than its owner and root may change
// (write it, or replace it in a folder without sticky bit that they may write) is not loaded:
// the search passes over it, and a full path naming it fails to load.
class IDLLModule {
public:
  typedef void* Handle;
  explicit IDLLModule(const char* name);
  IDLLModule(const IDLLModule&) = delete;
  IDLLModule& operator=(const IDLLModule&) = delete;

  const IString& name() const noexcept { return name_; }
  Handle handle() const noexcept { return handle_; }
  unsigned long useCount() const noexcept { return useCount_; }
  // Loads the module at the first reference; returns the new use count. A failed load raises
  // IAccessError ("LoadLibrary : " and the name) and leaves the count unchanged.
  unsigned long addRef();
  // Releases the module at the last reference; returns the new use count. Without a reference
  // to drop it does nothing and returns 0.
  unsigned long removeRef();

private:
  friend class IDynamicLinkLibrary;
  IString name_;
  Handle handle_;
  std::uint32_t useCount_;
  std::uint32_t sharers_; // IDynamicLinkLibrary objects that point to this record
};

class IDynamicLinkLibrary {
public:
  typedef void (*ProcAddress)();

  // Finds or enters the record for fileName (byte for byte: case and extension matter) and
  // loads the library. A failed load raises IAccessError; the record stays for a later retry.
  // A null fileName makes an object without module that loads nothing.
  explicit IDynamicLinkLibrary(const char* fileName);
  // Shares the other object's record and takes a reference on it.
  IDynamicLinkLibrary(const IDynamicLinkLibrary& other);
  IDynamicLinkLibrary& operator=(const IDynamicLinkLibrary&) = delete;
  // Drops this object's reference when the module is loaded; the last object of a record whose
  // count is 0 takes the record out of the registry.
  virtual ~IDynamicLinkLibrary();

  // The module's full path; without a module, the program's own path.
  virtual IString fileName() const;
  virtual bool isLoaded() const;
  virtual IDLLModule::Handle handle() const;
  virtual IDynamicLinkLibrary& load();   // one more reference (loads at the first)
  virtual IDynamicLinkLibrary& unload(); // one reference less (releases at the last)

  // The entry point exported by the module under name; IAccessError ("GetProcAddress: " and the
  // name) when there is none. Only the module's own exports count, not those of the libraries
  // it depends on. Without a module, the program's own exports are searched.
  ProcAddress procAddress(const char* name) const;
  // The entry point with the ordinal's low 16 bits as its ordinal; IAccessError
  // ("GetProcAddress #: " and that ordinal in decimal) when there is none. ELF has no ordinals:
  // on POSIX every ordinal raises that error.
  ProcAddress procAddress(unsigned long ordinal) const;

  // The full path of the module (a library, or the program) whose code holds address, however
  // it came to be loaded; empty when no module does. Raises nothing.
  static IString fileNameOf(ProcAddress address);

  // How many records the process-wide registry holds (for tests and diagnostics).
  static unsigned long registeredModules();
  const IDLLModule* module() const noexcept { return module_; }

private:
  IDLLModule* module_;
};

#endif
