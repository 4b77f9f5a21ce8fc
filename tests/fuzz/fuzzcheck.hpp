// The fuzz targets' check: a broken property ends the run as a crash, with what broke.
#ifndef FUZZCHECK_HPP
#define FUZZCHECK_HPP

#include <cstdio>
#include <cstdlib>

// Not assert: the targets are built with NDEBUG, and a property must hold in every build.
#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

#endif
