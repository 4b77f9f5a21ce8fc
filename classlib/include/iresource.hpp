// IResourceLibrary: the program's resources (strings, bitmaps, icons, accelerator tables).
#ifndef IRESOURCE_HPP
#define IRESOURCE_HPP

#include "ihandle.hpp"
#include "igeometry.hpp"
#include "istring.hpp"

// The resources compiled into the program: its resource section on Windows, the tables of
// IResourceTable on POSIX. Loaded resources live as long as the process. A resource that is
// missing raises an IException naming the call and the resource id.
class IResourceLibrary {
public:
  // The program's own resources.
  IResourceLibrary() = default;

  IString loadString(unsigned long id) const;
  IBitmapHandle loadBitmap(unsigned long id) const;
  // The icon; systemSize: at the size the system shows icons and mouse pointers (32 x 32 on
  // most displays), else at the size of its first image.
  IPointerHandle loadIcon(unsigned long id, bool systemSize = true) const;
  IAccelTblHandle loadAccelTable(unsigned long id) const;

  // The size of a bitmap that this library loaded.
  static ISize bitmapSize(const IBitmapHandle& bitmap);
};

#endif
