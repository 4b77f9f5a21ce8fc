// IPreparation: what a program's first window will need, made ready on a thread of the class
// library's own while the program does other work (quillet creates the JVM meanwhile).
#ifndef IPREPARE_HPP
#define IPREPARE_HPP

#include <functional>
#include <vector>

#include "ifont.hpp"
#include "ihandle.hpp"
#include "istring.hpp"

class IPreparation {
public:
  // A font with the texts that the window will draw in it.
  struct FontUse {
    IFont font;
    std::vector<IString> texts;
  };
  struct Needs {
    std::vector<FontUse> fonts;        // opened, and their texts measured
    std::vector<IBitmapHandle> bitmaps; // put on the display
  };

  // Starts a thread that makes needs ready; the window then finds its fonts opened, their
  // glyphs loaded and its pictures on the display. needs is called on that thread: measuring
  // the display that the fonts are for waits on the display's server, and decoding a picture
  // takes its time, neither of which the program need wait for. Where the platform gains
  // nothing by it, or there is no display, this does nothing. Call it where the environment is
  // final for the program's part: the thread's libraries read the environment, and it starts
  // reading only once the last variable is set (the library path mirrored for a runtime), or
  // once the program waits for its fonts. Any other use of fonts in the process waits until the
  // preparation has ended, and a use before it starts means there is none. What cannot be made
  // ready (needs throws, a font does not open) is left for its first use: preparing never
  // fails. Only the first call counts.
  static void start(std::function<Needs()> needs);
};

#endif
