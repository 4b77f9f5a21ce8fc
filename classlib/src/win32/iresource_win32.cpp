// IResourceLibrary on Windows: the program's own resource section (strings, bitmaps, icons,
// accelerator tables) through user32.
#include "iresource.hpp"

#include <windows.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "iexcept.hpp"

namespace {

// The program's resources, also when the library runs inside lanyard.dll.
HMODULE program() { return GetModuleHandleA(nullptr); }

// A resource that cannot be loaded: the call, the resource id and the platform's reason.
[[noreturn]] void raiseMissing(const char* call, unsigned long id, const char* function,
                               unsigned long line) {
  DWORD code = GetLastError();
  // LoadString reports an absent string of a table that exists with no error of its own.
  if (code == ERROR_SUCCESS)
    code = ERROR_RESOURCE_NAME_NOT_FOUND;
  char callText[64];
  std::snprintf(callText, sizeof callText, "%s(%lu)", call, id);
  raiseSystemError(code, callText, IThrowLocation("iresource", function, line),
                   IException::invalidRequest);
}

LPCSTR resourceName(unsigned long id) { return MAKEINTRESOURCEA(static_cast<WORD>(id)); }

// Pictures are loaded once per id and kept for the life of the process, so that windows made
// again and again from the same resource do not collect GDI objects.
template <class Key, class Handle>
struct Loaded {
  std::mutex lock;
  std::map<Key, Handle> handles;
};

} // namespace

IString IResourceLibrary::loadString(unsigned long id) const {
  // A string resource holds at most 65,535 UTF-16 units: the buffer grows until it fits.
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    int got = LoadStringA(program(), static_cast<UINT>(id), buffer.data(), static_cast<int>(buffer.size()));
    if (got <= 0)
      raiseMissing("LoadStringA", id, "IResourceLibrary::loadString(unsigned long) const", __LINE__);
    if (static_cast<std::size_t>(got) < buffer.size() - 1 || buffer.size() >= (1u << 18))
      return IString(buffer.data(), static_cast<unsigned long>(got));
    buffer.resize(buffer.size() * 4);
  }
}

IBitmapHandle IResourceLibrary::loadBitmap(unsigned long id) const {
  static Loaded<unsigned long, HBITMAP> bitmaps;
  std::lock_guard<std::mutex> guard(bitmaps.lock);
  HBITMAP& bitmap = bitmaps.handles[id];
  if (bitmap == nullptr) {
    // A DIB section keeps the picture's own pixels, whatever the display's depth.
    bitmap = static_cast<HBITMAP>(LoadImageA(program(), resourceName(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) {
      bitmaps.handles.erase(id);
      raiseMissing("LoadImageA", id, "IResourceLibrary::loadBitmap(unsigned long) const", __LINE__);
    }
  }
  return IBitmapHandle(reinterpret_cast<IBitmapHandle::Value>(bitmap));
}

IPointerHandle IResourceLibrary::loadIcon(unsigned long id, bool systemSize) const {
  static Loaded<std::pair<unsigned long, bool>, HICON> icons;
  std::lock_guard<std::mutex> guard(icons.lock);
  HICON& icon = icons.handles[std::make_pair(id, systemSize)];
  if (icon == nullptr) {
    // LR_DEFAULTSIZE: the system's icon size (SM_CXICON), which is also the size of a pointer;
    // without it the size of the resource's image.
    icon = static_cast<HICON>(LoadImageA(program(), resourceName(id), IMAGE_ICON, 0, 0,
                                         systemSize ? LR_DEFAULTSIZE : 0));
    if (icon == nullptr) {
      icons.handles.erase(std::make_pair(id, systemSize));
      raiseMissing("LoadImageA", id, "IResourceLibrary::loadIcon(unsigned long,bool) const", __LINE__);
    }
  }
  return IPointerHandle(reinterpret_cast<IPointerHandle::Value>(icon));
}

IAccelTblHandle IResourceLibrary::loadAccelTable(unsigned long id) const {
  // A table loaded from the resources is freed by the system with the module.
  HACCEL table = LoadAcceleratorsA(program(), resourceName(id));
  if (table == nullptr)
    raiseMissing("LoadAcceleratorsA", id, "IResourceLibrary::loadAccelTable(unsigned long) const", __LINE__);
  return IAccelTblHandle(reinterpret_cast<IAccelTblHandle::Value>(table));
}

ISize IResourceLibrary::bitmapSize(const IBitmapHandle& bitmap) {
  BITMAP info;
  if (!bitmap.isValid() || GetObjectA(reinterpret_cast<HBITMAP>(bitmap.asUnsigned()), sizeof info, &info) == 0)
    return ISize();
  return ISize(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight);
}
