// The ELF file reader of the library search: a file's class, machine and type checked against
// this process's, its segments against the file's size, and its DT_NEEDED names.
#include "ielffile_posix.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The class and machine of the object this code is linked into: a library must match them.
const ElfW(Ehdr)* ownHeader() {
  static const ElfW(Ehdr)* header = [] {
    Dl_info info;
    ::dladdr(reinterpret_cast<void*>(&ownHeader), &info);
    return static_cast<const ElfW(Ehdr)*>(info.dli_fbase);
  }();
  return header;
}

} // namespace

namespace IElf {

File::File(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

File::~File() {
  if (fd_ >= 0)
    ::close(fd_);
}

FileKind File::kind() {
  unsigned char ident[EI_NIDENT];
  if (!read(0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
    return FileKind::notLibrary;
  const ElfW(Ehdr)* own = ownHeader();
  if (ident[EI_CLASS] != own->e_ident[EI_CLASS] || ident[EI_DATA] != own->e_ident[EI_DATA])
    return FileKind::otherWordSize;
  if (!read(0, &header_, sizeof header_) || header_.e_type != ET_DYN)
    return FileKind::notLibrary;
  if (header_.e_machine != own->e_machine)
    return FileKind::otherWordSize;
  // The dynamic loader maps the segments without checking them against the file's size:
  // touching a page past the end of a truncated file kills the process with SIGBUS.
  struct stat info;
  if (::fstat(fd_, &info) != 0 || !readSegments())
    return FileKind::notLibrary;
  std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
  for (const ElfW(Phdr)& s : segments_) {
    if ((s.p_type == PT_LOAD || s.p_type == PT_DYNAMIC) &&
        (s.p_offset > size || s.p_filesz > size - s.p_offset))
      return FileKind::notLibrary;
  }
  return FileKind::library;
}

std::vector<std::string> File::neededLibraries() {
  std::vector<std::string> needed;
  const std::vector<ElfW(Phdr)>& segments = segments_;
  const ElfW(Phdr)* dynamic = nullptr;
  for (const ElfW(Phdr)& s : segments)
    if (s.p_type == PT_DYNAMIC)
      dynamic = &s;
  if (!dynamic || dynamic->p_filesz > (1u << 20))
    return needed;
  std::vector<ElfW(Dyn)> entries(dynamic->p_filesz / sizeof(ElfW(Dyn)));
  if (!read(dynamic->p_offset, entries.data(), entries.size() * sizeof(ElfW(Dyn))))
    return needed;

  ElfW(Addr) stringsAddress = 0;
  std::uint64_t stringsSize = 0;
  std::vector<std::uint64_t> offsets;
  for (const ElfW(Dyn)& e : entries) {
    if (e.d_tag == DT_NULL)
      break;
    if (e.d_tag == DT_STRTAB)
      stringsAddress = e.d_un.d_ptr;
    else if (e.d_tag == DT_STRSZ)
      stringsSize = e.d_un.d_val;
    else if (e.d_tag == DT_NEEDED)
      offsets.push_back(e.d_un.d_val);
  }
  // The string table is given by its address once loaded; find its place in the file.
  std::uint64_t stringsOffset = 0;
  bool mapped = false;
  for (const ElfW(Phdr)& s : segments) {
    if (s.p_type == PT_LOAD && stringsAddress >= s.p_vaddr &&
        stringsAddress - s.p_vaddr < s.p_filesz) {
      stringsOffset = s.p_offset + (stringsAddress - s.p_vaddr);
      mapped = true;
      break;
    }
  }
  if (!mapped)
    return needed;
  for (std::uint64_t offset : offsets) {
    if (offset >= stringsSize)
      return needed;
    char name[4096];
    std::size_t length = static_cast<std::size_t>(
        std::min<std::uint64_t>(sizeof name - 1, stringsSize - offset));
    ssize_t n = ::pread(fd_, name, length, static_cast<off_t>(stringsOffset + offset));
    if (n <= 0)
      return needed;
    name[n] = '\0';
    if (std::strlen(name) == static_cast<std::size_t>(n)) // not terminated within the table
      return needed;
    needed.emplace_back(name);
  }
  return needed;
}

bool File::readSegments() {
  if (header_.e_phentsize != sizeof(ElfW(Phdr)) || header_.e_phnum == 0 ||
      header_.e_phnum > 4096)
    return false;
  segments_.resize(header_.e_phnum);
  return read(header_.e_phoff, segments_.data(), segments_.size() * sizeof(ElfW(Phdr)));
}

bool File::read(std::uint64_t offset, void* to, std::size_t size) {
  if (fd_ < 0)
    return false;
  ssize_t n = ::pread(fd_, to, size, static_cast<off_t>(offset));
  return n == static_cast<ssize_t>(size);
}

} // namespace IElf
