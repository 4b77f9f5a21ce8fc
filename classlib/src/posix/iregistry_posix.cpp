// The POSIX registry: HKEY_LOCAL_MACHINE read from a registry file, with the platform's answers.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "iexcept.hpp"
#include "iexcept_platform.hpp"
#include "iregistry.hpp"
#include "ifiletrust_posix.hpp"
#include "iregistryfile.hpp"
#include "istring.hpp"
#include "isystem.hpp"

// An open key holds the file it was found in: a file read again later does not pull the data
// from under it.
struct IRegistryKeyRecord {
  std::shared_ptr<const IRegistryFile> file;
  IRegistryFile::KeyId key;
};

namespace {

const char* const defaultFileName = "/etc/obel/registry.reg";

// The product family's file holds a few hundred bytes, and 8 MB hold some 150,000 keys as an
// installer writes them. The limit keeps what a wrong file can cost, whatever it holds, well
// within a second and about 60 MB.
const off_t largestFile = 8 * 1024 * 1024;
const std::string largestFileText = std::to_string(largestFile / (1024 * 1024)) + " MB";

std::string registryFileName() {
  std::string name;
  return ISystem::environmentValue("IREGISTRY", name) && !name.empty() ? name : defaultFileName;
}

// One version of the file as the file system describes it. The file is read again only when
// this changes; rewriting it in place with the same size within one tick of the file system's
// clock goes unseen, which is why files are replaced by renaming (as quillet-register does).
struct Identity {
  std::string path;
  int error = 0; // stat's errno; the rest is zero when it is not 0
  dev_t device = 0;
  ino_t inode = 0;
  mode_t mode = 0;
  off_t size = 0;
  long modified = 0, modifiedNs = 0, changed = 0, changedNs = 0;

  Identity() = default;
  Identity(const std::string& p, int e, const struct stat* st) : path(p), error(e) {
    if (st == nullptr) return;
    device = st->st_dev;
    inode = st->st_ino;
    mode = st->st_mode;
    size = st->st_size;
    modified = static_cast<long>(st->st_mtim.tv_sec);
    modifiedNs = st->st_mtim.tv_nsec;
    changed = static_cast<long>(st->st_ctim.tv_sec);
    changedNs = st->st_ctim.tv_nsec;
  }
  bool operator==(const Identity& o) const {
    return path == o.path && error == o.error && device == o.device && inode == o.inode &&
           mode == o.mode && size == o.size && modified == o.modified &&
           modifiedNs == o.modifiedNs && changed == o.changed && changedNs == o.changedNs;
  }
};

// A record for the exception logger, written after the reader's lock is released.
struct Record {
  enum Kind { refused, accessDenied, readError, outOfMemory, malformed } kind;
  std::string text;
  unsigned long errorId;
};

// The file as read: the answer for every key, and the parsed file when there is one.
struct ReadFile {
  bool valid = false;
  Identity identity;
  long answer = IRegistry::fileNotFound;
  std::string refusal; // with the answer accessDenied: what the record said
  std::shared_ptr<const IRegistryFile> file;
};

std::mutex& readLock() {
  static std::mutex* const lock = new std::mutex; // never destroyed: usable to the very end
  return *lock;
}

ReadFile& lastRead() {
  static ReadFile* const read = new ReadFile;
  return *read;
}

std::string fileText(const std::string& path) { return "registry file \"" + path + "\""; }

std::string systemText(int error) {
  char text[iexc::systemTextSize];
  if (!iexc::systemMessageText(static_cast<unsigned long>(error), text, sizeof text)) {
    std::snprintf(text, sizeof text, "error %d", error);
  }
  return text;
}

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory";
  if (S_ISFIFO(mode)) return "it is a FIFO";
  if (S_ISCHR(mode)) return "it is a character device";
  if (S_ISBLK(mode)) return "it is a block device";
  if (S_ISSOCK(mode)) return "it is a socket";
  return "it is not a regular file";
}

void refuse(std::vector<Record>& records, const std::string& path, const std::string& reason,
            Record::Kind kind = Record::refused, unsigned long errorId = 0) {
  records.push_back(Record{kind, fileText(path) + " is not used, no key is read from it: " + reason,
                           errorId});
}

