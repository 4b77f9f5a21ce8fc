// The ELF file reader of the library search: whether a file is a shared library this process
// can load, and the names of the libraries it needs.
#ifndef IELFFILE_POSIX_HPP
#define IELFFILE_POSIX_HPP

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <elf.h>
#include <link.h>

namespace IElf {

// A library of this process's class and machine, one of another word size or machine (which
// the search passes over as Windows does), or anything else.
enum class FileKind { library, otherWordSize, notLibrary };

// One file opened for reading; a file that cannot be opened is no library.
class File {
public:
  explicit File(const std::string& path);
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File();

  FileKind kind();
  // The DT_NEEDED names of a file whose kind() is library. Any inconsistency in the file ends
  // the list: the dynamic loader then judges the file itself.
  std::vector<std::string> neededLibraries();

private:
  bool readSegments();
  bool read(std::uint64_t offset, void* to, std::size_t size);

  int fd_;
  ElfW(Ehdr) header_{};
  std::vector<ElfW(Phdr)> segments_;
};

} // namespace IElf

#endif
