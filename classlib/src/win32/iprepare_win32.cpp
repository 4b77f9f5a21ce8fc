// Windows opens a GDI font and selects a bitmap in a moment: nothing there is worth a thread.
#include "iprepare.hpp"

void IPreparation::start(std::function<Needs()>) {}
