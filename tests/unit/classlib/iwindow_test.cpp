// Tests of the window toolkit's portable part: command handlers and their dispatch, the
// links between handlers and windows, event words, and posting to no window.
#include "iwindow.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iexcept.hpp"
#include "quietlogger.hpp"

namespace {

class PlainWindow : public IWindow {};

// Records the commands it sees under its name; handles those in its list.
class Recorder : public ICommandHandler {
public:
  Recorder(std::string name, std::vector<std::string>& seen, std::vector<unsigned long> handles = {})
      : name_(std::move(name)), seen_(seen), handles_(std::move(handles)) {}
  bool command(ICommandEvent& event) override {
    seen_.push_back(name_ + ":" + std::to_string(event.commandId()));
    for (unsigned long id : handles_)
      if (id == event.commandId())
        return true;
    return false;
  }

private:
  std::string name_;
  std::vector<std::string>& seen_;
  std::vector<unsigned long> handles_;
};

TEST(CommandDispatch, NewestHandlerFirstUntilOneHandles) {
  std::vector<std::string> seen;
  PlainWindow window;
  Recorder older("older", seen, {7}), newer("newer", seen, {1104});
  older.handleEventsFor(&window);
  newer.handleEventsFor(&window);

  EXPECT_TRUE(window.dispatchCommand(1104));
  EXPECT_EQ(seen, std::vector<std::string>({"newer:1104"}));
  seen.clear();
  EXPECT_TRUE(window.dispatchCommand(7));
  EXPECT_EQ(seen, std::vector<std::string>({"newer:7", "older:7"}));
  seen.clear();
  EXPECT_FALSE(window.dispatchCommand(16640));
  EXPECT_EQ(seen, std::vector<std::string>({"newer:16640", "older:16640"}));
  // System commands are not handled unless a handler says so.
  EXPECT_FALSE(window.dispatchSystemCommand(0xF060));
}

TEST(CommandDispatch, HandlersAndWindowsLetGoOfEachOther) {
  std::vector<std::string> seen;
  PlainWindow window;
  {
    Recorder gone("gone", seen, {1});
    gone.handleEventsFor(&window);
  }
  EXPECT_FALSE(window.dispatchCommand(1));
  EXPECT_TRUE(seen.empty());

  Recorder stays("stays", seen, {1});
  stays.handleEventsFor(&window).stopHandlingEventsFor(&window);
  EXPECT_FALSE(window.dispatchCommand(1));
  {
    PlainWindow shortLived;
    stays.handleEventsFor(&shortLived);
  }
  // The handler outlives the window and is destroyed after it without touching it.
  stays.handleEventsFor(&window);
  EXPECT_TRUE(window.dispatchCommand(1));
}

TEST(CommandDispatch, AHandlerMayDetachItselfWhileItRuns) {
  class OneShot : public ICommandHandler {
  public:
    explicit OneShot(IWindow& w) : window_(w) {}
    bool command(ICommandEvent&) override {
      ++calls;
      stopHandlingEventsFor(&window_);
      return false;
    }
    int calls = 0;

  private:
    IWindow& window_;
  };
  std::vector<std::string> seen;
  PlainWindow window;
  Recorder below("below", seen);
  below.handleEventsFor(&window);
  OneShot once(window);
  once.handleEventsFor(&window);
  window.dispatchCommand(3);
  window.dispatchCommand(3);
  EXPECT_EQ(once.calls, 1);
  EXPECT_EQ(seen, std::vector<std::string>({"below:3", "below:3"}));
}

TEST(Posting, ToNoWindowRaisesTheWindowingError) {
  QuietLogger quiet;
  PlainWindow noHandle;
  try {
    noHandle.postEvent(IWindow::command, 1104, 0);
    ADD_FAILURE() << "posting to no window succeeded";
  } catch (const IInvalidParameter& e) {
    EXPECT_STREQ(e.text(0), "WinPostMsg:No error text is available.");
    EXPECT_TRUE(e.isRecoverable());
    EXPECT_NE(e.errorId(), 0u);
    EXPECT_STREQ(e.errorCodeGroup(), "Presentation System");
  }
  EXPECT_THROW(IWindowHandle().postEvent(0x0111, 1104), IInvalidParameter);
  EXPECT_EQ(IWindow::windowWithHandle(IWindowHandle()), nullptr);
}

} // namespace
