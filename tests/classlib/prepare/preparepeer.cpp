// A library with a class library of its own, as the bridge has.
#include "measure.hpp"

extern "C" __attribute__((visibility("default"))) long long peerMeasure() { return measureText(); }
