// The start-up trace: with QUILLET_TRACE set, each step of the start writes the time since the
// epoch and since main began to standard error, so that the start's time can be divided among
// its steps (as the JDK launcher's _JAVA_LAUNCHER_DEBUG does).
#ifndef TRACE_HPP
#define TRACE_HPP

// Writes "quillet-trace: STEP EPOCH_US SINCE_MAIN_US PEAK_KIB" when tracing; the first call marks main's
// beginning. Costs one environment read at the first call and nothing more when not tracing.
void traceStep(const char* step);

#endif
