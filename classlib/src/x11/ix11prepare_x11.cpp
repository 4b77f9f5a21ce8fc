// The preparation thread: fontconfig's start, then the fonts and pictures the program named
// ahead; and the waiting that keeps every other use of Xft and fontconfig clear of it.
#include "x11/ix11prepare.hpp"

#include <fontconfig/fontconfig.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "iprepare.hpp"
#include "isystem.hpp"
#include "x11/ix11display.hpp"
#include "x11/ix11drawing.hpp"

namespace {

using Needs = std::function<IPreparation::Needs()>;

// Never destroyed: the thread may still be waiting on it while the process ends.
struct Preparation {
  std::mutex lock;
  std::condition_variable changed;
  bool started = false; // the thread was started (IPreparation::start)
  bool closed = false;  // fonts were awaited: no thread is started after that
  bool done = false;    // the thread's work is over
  Needs needs;
  std::atomic<bool> settled{false}; // awaited once: every later wait returns at once
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
  // Fontconfig and Xft read the environment with plain getenv, which a concurrent setenv may
  // pull the environment from under; the system layer's lock cannot reach into them. So the
  // thread reads nothing before the process has set its last variable (the runtime's library
  // path, or the program waiting for its fonts: ISystem::settleEnvironment).
  ISystem::awaitSettledEnvironment();
  FcInit();
  Preparation& p = preparation();
  Needs needs;
  {
    std::lock_guard<std::mutex> hold(p.lock);
    needs.swap(p.needs);
  }
  prepare(needs);
  {
    std::lock_guard<std::mutex> hold(p.lock);
    p.done = true;
  }
  p.changed.notify_all();
}

} // namespace

void IX11::awaitPreparation() {
  Preparation& p = preparation();
  if (onPreparationThread || p.settled.load(std::memory_order_acquire))
    return;
  std::unique_lock<std::mutex> hold(p.lock);
  p.closed = true;
  if (p.started && !p.done) {
    // A program that waits for its fonts sets no variable meanwhile.
    hold.unlock();
    ISystem::settleEnvironment();
    hold.lock();
  }
  p.changed.wait(hold, [&] { return !p.started || p.done; });
  p.settled.store(true, std::memory_order_release);
}

void IPreparation::start(std::function<Needs()> needs) {
  // The needs are for the shared connection's display; without one there is nothing to do.
  if (IX11::shared() == nullptr)
    return;
  Preparation& p = preparation();
  {
    std::lock_guard<std::mutex> hold(p.lock);
    // Fonts were used already (the thread's work would race them), or the thread was started.
    if (p.started || p.closed)
      return;
    p.started = true;
    p.needs = std::move(needs);
  }
  try {
    std::thread(run).detach();
  } catch (const std::system_error&) {
    // No thread to be had: everything is made at its first use, as without one.
    std::lock_guard<std::mutex> hold(p.lock);
    p.started = false;
    p.needs = nullptr;
  }
}
