// The resource library on POSIX: the program's compiled-in tables, with bitmaps, icons and
// accelerator tables decoded once and kept for the life of the process.
#include "iresource.hpp"

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "iexcept.hpp"
#include "iimage.hpp"
#include "iresourcetable_private.hpp"

namespace {

// The size the desktop shows icons and mouse pointers at.
const long systemIconSize = 32;

struct Cache {
  std::mutex lock;
  std::map<std::pair<int, unsigned long>, std::unique_ptr<IImage>> images;
  std::map<unsigned long, std::unique_ptr<IAcceleratorTable>> accelerators;
};

Cache& cache() {
  static Cache* instance = new Cache; // never destroyed: handles outlive static objects
  return *instance;
}

[[noreturn]] void raiseResourceError(const char* call, unsigned long id, const std::string& why,
                                     const char* function, unsigned long line) {
  std::string text = std::string(call) + "(" + std::to_string(id) + "): " + why;
  raiseError(text.c_str(), ENOENT, IThrowLocation("iresource", function, line));
}

const IResourceEntry& entryFor(IResourceEntry::Type type, unsigned long id, const char* call,
                               const char* function, unsigned long line) {
  const IResourceEntry* entry = IResourceTablePrivate::find(type, id);
  if (entry == nullptr)
    raiseResourceError(call, id, "the program has no such resource", function, line);
  return *entry;
}

} // namespace

IString IResourceLibrary::loadString(unsigned long id) const {
  const IResourceEntry& entry = entryFor(IResourceEntry::string, id, "loadString",
                                         "IResourceLibrary::loadString(unsigned long) const", __LINE__);
  return IString(reinterpret_cast<const char*>(entry.data), static_cast<unsigned long>(entry.size));
}

IBitmapHandle IResourceLibrary::loadBitmap(unsigned long id) const {
  const char* function = "IResourceLibrary::loadBitmap(unsigned long) const";
  const IResourceEntry& entry = entryFor(IResourceEntry::bitmap, id, "loadBitmap", function, __LINE__);
  Cache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  std::unique_ptr<IImage>& image = c.images[{IResourceEntry::bitmap, id}];
  if (!image) {
    std::unique_ptr<IImage> made(new IImage);
    std::string why;
    if (!IImageCodec::decodeBmp(entry.data, entry.size, *made, why))
      raiseResourceError("loadBitmap", id, why, function, __LINE__);
    image = std::move(made);
  }
  return IBitmapHandle(reinterpret_cast<IBitmapHandle::Value>(image.get()));
}

IPointerHandle IResourceLibrary::loadIcon(unsigned long id, bool systemSize) const {
  const char* function = "IResourceLibrary::loadIcon(unsigned long,bool) const";
  const IResourceEntry& entry = entryFor(IResourceEntry::iconGroup, id, "loadIcon", function, __LINE__);
  Cache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  // Both sizes are kept apart: the key's type part says which one was asked for.
  int kind = systemSize ? 1000 + IResourceEntry::iconGroup : IResourceEntry::iconGroup;
  std::unique_ptr<IImage>& image = c.images[{kind, id}];
  if (!image) {
    std::unique_ptr<IImage> made(new IImage);
    std::string why;
    if (!IImageCodec::decodeIco(entry.data, entry.size, systemSize ? systemIconSize : 0, *made, why))
      raiseResourceError("loadIcon", id, why, function, __LINE__);
    image = std::move(made);
  }
  return IPointerHandle(reinterpret_cast<IPointerHandle::Value>(image.get()));
}

IAccelTblHandle IResourceLibrary::loadAccelTable(unsigned long id) const {
  const char* function = "IResourceLibrary::loadAccelTable(unsigned long) const";
  const IResourceEntry& entry =
      entryFor(IResourceEntry::acceleratorTable, id, "loadAccelTable", function, __LINE__);
  Cache& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  std::unique_ptr<IAcceleratorTable>& table = c.accelerators[id];
  if (!table) {
    if (entry.size == 0 || entry.size % sizeof(IAcceleratorEntry) != 0)
      raiseResourceError("loadAccelTable", id, "the table is empty or cut short", function, __LINE__);
    std::unique_ptr<IAcceleratorTable> made(new IAcceleratorTable);
    const IAcceleratorEntry* first = reinterpret_cast<const IAcceleratorEntry*>(entry.data);
    made->entries.assign(first, first + entry.size / sizeof(IAcceleratorEntry));
    table = std::move(made);
  }
  return IAccelTblHandle(reinterpret_cast<IAccelTblHandle::Value>(table.get()));
}

ISize IResourceLibrary::bitmapSize(const IBitmapHandle& bitmap) {
  const IImage* image = IResourcePosix::bitmapOf(bitmap);
  return image != nullptr ? ISize(image->width, image->height) : ISize();
}

const IImage* IResourcePosix::bitmapOf(const IBitmapHandle& handle) {
  return reinterpret_cast<const IImage*>(handle.asUnsigned());
}

const IImage* IResourcePosix::iconOf(const IPointerHandle& handle) {
  return reinterpret_cast<const IImage*>(handle.asUnsigned());
}

const IAcceleratorTable* IResourcePosix::acceleratorsOf(const IAccelTblHandle& handle) {
  return reinterpret_cast<const IAcceleratorTable*>(handle.asUnsigned());
}
