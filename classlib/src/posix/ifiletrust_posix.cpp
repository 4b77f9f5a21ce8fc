// Who besides a file's owner and root may change it: its mode, its group's members and the
// folders on its way.
#include "ifiletrust_posix.hpp"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include "isystem.hpp"

namespace {

// Whether a group gives write access to nobody but owner and root: it lists no other member,
// and it is root's group or the owner's own (a private group, as useradd makes one per user).
bool groupIsPrivate(gid_t group, uid_t owner) {
  std::vector<char> text(16384);
  struct group entry, *found = nullptr;
  if (::getgrgid_r(group, &entry, text.data(), text.size(), &found) != 0 || found == nullptr)
    return false;
  for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member) {
    std::vector<char> userText(16384);
    struct passwd user, *known = nullptr;
    if (::getpwnam_r(*member, &user, userText.data(), userText.size(), &known) != 0 ||
        known == nullptr || (known->pw_uid != owner && known->pw_uid != 0))
      return false;
  }
  if (group == 0)
    return true;
  std::vector<char> ownerText(16384);
  struct passwd user, *known = nullptr;
  return ::getpwuid_r(owner, &user, ownerText.data(), ownerText.size(), &known) == 0 &&
         known != nullptr && known->pw_gid == group;
}

// Whether users other than owner and root may write what mode and group describe.
bool othersMayWrite(const struct stat& st, uid_t owner) {
  if (st.st_mode & S_IWOTH)
    return true;
  return (st.st_mode & S_IWGRP) != 0 && !groupIsPrivate(st.st_gid, owner);
}

std::string octalMode(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

} // namespace

std::string IFileTrust::whyOthersMayChange(const std::string& path, const struct stat& file) {
  if (othersMayWrite(file, file.st_uid))
    return "users other than its owner and root may write it (mode " + octalMode(file.st_mode) + ")";
  std::vector<std::string> files{path};
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved != nullptr) {
    files.emplace_back(resolved);
    std::free(resolved);
  }
  for (std::string at : files) {
    if (at.empty() || at[0] != '/')
      at = ISystem::currentDirectory() + "/" + at;
    for (std::size_t slash = at.rfind('/'); slash != std::string::npos;
         slash = slash == 0 ? std::string::npos : at.rfind('/', slash - 1)) {
      const std::string folder = slash == 0 ? "/" : at.substr(0, slash);
      struct stat st;
      if (::stat(folder.c_str(), &st) != 0 || (st.st_mode & S_ISVTX))
        continue;
      if (othersMayWrite(st, file.st_uid))
        return "users other than its owner and root may replace it: they may write the folder \"" +
               folder + "\", which has no sticky bit (mode " + octalMode(st.st_mode) + ")";
    }
  }
  return std::string();
}
