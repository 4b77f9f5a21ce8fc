// The preparation thread of the shared display connection. Fontconfig reads its configuration
// there (a few milliseconds of XML) while the program goes on; then the fonts that the program
// names ahead (IPreparation) are opened and their texts measured, so that their glyphs are
// loaded and on the server, and its pictures are put on the server, before the first window
// needs them.
//
// Xft and fontconfig keep process-wide state without locks, so nothing else may use them while
// the thread works: every use of fonts, colours, pictures and Xft drawables (ix11drawing.hpp)
// waits for awaitPreparation() first. The class library is one shared library in the process
// (the program's and the bridge's uses alike), so there is one thread and one waiting.
#ifndef IX11PREPARE_HPP
#define IX11PREPARE_HPP

namespace IX11 {

// Ends the thread's waiting for needs and waits until its work is done. At once on the thread
// itself, where no thread was started, and once the work is done.
void awaitPreparation();

} // namespace IX11

#endif
