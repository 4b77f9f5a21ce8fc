// The platform side of IDynamicLinkLibrary: loading, releasing and looking into modules.
#ifndef IDYNLIB_PLATFORM_HPP
#define IDYNLIB_PLATFORM_HPP

#include "idynlib.hpp"

// Each hook leaves the thread's last error code (ILastErrorCode) set to the platform's reason
// when it fails, or to 0 when the platform gives none.
namespace idynlib_platform {

// Loads the module name as the platform's loader does; null on failure.
IDLLModule::Handle load(const char* name);
// Releases one load of handle; false on failure.
bool release(IDLLModule::Handle handle);
// Whether a failed release is reported (the Windows consumer line from 4.10 on does not).
bool reportsFailedRelease();
// The module's own export of that name or ordinal; null when there is none. A null handle
// stands for the program itself.
IDynamicLinkLibrary::ProcAddress procAddress(IDLLModule::Handle handle, const char* name);
IDynamicLinkLibrary::ProcAddress procAddress(IDLLModule::Handle handle, unsigned short ordinal);
// The module's full path (a null handle: the program's); false on failure.
bool fileName(IDLLModule::Handle handle, IString& path);
// The full path of the module whose code holds address; false when there is none.
bool fileNameOf(IDynamicLinkLibrary::ProcAddress address, IString& path);

} // namespace idynlib_platform

#endif
