// The first use of fonts on this thread, in whichever copy of the class library includes it:
// a text line's size, measured in the default font.
#ifndef PREPARE_MEASURE_HPP
#define PREPARE_MEASURE_HPP

#include <chrono>

#include "iframe.hpp"
#include "istatictext.hpp"

// Microseconds on the steady clock when the text had been measured.
inline long long measureText() {
  IFrameWindow frame("Preparation");
  IStaticText text(2, &frame, &frame);
  text.setText("Measured");
  (void)text.minimumSize();
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

#endif
