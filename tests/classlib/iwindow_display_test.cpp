// Tests of the window toolkit on a real display (Xvfb, or Wine's): posting from many threads
// into the event loop, posting to windows that are gone, ending the loop, frames and their
// texts, the object window and the desktop's size.
#include "iapplication.hpp"
#include "iframe.hpp"
#include "iwindow.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "iexcept.hpp"
#include "imsgbox.hpp"
#include "imsgboxlogic.hpp"
#include "quietlogger.hpp"
#include "recordinglogger.hpp"

namespace {

class Display : public ::testing::Test {
protected:
private:
  QuietLogger quiet_;
};

// Counts the commands per id and ends the loop when the expected number has arrived.
class Counter : public ICommandHandler {
public:
  explicit Counter(std::size_t expected) : expected_(expected) {}
  bool command(ICommandEvent& event) override {
    ++counts[event.commandId()];
    if (++total == expected_)
      IApplication::current().exit();
    return false; // left unhandled, as the launcher's window does with 1104
  }
  std::map<unsigned long, std::size_t> counts;
  std::size_t total = 0;

private:
  std::size_t expected_;
};

// Ends the loop from another thread after a while, so that a lost event fails instead of
// hanging the test.
class Watchdog {
public:
  explicit Watchdog(std::chrono::seconds limit)
      : thread_([this, limit] {
          auto end = std::chrono::steady_clock::now() + limit;
          while (!done_ && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
          if (!done_) {
            fired = true;
            IApplication::current().exit();
          }
        }) {}
  ~Watchdog() {
    done_ = true;
    thread_.join();
  }
  std::atomic<bool> fired{false};

private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST_F(Display, EveryEventPostedFromSixteenThreadsIsDispatched) {
  const unsigned threads = 16, perThread = 500;
  IFrameWindow frame("Posting target");
  Counter counter(threads * perThread);
  counter.handleEventsFor(&frame);

  std::atomic<unsigned> failures{0};
  std::vector<std::thread> posters;
  for (unsigned t = 0; t < threads; ++t)
    posters.emplace_back([&, t] {
      for (unsigned i = 0; i < perThread; ++i) {
        try {
          frame.postEvent(IWindow::command, IEventParameter1(1104 + t), 0);
        } catch (const IException&) {
          ++failures;
        }
      }
    });
  {
    Watchdog watchdog(std::chrono::seconds(60));
    IApplication::current().run();
    EXPECT_FALSE(watchdog.fired) << "only " << counter.total << " events arrived";
  }
  for (std::thread& poster : posters)
    poster.join();
  EXPECT_EQ(failures, 0u);
  EXPECT_EQ(counter.total, threads * perThread);
  for (unsigned t = 0; t < threads; ++t)
    EXPECT_EQ(counter.counts[1104 + t], perThread) << "thread " << t;
}

TEST_F(Display, EventsPostedBeforeTheLoopWaitAndTheLoopEndsFromAnotherThread) {
  IFrameWindow frame("Waiting events");
  Counter counter(1000000); // never ends the loop itself
  counter.handleEventsFor(&frame);
  frame.postEvent(IWindow::command, 1104, 0);
  frame.postEvent(IWindow::command, 1104, 0);
  std::thread ender([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    IApplication::current().exit();
  });
  IApplication::current().run();
  ender.join();
  EXPECT_EQ(counter.counts[1104], 2u);

  frame.postEvent(IWindow::command, 5, 0);
  IApplication::current().processEvents();
  EXPECT_EQ(counter.counts[5], 1u);
}

TEST_F(Display, PostingToAWindowThatIsGoneRaises) {
  IWindowHandle stale;
  {
    IFrameWindow frame("Short-lived");
    stale = frame.handle();
    ASSERT_TRUE(stale.isValid());
    stale.postEvent(IWindow::command, 1104, 0); // queued for a window that then goes
  }
  EXPECT_THROW(stale.postEvent(IWindow::command, 1104, 0), IInvalidParameter);
  IApplication::current().processEvents(); // the queued event goes with its window

  // A close posted to a frame destroys its platform window, as the default processing does.
  IFrameWindow closed("Closed by a posted close");
  IWindowHandle handle = closed.handle();
  closed.postEvent(IWindow::close);
  for (int i = 0; i < 50 && closed.isValid(); ++i) {
    IApplication::current().processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_FALSE(closed.isValid());
  EXPECT_EQ(IWindow::windowWithHandle(handle), nullptr);
  EXPECT_THROW(closed.postEvent(IWindow::command, 1104, 0), IInvalidParameter);
  EXPECT_EQ(closed.text(), "Closed by a posted close");
}

// A post that keeps failing (a full queue, a window gone) is logged once per run of failures,
// and the run's length when posting works again; each failure still raises.
TEST_F(Display, FailedPostsInARowAreLoggedOnceWithTheirCount) {
  IWindowHandle stale;
  {
    IFrameWindow gone("Gone");
    stale = gone.handle();
  }
  IFrameWindow live("Live");
  live.postEvent(IWindow::command, 1104, 0); // ends any run that an earlier test left
  RecordingLogger log;
  for (int i = 0; i < 5; ++i)
    EXPECT_THROW(stale.postEvent(IWindow::command, 1104, 0), IInvalidParameter);
  ASSERT_EQ(log.records.size(), 1u) << log.all();
  EXPECT_EQ(log.countOf("WinPostMsg:"), 1u);

  live.postEvent(IWindow::command, 1104, 0);
  ASSERT_EQ(log.records.size(), 2u) << log.all();
  EXPECT_EQ(log.countOf("WinPostMsg failed 5 times in a row"), 1u);

  // The next failure begins a run of its own; a run of one needs no count.
  EXPECT_THROW(stale.postEvent(IWindow::command, 1104, 0), IInvalidParameter);
  live.postEvent(IWindow::command, 1104, 0);
  EXPECT_EQ(log.records.size(), 3u) << log.all();
  IApplication::current().processEvents();
}

TEST_F(Display, AHandlersExceptionLeavesTheLoopAndTheLoopRunsAgain) {
  class Thrower : public ICommandHandler {
  public:
    bool command(ICommandEvent& event) override {
      if (event.commandId() == 1)
        throw IInvalidRequest("handler failed");
      IApplication::current().exit();
      return true;
    }
  } thrower;
  IFrameWindow frame("Throwing handler");
  thrower.handleEventsFor(&frame);
  frame.postEvent(IWindow::command, 1, 0);
  Watchdog watchdog(std::chrono::seconds(20));
  EXPECT_THROW(IApplication::current().run(), IInvalidRequest);
  frame.postEvent(IWindow::command, 2, 0);
  IApplication::current().run();
  EXPECT_FALSE(watchdog.fired);
}

TEST_F(Display, FramesCarryTheirTextAsThePlatformsWindowText) {
  IFrameWindow frame("First title");
  frame.show();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(frame.text(), "First title");
  frame.setText("Second title");
  EXPECT_EQ(frame.text(), "Second title");
  EXPECT_EQ(IWindow::windowWithHandle(frame.handle()), &frame);
  EXPECT_EQ(IMessageBoxLogic::titleFor("", &frame), "Second title");
  frame.hide();
  EXPECT_FALSE(frame.isVisible());
}

TEST_F(Display, DesktopAndObjectWindow) {
  EXPECT_TRUE(IWindow::desktopWindow()->handle().isValid());
  EXPECT_EQ(IWindow::desktopWidth(), 1280);
  EXPECT_EQ(IWindow::desktopHeight(), 1024);
  IWindow* object = IWindow::objectWindow();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(IWindow::objectWindow(), object);
  EXPECT_TRUE(object->handle().isValid());
  EXPECT_NE(object->handle(), IWindow::desktopWindow()->handle());
  // Object windows own no visible text: a box they own has no title.
  EXPECT_EQ(IMessageBoxLogic::titleFor("", object), "");

  // Posted commands reach the object window's handlers too.
  Counter counter(1);
  counter.handleEventsFor(object);
  object->postEvent(IWindow::command, 1104, 0);
  Watchdog watchdog(std::chrono::seconds(20));
  IApplication::current().run();
  EXPECT_EQ(counter.counts[1104], 1u);
  counter.stopHandlingEventsFor(object);
}

} // namespace
