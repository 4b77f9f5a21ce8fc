// IApplication: the process's application object and its event loop.
#ifndef IAPPLICATION_HPP
#define IAPPLICATION_HPP

// One thread runs the loop: the thread that creates the windows. Posted events wait in the
// queue until that thread runs or processes events.
class IApplication {
public:
  static IApplication& current();
  // Runs the calling thread's event loop until the application is ended with exit().
  IApplication& run();
  // Processes the events that are waiting, then returns.
  IApplication& processEvents();
  // Ends the event loop once the event being handled returns; from any thread. Called while
  // no loop runs, it makes the next run() return at once.
  IApplication& exit();

private:
  IApplication() = default;
};

#endif
