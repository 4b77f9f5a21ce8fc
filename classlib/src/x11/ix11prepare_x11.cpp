// The preparation thread: fontconfig's start, then the fonts and pictures the program named
// ahead; and the waiting that keeps every other use of Xft and fontconfig clear of it.
#include "x11/ix11prepare.hpp"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "iprepare.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

namespace {

using Needs = std::function<IPreparation::Needs()>;

// Never destroyed: the thread may still be waiting on it while the process ends.
struct Preparation {
  std::mutex lock;
  std::condition_variable changed;
  bool started = false;
  bool closed = false; // the thread takes no more needs
  bool done = false;   // its work is over
  bool handed = false; // needs were handed over
  Needs needs;
  std::atomic<bool> settled{false};         // awaited once: every later wait returns at once
};

Preparation& preparation() {
  static Preparation* made = new Preparation;
  return *made;
}

thread_local bool onPreparationThread = false;

// Matching a face and loading its glyphs (uploaded to the server as Xft measures them) are the
// first window's largest costs, then sending its picture; done here, the window finds the fonts
// in Xft's caches and copies the picture on the server.
void prepare(const Needs& needs) {
  try {
    IPreparation::Needs named = needs ? needs() : IPreparation::Needs();
    if (named.fonts.empty() && named.bitmaps.empty())
      return;
    IX11::Drawing* drawing = IX11::sharedDrawing();
    if (drawing == nullptr)
      return;
    for (const IPreparation::FontUse& use : named.fonts) {
      IX11::Face face = drawing->face(use.font);
      for (const IString& text : use.texts)
        drawing->textWidth(face, text.c_str());
    }
    for (const IBitmapHandle& bitmap : named.bitmaps)
      if (const IImage* image = IResourcePosix::bitmapOf(bitmap))
        drawing->picture(*image);
    XFlush(drawing->display());
  } catch (...) {
    // Whatever failed here fails again, and is told, where the window meets it.
  }
}

void run() {
  onPreparationThread = true;
  FcInit();
  Preparation& p = preparation();
  Needs needs;
  {
    std::unique_lock<std::mutex> hold(p.lock);
    p.changed.wait(hold, [&] { return p.handed || p.closed; });
    p.closed = true;
    needs.swap(p.needs);
  }
  prepare(needs);
  {
    std::lock_guard<std::mutex> hold(p.lock);
    p.done = true;
  }
  p.changed.notify_all();
}

// The program's waiting when this copy of the class library is a library's (the bridge's) in a
// program that has one; else null.
using Await = void (*)();
Await programsAwait() {
  static const Await program = [] {
    Await found = reinterpret_cast<Await>(dlsym(RTLD_DEFAULT, "iclasslibAwaitPreparation"));
    return found != &iclasslibAwaitPreparation ? found : nullptr;
  }();
  return program;
}

void awaitOwn() {
  Preparation& p = preparation();
  if (onPreparationThread || p.settled.load(std::memory_order_acquire))
    return;
  std::unique_lock<std::mutex> hold(p.lock);
  p.closed = true;
  p.changed.notify_all();
  p.changed.wait(hold, [&] { return !p.started || p.done; });
  p.settled.store(true, std::memory_order_release);
}

} // namespace

void IX11::startPreparation() {
  Preparation& p = preparation();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    // Fonts were used before the shared connection opened: fontconfig has started already.
    // In the bridge's copy the program's thread starts fontconfig: one thread per process.
    if (p.started || p.closed || programsAwait() != nullptr)
      return;
    p.started = true;
  }
  try {
    std::thread(run).detach();
  } catch (const std::system_error&) {
    // No thread to be had: everything is made at its first use, as without one.
    std::lock_guard<std::mutex> hold(p.lock);
    p.started = false;
  }
}

void IX11::awaitPreparation() {
  if (Await program = programsAwait())
    program();
  awaitOwn();
}

extern "C" __attribute__((visibility("default"))) void iclasslibAwaitPreparation() { awaitOwn(); }

void IPreparation::start(std::function<Needs()> needs) {
  // The shared connection starts the thread when it opens; the needs are for its display.
  if (IX11::shared() == nullptr)
    return;
  Preparation& p = preparation();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    if (!p.started || p.closed || p.handed)
      return;
    p.needs = std::move(needs);
    p.handed = true;
  }
  p.changed.notify_all();
}
