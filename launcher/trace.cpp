// The start-up trace, on the standard library's clocks.
#include "trace.hpp"

#include <chrono>
#include <cstdio>

#include "ienviron.hpp"
#include "iprocess.hpp"

namespace {

struct Trace {
  bool on = IEnvironment::isSet("QUILLET_TRACE");
  std::chrono::steady_clock::time_point begin = std::chrono::steady_clock::now();
};

Trace& trace() {
  static Trace instance;
  return instance;
}

} // namespace

void traceStep(const char* step) {
  Trace& t = trace();
  if (!t.on)
    return;
  using namespace std::chrono;
  long long epoch = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
  long long since = duration_cast<microseconds>(steady_clock::now() - t.begin).count();
  char line[200];
  std::snprintf(line, sizeof line, "quillet-trace: %s %lld %lld %lu\n", step, epoch, since,
                IProcess::peakMemoryKiB());
  IProcess::writeStandardError(line);
}
