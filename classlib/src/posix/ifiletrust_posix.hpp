// Whether users other than a file's owner and root could change what it holds: the question
// to ask of a file that names or is code the process will run (the registry file, a library).
#ifndef IFILETRUST_POSIX_HPP
#define IFILETRUST_POSIX_HPP

#include <string>

#include <sys/stat.h>

namespace IFileTrust {

// Why users other than the file's owner and root could change it, as the end of a sentence
// ("users other than its owner and root may write it (mode 0666)"); empty when they cannot.
// They could by writing the file, or by replacing it in a folder on its way that they may
// write and that has no sticky bit (a sticky folder, as /tmp, lets only an entry's owner
// replace it). Folders are checked on the way to path as given and to the file it resolves to.
// A group counts as the owner's only where it lists no other member and is root's group or
// the owner's own (a private group, as useradd makes one per user). file is path's status.
std::string whyOthersMayChange(const std::string& path, const struct stat& file);

} // namespace IFileTrust

#endif