// Reads up to the limit from a descriptor opened without blocking, so that a FIFO or device
// put in the file's place between the look and the open cannot hold the start.
int readAll(int fd, off_t expected, std::string& bytes) {
  std::size_t have = 0;
  bytes.resize(static_cast<std::size_t>(expected) + 1);
  while (true) {
    if (have == bytes.size()) {
      // Files such as those of /proc say 0 and hold more.
      if (bytes.size() > static_cast<std::size_t>(largestFile)) return EFBIG;
      bytes.resize(std::min(bytes.size() * 2 + 4096, static_cast<std::size_t>(largestFile) + 1));
    }
    ssize_t n = ::read(fd, &bytes[have], bytes.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  bytes.resize(have);
  return 0;
}

// Reads and parses the file; every failure is an answer and a record, never an exception.
ReadFile readFile(const Identity& seen, const struct stat& st, std::vector<Record>& records) {
  ReadFile result;
  result.valid = true;
  result.identity = seen;
  const std::string& path = seen.path;
  if (!S_ISREG(st.st_mode)) {
    refuse(records, path, kindOf(st.st_mode));
    return result;
  }
  if (st.st_size > largestFile) {
    refuse(records, path, std::string("it is larger than ") + largestFileText + " (" +
                              std::to_string(static_cast<long long>(st.st_size)) + " bytes)");
    return result;
  }

  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    int error = errno;
    if (error == ENOENT) return result; // removed in between: as if it had never been there
    refuse(records, path, "it cannot be opened: " + systemText(error), Record::accessDenied,
           static_cast<unsigned long>(error));
    if (error == EACCES || error == EPERM) {
      result.answer = IRegistry::accessDenied;
      result.refusal = records.back().text;
    }
    return result;
  }
  std::string bytes;
  struct stat opened;
  int error = 0;
  if (::fstat(fd, &opened) != 0) {
    error = errno;
  } else {
    // What was opened is what counts: the name may have been given to another file since.
    result.identity = Identity(path, 0, &opened);
    if (!S_ISREG(opened.st_mode)) {
      ::close(fd);
      refuse(records, path, kindOf(opened.st_mode));
      return result;
    }
    // The file names the libraries that programs load: whoever may change it would choose
    // the code they run.
    const std::string unsafe = IFileTrust::whyOthersMayChange(path, opened);
    if (!unsafe.empty()) {
      ::close(fd);
      refuse(records, path, unsafe, Record::accessDenied);
      result.answer = IRegistry::accessDenied;
      result.refusal = records.back().text;
      return result;
    }
    if (opened.st_size > largestFile) {
      error = EFBIG;
    } else {
      try {
        error = readAll(fd, opened.st_size, bytes);
      } catch (std::bad_alloc&) {
        ::close(fd);
        refuse(records, path, "there is not enough memory to read it", Record::outOfMemory);
        return result;
      }
    }
  }
  ::close(fd);
  if (error == EFBIG) {
    refuse(records, path, std::string("it is larger than ") + largestFileText);
    return result;
  }
  if (error != 0) {
    refuse(records, path, "it cannot be read: " + systemText(error), Record::readError,
           static_cast<unsigned long>(error));
    return result;
  }

  try {
    auto file = std::make_shared<IRegistryFile>();
    if (!file->parse(std::move(bytes))) {
      refuse(records, path, file->refusal());
      return result;
    }
    for (const IRegistryFile::Problem& p : file->problems()) {
      records.push_back(Record{Record::malformed,
                               fileText(path) + ", line " + std::to_string(p.line) + ": " + p.what +
                                   "; the line is skipped",
                               0});
    }
    unsigned long more = file->problemCount() - static_cast<unsigned long>(file->problems().size());
    if (more > 0) {
      records.push_back(Record{Record::malformed,
                               fileText(path) + ": " + std::to_string(more) +
                                   " more malformed lines are skipped, the last on line " +
                                   std::to_string(file->lastProblemLine()),
                               0});
    }
    result.file = std::move(file);
    result.answer = IRegistry::success;
  } catch (std::bad_alloc&) {
    result.file.reset();
    refuse(records, path, "there is not enough memory to read it", Record::outOfMemory);
  }
  return result;
}

void writeRecord(const Record& record) noexcept {
  try {
    IThrowLocation where("iregistry", "IRegistry::openKey(const char*,IRegistry::Key*)", __LINE__);
    auto log = [&](IException&& e, const char* group) {
      e.setErrorCodeGroup(group);
      e.addLocation(where);
      e.writeToLog();
    };
    const char* text = record.text.c_str();
    const IException::Severity severity = IException::recoverable;
    switch (record.kind) {
      case Record::accessDenied:
        log(IAccessError(text, record.errorId, severity), IEXC_GROUP_SYSTEM);
        break;
      case Record::readError:
        log(IDeviceError(text, record.errorId, severity), IEXC_GROUP_SYSTEM);
        break;
      case Record::outOfMemory:
        log(IOutOfMemory(text, record.errorId, severity), IEXC_GROUP_LIBRARY);
        break;
      case Record::refused:
      case Record::malformed:
        log(IInvalidRequest(text, record.errorId, severity), IEXC_GROUP_LIBRARY);
        break;
    }
  } catch (...) {
    // A logger that fails cannot be told so; the answer stands without its record.
  }
}

// The file named now, read when it is not the one read last. Answers success with the file,
// or the answer for every key with no file.
long currentFile(std::shared_ptr<const IRegistryFile>& file) noexcept {
  std::vector<Record> records;
  long answer = IRegistry::fileNotFound;
  try {
    const std::string path = registryFileName();
    struct stat st;
    int error = ::stat(path.c_str(), &st) == 0 ? 0 : errno;
    Identity seen(path, error, error == 0 ? &st : nullptr);
    {
      std::lock_guard<std::mutex> guard(readLock());
      ReadFile& last = lastRead();
      if (!last.valid || !(last.identity == seen)) {
        ReadFile fresh;
        if (error == 0) {
          fresh = readFile(seen, st, records);
        } else {
          fresh.valid = true;
          fresh.identity = seen;
          // No file is the state before anything is installed: not worth a record.
          if (error != ENOENT && error != ENOTDIR) {
            refuse(records, path, "it cannot be looked at: " + systemText(error),
                   Record::accessDenied, static_cast<unsigned long>(error));
            if (error == EACCES) {
              fresh.answer = IRegistry::accessDenied;
              fresh.refusal = records.back().text;
            }
          }
        }
        last = std::move(fresh);
      }
      answer = last.answer;
      file = last.file;
    }
  } catch (std::bad_alloc&) {
    records.clear();
    records.push_back(Record{Record::outOfMemory,
                             "registry file: there is not enough memory to read it", 0});
    file.reset();
    answer = IRegistry::fileNotFound;
  } catch (...) {
    file.reset();
    answer = IRegistry::fileNotFound;
  }
  for (const Record& r : records) writeRecord(r);
  return answer;
}

} // namespace

