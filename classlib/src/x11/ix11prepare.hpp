// The preparation thread of the shared display connection. Fontconfig reads its configuration
// there (a few milliseconds of XML) while the program goes on; then the fonts that the program
// names ahead (IPreparation) are opened and their texts measured, so that their glyphs are
// loaded and on the server, and its pictures are put on the server, before the first window
// needs them.
//
// Xft and fontconfig keep process-wide state without locks, so nothing else may use them while
// the thread works: every use of fonts, colours, pictures and Xft drawables (ix11drawing.hpp)
// waits for awaitPreparation() first. That holds across both copies of the class library in
// quillet's process (the program's and the bridge's): the program's copy exports its waiting
// under the name below, and the bridge's copy waits on it too.
#ifndef IX11PREPARE_HPP
#define IX11PREPARE_HPP

namespace IX11 {

// Starts the thread; the shared connection does, when it opens. A copy of the class library in
// a library (the bridge) starts none where the program has one: one thread per process.
void startPreparation();
// Ends the thread's waiting for needs and waits until its work is done, in this copy of the
// class library and in the program's. At once on the thread itself and once the work is done.
void awaitPreparation();

} // namespace IX11

// The program's waiting, found by this name (exported from programs that link the class
// library).
extern "C" void iclasslibAwaitPreparation();

#endif
