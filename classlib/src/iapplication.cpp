// The application object: the event loop of the window thread, through the backend.
#include "iapplication.hpp"

#include "iwindowdriver.hpp"

IApplication& IApplication::current() {
  static IApplication* application = new IApplication;
  return *application;
}

IApplication& IApplication::run() {
  IWindowPlatform::run();
  return *this;
}

IApplication& IApplication::processEvents() {
  IWindowPlatform::processEvents();
  return *this;
}

IApplication& IApplication::exit() {
  IWindowPlatform::exit();
  return *this;
}
