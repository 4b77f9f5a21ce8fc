// IResourceTable: the program's resources as compiled-in tables, where the platform has no
// resource section (POSIX).
#ifndef IRESOURCETABLE_HPP
#define IRESOURCETABLE_HPP

#include <cstddef>

// One resource: its type and id, and its data as the resource compiler would store it:
// a string as its text (no terminator), a bitmap as a .bmp file, an icon group as a .ico file,
// an accelerator table as IAcceleratorEntry records.
struct IResourceEntry {
  enum Type { string = 6, bitmap = 2, iconGroup = 14, acceleratorTable = 9 };
  Type type;
  unsigned long id;
  const unsigned char* data;
  std::size_t size;
};

// One accelerator: a key (a character code unless virtualKey is set) and its command id.
struct IAcceleratorEntry {
  enum Flags : unsigned short { virtualKey = 0x01, shift = 0x04, control = 0x08, alt = 0x10, last = 0x80 };
  unsigned short flags;
  unsigned short key;
  unsigned short command;
};

// Made once by the program (a static object of its generated resource source): hands the
// entries to IResourceLibrary. The entries must live as long as the process.
class IResourceTable {
public:
  IResourceTable(const IResourceEntry* entries, std::size_t count);
};

#endif