long IRegistry::openKey(const char* subKey, Key* key) {
  if (key == nullptr) return invalidParameter;
  *key = nullptr;
  std::shared_ptr<const IRegistryFile> file;
  long answer = currentFile(file);
  if (answer != success) return answer;
  IRegistryFile::KeyId root = file->findKey("HKEY_LOCAL_MACHINE");
  if (root == IRegistryFile::noKey) return fileNotFound;
  IRegistryFile::KeyId id = file->findKey(subKey != nullptr ? subKey : "", root);
  if (id == IRegistryFile::noKey) return fileNotFound;
  IRegistryKeyRecord* record = new (std::nothrow) IRegistryKeyRecord{std::move(file), id};
  if (record == nullptr) return fileNotFound;
  *key = record;
  return success;
}

long IRegistry::queryMultipleValues(Key key, ValueEntry* list, unsigned long count, char* buffer,
                                    unsigned long* totalSize) {
  if (key == nullptr) return invalidHandle;
  if (list == nullptr || totalSize == nullptr) return invalidParameter;
  unsigned long room = *totalSize;
  unsigned long total = 0;
  char* next = buffer;
  *totalSize = 0;
  for (unsigned long i = 0; i < count; ++i) {
    IRegistryFile::Value value;
    if (!key->file->findValue(key->key, list[i].valueName, value)) return fileNotFound;
    unsigned long size = static_cast<unsigned long>(value.size);
    list[i].valueLength = size;
    if (buffer != nullptr && total + size <= room) {
      if (size > 0) std::memcpy(next, value.data, size);
      list[i].valuePointer = next;
      list[i].type = value.type;
      next += size;
    }
    total += size;
    *totalSize = total;
  }
  return (buffer != nullptr && total <= room) ? success : moreData;
}

IString IRegistry::refusal() {
  std::lock_guard<std::mutex> guard(readLock());
  const ReadFile& last = lastRead();
  const std::string& text = last.answer == accessDenied ? last.refusal : std::string();
  return IString(text.c_str(), static_cast<unsigned long>(text.size()));
}

long IRegistry::closeKey(Key key) {
  if (key == nullptr) return invalidHandle;
  delete key;
  return success;
}
