// POSIX backend: Windows file-name semantics (names that match without case) on a file system
// whose names do.
#ifndef IFILENAME_HPP
#define IFILENAME_HPP

#include <string>

namespace IFileName {

// The entry of directory whose name equals name without regard to ASCII case: the first in
// byte order when several do, so that the answer does not depend on the order the file system
// lists them; empty when none does or the directory cannot be read.
std::string entryWithoutCase(const std::string& directory, const std::string& name);

} // namespace IFileName

#endif
