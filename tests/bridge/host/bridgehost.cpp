// A small host for testing lanyard as the launcher uses it: it loads the bridge by name through
// the class library and runs the steps that its command line lists, printing what each did.
//
//   path DIR                put DIR in front of PATH (in this process, as the launcher does)
//   load                    load "lanyard" by name
//   init TOOL | init-plain TOOL | init-null
//                           DymInitializeJVM / InitializeJVM with TOOL, or with a null name
//   mp CLASS ARGS | mp-null-args CLASS | mp-null-class ARGS
//                           DymCallJavaCodeMP, after which the application's end ends the process
//   mp-plain CLASS ARGS | mp-plain-null-args CLASS
//                           CallJavaCodeMP
//   cjc CLASS ARGS          CallJavaCode with two strings
//   cjc-long N ARGS         CallJavaCode with a class name of N letters x (longer than one
//                           command-line argument can be)
//   dcj CLASS | dcj-null    DymCallJavaCode
//   destroy                 DestroyJVM
//   window                  a new frame window whose command handler counts command 1104,
//                           registered with DymSetRTNPtr; prints its handle
//   register-null           DymSetRTNPtr with a null window
//   close-window            closes the newest frame (its platform window goes, the object stays)
//   events N SECONDS        runs the event loop until N commands 1104 arrived or the time is up
//                           (then a little longer, to see any surplus), prints the count (and,
//                           with several windows, each window's)
//   wait SECONDS            runs the event loop for that long (the application may end the
//                           process meanwhile)
//   say TEXT                prints TEXT (marks the order of the output)
//   touch FILE              makes an empty FILE (releases a test class that waits for it)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "idynlib.hpp"
#include "ienviron.hpp"
#include "iexcept.hpp"
#include "iapplication.hpp"
#include "iframe.hpp"
#include "istring.hpp"
#include "iwindow.hpp"
#include "lanyard.hpp"

namespace {

void say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

class CommandCounter : public ICommandHandler {
public:
  bool command(ICommandEvent& event) override {
    if (event.commandId() == 1104) {
      ++returnCodes;
      ++byWindow[event.window()];
    } else {
      ++others;
    }
    return false; // left to default processing, as the launcher leaves it
  }
  unsigned long returnCodes = 0;
  unsigned long others = 0;
  std::map<const IWindow*, unsigned long> byWindow;
};

struct Host {
  std::unique_ptr<IDynamicLinkLibrary> bridge;
  std::vector<std::unique_ptr<IFrameWindow>> windows;
  CommandCounter counter;

