// Java runtime discovery: registry reads, the new PATH, the version probe, the not-installed text.
#include "discovery.hpp"

#include <vector>

#include "iexcept.hpp"
#include "ienviron.hpp"
#include "imsgbox.hpp"
#include "iregistry.hpp"
#include "iwindow.hpp"
#include "launcherstate.hpp"
#include "messages.hpp"
#include "quillet_md.hpp"

const char* const runtimeKey16 = "SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.6";
const char* const runtimeKey150 = "SOFTWARE\\Obel\\DornTools\\Java2 Runtime Environment\\1.5.0";

namespace {

const char* const runtimeLibValue = "RuntimeLib";
const char* const javaHomeValue = "JavaHome";
const char* const pathVariable = "PATH";

// Buffer size of the current directory's read, terminator included. A longer directory is
// read whole instead (a deep working directory is no reason not to start); so is PATH, whose
// developer machines commonly carry several thousand characters.
const unsigned long currentDirectorySize = 261;

// The key stays open only as long as the read: it is closed whatever the answer.
class OpenKey {
public:
  explicit OpenKey(const char* key) : answer_(IRegistry::openKey(key, &key_)) {}
  ~OpenKey() {
    if (answer_ == IRegistry::success) IRegistry::closeKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  bool isOpen() const { return answer_ == IRegistry::success; }
  long answer() const { return answer_; }
  IRegistry::Key key() const { return key_; }

private:
  IRegistry::Key key_ = nullptr;
  long answer_;
};

// The text of the first terminated string in data, never past its size: a value stored
// without a terminator (binary data, or a string written without one) ends at its size.
IString boundedText(const char* data, unsigned long size) {
  unsigned long length = 0;
  while (length < size && data[length] != '\0') ++length;
  return IString(data, length);
}

// The marker that a runtime of the family is on PATH already: "\JRE\BIN\R5VM" in capitals,
// with the platform's directory separator.
IString runtimeMarker() {
  char s[2] = {IEnvironment::directorySeparator(), '\0'};
  return IString(s) + "JRE" + s + "BIN" + s + "R5VM";
}

} // namespace

RegistryText readRegistryValue(const char* key, const char* valueName) {
  RegistryText result;
  OpenKey opened(key);
  if (!opened.isOpen()) {
    result.refused = opened.answer() == IRegistry::accessDenied;
    return result;
  }
  result.keyOpened = true;

  IRegistry::ValueEntry entry = {valueName, 0, nullptr, 0};
  unsigned long size = 0;
  // Only "more data" carries the size that the value needs: any other answer, success
  // included, means it is not there.
  if (IRegistry::queryMultipleValues(opened.key(), &entry, 1, nullptr, &size) != IRegistry::moreData) {
    return result;
  }
  result.found = true;
  // Zero-filled, so that a second call that copies nothing (the value changed in between)
  // gives an empty text rather than whatever the memory held.
  std::vector<char> buffer(size);
  unsigned long filled = size;
  IRegistry::queryMultipleValues(opened.key(), &entry, 1, buffer.data(), &filled);
  result.text = boundedText(buffer.data(), size);
  return result;
}

IString lookUpJavaHome(LauncherState& state) {
  RegistryText home = readRegistryValue(runtimeKey16, javaHomeValue);
  if (!home.found) return IString();
  state.javaHome = home.text;
  return home.text;
}

PathEntries lookUpRuntimeLibrary(LauncherState& state) {
  PathEntries result;
  RegistryText library = readRegistryValue(runtimeKey16, runtimeLibValue);
  result.refused = library.refused;
  if (!library.found || !isAbsolutePath(library.text)) return result;
  state.runtimeLibraryPath = library.text;
  IString home = lookUpJavaHome(state);

  // Keep the directory: drop the file name and the separator in front of it. The name is
  // matched exactly; a value that does not contain it goes on PATH whole.
  IString directory = library.text;
  unsigned long p = library.text.indexOf(runtimeLibraryFileName());
  if (p > 0) directory = p > 2 ? library.text.subString(1, p - 2) : IString();

  char sep[2] = {IEnvironment::pathSeparator(), '\0'};
  result.found = true;
  result.text = directory + sep + home;
  return result;
}

IString probeInstalledVersion() {
  struct Candidate { const char* key; const char* label; };
  const Candidate candidates[] = {{runtimeKey150, "1.5.0"}, {runtimeKey16, "1.6.0"}};
  for (const Candidate& c : candidates) {
    RegistryText library = readRegistryValue(c.key, runtimeLibValue);
    // A key that cannot be opened ends the probe: without the 1.5.0 key the 1.6 key is not
    // looked at, and the message names no version.
    if (!library.keyOpened) break;
    if (library.found) return IString(c.label);
  }
  return IString();
}

IString composePath(const IString& front, const IString& currentDirectory, const IString& back,
                    bool keepsCurrentFolder) {
  char sep[2] = {IEnvironment::pathSeparator(), '\0'};
  if (keepsCurrentFolder)
    return (front.isEmpty() ? IString() : front + sep) + currentDirectory + sep + back;
  IString path;
  for (const IString* part : {&front, &back}) {
    for (const IString& entry : part->fields(sep)) {
      if (!isAbsolutePath(entry)) continue;
      if (!path.isEmpty()) path += sep;
      path += entry;
    }
  }
  return path;
}

EnvironmentResult prepareEnvironment(LauncherState& state) {
  EnvironmentResult result;
  try {
    char directoryBuffer[currentDirectorySize];
    unsigned long n = IEnvironment::currentDirectory(directoryBuffer, currentDirectorySize);
    IString currentDirectory;
    if (n > 0 && n < currentDirectorySize) {
      currentDirectory = IString(directoryBuffer, n);
    } else if (n >= currentDirectorySize) {
      currentDirectory = IEnvironment::currentDirectory();
    }
    if (currentDirectory.isEmpty()) {
      throw IException("GetCurrentDirectory: the current directory cannot be read");
    }

    const IString oldPath = IEnvironment::variable(pathVariable);
    if (oldPath.isEmpty()) {
      result.outcome = EnvironmentOutcome::ended;
      result.failure = EnvironmentResult::pathUnreadable;
      return result;
    }

    IString newPath;
    PathEntries runtime = lookUpRuntimeLibrary(state);
    if (runtime.refused) {
      result.outcome = EnvironmentOutcome::ended;
      result.failure = EnvironmentResult::registryRefused;
      return result;
    }
    if (runtime.found) {
      newPath = composePath(runtime.text, currentDirectory, oldPath, pathKeepsCurrentFolder());
    } else {
      IString capitals = oldPath;
      capitals.upperCase();
      if (capitals.indexOf(runtimeMarker()) == 0) {
        result.outcome = EnvironmentOutcome::notReady;
        return result;
      }
      // The old entries follow in capitals, which is harmless only where file names ignore
      // case: elsewhere they are kept as they were, or they would name other directories.
      newPath = composePath(IString(), currentDirectory, fileNamesIgnoreCase() ? capitals : oldPath,
                            pathKeepsCurrentFolder());
    }

    // The external route starts <home>/bin/java and nothing else: without a home that names
    // one place (none, or one taken from the current directory) there is no runtime to start.
    if (state.externalStart && !isAbsolutePath(state.javaHome)) {
      result.outcome = EnvironmentOutcome::notReady;
      return result;
    }

    // A value the platform cannot carry whole is not set cut short: the runtime would be
    // missing from the part that was cut off.
    bool set = newPath.length() <= longestPathValue() &&
               IEnvironment::setVariable(pathVariable, newPath);
    result.outcome = set ? EnvironmentOutcome::ready : EnvironmentOutcome::notReady;
  } catch (IException&) {
    result.outcome = EnvironmentOutcome::ended;
    result.failure = EnvironmentResult::exception;
  }
  return result;
}

EnvironmentResult setUpEnvironment(LauncherState& state) {
  EnvironmentResult result = prepareEnvironment(state);
  if (result.failure == EnvironmentResult::pathUnreadable) {
    state.messageBox.setTitle(QuilletText::titleTessaran);
    state.messageBox.show(QuilletText::pathUnreadable, failureStyle);
  } else if (result.failure == EnvironmentResult::exception) {
    state.messageBox.setTitle(QuilletText::titleTessaran);
    state.messageBox.show(IException(QuilletText::environmentFailed, 0, IException::unrecoverable));
  } else if (result.failure == EnvironmentResult::registryRefused) {
    IString reason = IRegistry::refusal();
    if (reason.isEmpty()) reason = QuilletText::registryAccessDenied;
    state.messageBox.setTitle(QuilletText::titleTessaran);
    state.messageBox.show(IString(QuilletText::registryRefused) + reason, failureStyle);
  }
  return result;
}

IString notInstalledText(const IString& installedVersion) {
  IString text(QuilletText::notInstalledThe);
  text += QuilletText::notInstalledProduct;
  text += QuilletText::notInstalledNotYet;
  if (installedVersion.isEmpty()) {
    text += QuilletText::notInstalledNoPrevious;
  } else {
    text += QuilletText::notInstalledCurrentIs;
    text += installedVersion;
    text += QuilletText::notInstalledVersionEnd;
  }
  text += QuilletText::notInstalledReferTo;
  return text;
}

void showNotInstalledMessage() {
  IMessageBox box(IWindow::desktopWindow());
  box.setTitle(QuilletText::titleNotInstalled);
  box.show(notInstalledText(probeInstalledVersion()), failureStyle);
}
