// A library that uses the class library the program uses, as the bridge does.
#include "measure.hpp"

extern "C" __attribute__((visibility("default"))) long long peerMeasure() { return measureText(); }