  template <class Function> Function entry(const char* name) {
    if (!bridge)
      throw IException("the bridge is not loaded");
    return reinterpret_cast<Function>(bridge->procAddress(name));
  }
};

void waitForEvents(Host& host, unsigned long wanted, double seconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  while (host.counter.returnCodes < wanted && Clock::now() < deadline) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Anything beyond the wanted number would be a fault too.
  const auto settle = Clock::now() + std::chrono::milliseconds(300);
  while (Clock::now() < settle) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  say("commands 1104: " + std::to_string(host.counter.returnCodes) +
      ", other commands: " + std::to_string(host.counter.others));
  if (host.windows.size() > 1) {
    std::string counts = "by window:";
    for (const auto& window : host.windows)
      counts += " " + std::to_string(host.counter.byWindow[window.get()]);
    say(counts);
  }
}

// Runs the step at argv[i]; returns the index of the next one.
int step(Host& host, int argc, char** argv, int i) {
  const std::string command = argv[i];
  auto argument = [&](int k) -> const char* {
    if (i + k >= argc)
      throw IException(("missing argument for " + command).c_str());
    return argv[i + k];
  };

  if (command == "path") {
    IString value = IString(argument(1));
    const IString old = IEnvironment::variable("PATH");
    if (!old.isEmpty())
      value = value + IString(std::string(1, IEnvironment::pathSeparator()).c_str()) + old;
    IEnvironment::setVariable("PATH", value);
    return i + 2;
  }
  if (command == "load") {
    host.bridge.reset(new IDynamicLinkLibrary("lanyard"));
    say("loaded " + std::string(host.bridge->fileName().c_str()));
    return i + 1;
  }
  if (command == "init") {
    host.entry<DymInitializeJVMFunction>("DymInitializeJVM")(argument(1));
    say("DymInitializeJVM returned");
    return i + 2;
  }
  if (command == "init-plain") {
    say("InitializeJVM returned " +
        std::to_string(host.entry<InitializeJVMFunction>("InitializeJVM")(argument(1))));
    return i + 2;
  }
  if (command == "init-null") {
    host.entry<DymInitializeJVMFunction>("DymInitializeJVM")(nullptr);
    say("DymInitializeJVM returned");
    return i + 1;
  }
  if (command == "mp" || command == "mp-null-args" || command == "mp-null-class") {
    const char* className = command == "mp-null-class" ? nullptr : argument(1);
    const char* arguments = command == "mp" ? argument(2)
                            : command == "mp-null-class" ? argument(1) : nullptr;
    say("DymCallJavaCodeMP returned " +
        std::to_string(host.entry<DymCallJavaCodeMPFunction>("DymCallJavaCodeMP")(className,
                                                                                   arguments)));
    return i + (command == "mp" ? 3 : 2);
  }
  if (command == "mp-plain" || command == "mp-plain-null-args") {
    const bool withArguments = command == "mp-plain";
    say("CallJavaCodeMP returned " +
        std::to_string(host.entry<CallJavaCodeMPFunction>("CallJavaCodeMP")(
            argument(1), withArguments ? argument(2) : nullptr)));
    return i + (withArguments ? 3 : 2);
  }
  if (command == "cjc" || command == "cjc-long") {
    const IString className(command == "cjc" ? std::string(argument(1)).c_str()
                                             : std::string(std::stoul(argument(1)), 'x').c_str());
    const IString arguments(argument(2));
    say("CallJavaCode returned " +
        std::to_string(host.entry<CallJavaCodeFunction>("CallJavaCode")(className, arguments)));
    return i + 3;
  }
  if (command == "dcj" || command == "dcj-null") {
    host.entry<DymCallJavaCodeFunction>("DymCallJavaCode")(command == "dcj" ? argument(1)
                                                                            : nullptr);
    say("DymCallJavaCode returned");
    return i + (command == "dcj" ? 2 : 1);
  }
  if (command == "destroy") {
    say("DestroyJVM returned " + std::to_string(host.entry<DestroyJVMFunction>("DestroyJVM")()));
    return i + 1;
  }
  if (command == "window") {
    host.windows.emplace_back(new IFrameWindow("lanyard return-code window"));
    IFrameWindow* window = host.windows.back().get();
    host.counter.handleEventsFor(window);
    char handle[32];
    std::snprintf(handle, sizeof handle, "0x%llx",
                  static_cast<unsigned long long>(window->handle().asUnsigned()));
    say("window " + std::to_string(host.windows.size()) + " handle " + handle);
    IWindow* returned = host.entry<DymSetRTNPtrFunction>("DymSetRTNPtr")(window);
    say(returned == window ? "DymSetRTNPtr returned the window"
                           : "DymSetRTNPtr returned another pointer");
    return i + 1;
  }
  if (command == "register-null") {
    IWindow* returned = host.entry<DymSetRTNPtrFunction>("DymSetRTNPtr")(nullptr);
    say(returned == nullptr ? "DymSetRTNPtr returned null"
                            : "DymSetRTNPtr returned a pointer");
    return i + 1;
  }
  if (command == "close-window") {
    if (host.windows.empty())
      throw IException("no window to close");
    IFrameWindow& window = *host.windows.back();
    window.postEvent(IWindow::close);
    for (int n = 0; n < 400 && window.isValid(); ++n) {
      IApplication::current().processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    say(window.isValid() ? "window still open" : "window closed");
    return i + 1;
  }
  if (command == "events") {
    waitForEvents(host, std::stoul(argument(1)), std::stod(argument(2)));
    return i + 3;
  }
  if (command == "wait") {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration<double>(std::stod(argument(1)));
    while (Clock::now() < end) {
      IApplication::current().processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return i + 2;
  }
  if (command == "say") {
    say(argument(1));
    return i + 2;
  }
  if (command == "touch") {
    std::FILE* file = std::fopen(argument(1), "wb");
    if (file == nullptr || std::fclose(file) != 0)
      throw IException((std::string("cannot make ") + argument(1)).c_str());
    return i + 2;
  }
  throw IException(("unknown step " + command).c_str());
}

} // namespace

int main(int argc, char** argv) {
  Host host;
  try {
    for (int i = 1; i < argc;)
      i = step(host, argc, argv, i);
  } catch (const IException& exception) {
    say(std::string("host failed: ") + (exception.text() ? exception.text() : exception.name()));
    return 2;
  }
  say("host done");
  return 0;
}
