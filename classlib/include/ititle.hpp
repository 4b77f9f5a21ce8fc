// ITitle: the text of a frame's title bar, made of an object text, a view text and a view
// number.
#ifndef ITITLE_HPP
#define ITITLE_HPP

#include "istring.hpp"

class IFrameWindow;

// The title reads "object - view: number", each piece and its separator left out when empty:
// an object text alone is the whole title.
class ITitle {
public:
  ITitle(IFrameWindow* frame, const char* objectText = nullptr, const char* viewText = nullptr,
         const char* viewNumber = nullptr);
  ITitle& setObjectText(const char* text);
  ITitle& setViewText(const char* text);
  ITitle& setViewNumber(const char* number);
  IString text() const;

  // The title for the three pieces.
  static IString compose(const IString& objectText, const IString& viewText,
                         const IString& viewNumber);

private:
  void update();
  IFrameWindow* frame_;
  IString object_, view_, number_;
};

#endif
